#pragma once

#include "agent/Agent.h"
#include "http/HttpServer.h"
#include "web/WebAuth.h"
#include "web/WebConfig.h"
#include "web/WebLink.h"
#include "web/WebOutbox.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// The browser remote, run by the agent on its HTTP layer: the embedded files,
// log-in, the agent's processors with their state, preset files, and one
// WebSocket per browser and processor. Each processor is reached through one
// more remote of the agent's shared link (CWebLink). Every request but the
// files and the log-in needs a session; writes come only over a WebSocket
// whose Origin is this server.
class CWebServer : public IWebClients {
public:
    static constexpr std::size_t kMaxClients = 64;

    // `agent` must outlive this server: stop this one first.
    CWebServer(WebConfig config, CAgent& agent, std::function<void(const std::string&)> log);
    ~CWebServer() override;
    CWebServer(const CWebServer&) = delete;
    CWebServer& operator=(const CWebServer&) = delete;

    bool Start(std::string& error);
    void Stop();
    // The port actually listened on (the config may ask for 0).
    int Port() const { return http_.Port(); }

    void Broadcast(std::size_t link, const std::string& text, bool meter) override;
    void Send(std::uint64_t client, const std::string& text) override;

private:
    struct Client {
        http::WebSocket* socket = nullptr;
        std::size_t link = 0;
        std::string user;
        WebRole role = WebRole::ReadOnly;
    };

    std::optional<WebSession> SessionOf(const http::Request& request);
    bool OriginOk(const http::Request& request) const;
    std::optional<std::size_t> LinkOf(const http::Request& request) const;
    http::Response Login(const http::Request& request);
    http::Response Logout(const http::Request& request);
    http::Response Me(const http::Request& request);
    http::Response Processors(const http::Request& request);
    http::Response PresetFile(const http::Request& request);
    http::Response Other(const http::Request& request);
    // Why a WebSocket is refused, or nothing when it may open.
    const char* Refusal(const http::Request& request);
    void Open(http::WebSocket& socket);
    bool Message(http::WebSocket& socket, const std::string& data, bool binary);
    void Close(http::WebSocket& socket);
    void WriteLoop();

    WebConfig config_;
    CAgent& agent_;
    std::string workFolder_;  // private: preset files on their way to and from browsers
    std::function<void(const std::string&)> log_;
    std::vector<std::unique_ptr<CWebLink>> links_;
    http::Server http_;

    std::mutex authMutex_;
    CSessionTable sessions_;
    CLoginLimiter limiter_;

    // Held while writing, so a closing socket is never written to.
    std::mutex clientsMutex_;
    CWebOutbox outbox_;
    std::thread writer_;
    std::atomic<bool> writing_{false};
    std::map<std::uint64_t, Client> clients_;
    std::map<const http::WebSocket*, std::uint64_t> ids_;
    std::uint64_t nextClient_ = 1;
};
