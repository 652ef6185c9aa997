#pragma once

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
#include <string>
#include <thread>
#include <vector>

struct mg_connection;
struct mg_context;

// The browser remote's HTTP side over civetweb: the embedded files, log-in,
// the processor list, preset files, and one WebSocket per browser and
// processor. Every request but the files and the log-in needs a session;
// writes come only over a WebSocket whose Origin is this server.
class CWebServer : public IWebClients {
public:
    static constexpr std::size_t kMaxClients = 64;

    CWebServer(WebConfig config, std::string workFolder, std::function<void(const std::string&)> log);
    ~CWebServer() override;
    CWebServer(const CWebServer&) = delete;
    CWebServer& operator=(const CWebServer&) = delete;

    bool Start(std::string& error);
    void Stop();
    // The port actually listened on (the config may ask for 0).
    int Port() const { return port_; }

    void Broadcast(std::size_t link, const std::string& text, bool meter) override;
    void Send(std::uint64_t client, const std::string& text) override;

    // civetweb's callbacks land here.
    int HandleRequest(mg_connection* conn);
    int HandleWsConnect(const mg_connection* conn);
    void HandleWsReady(mg_connection* conn);
    int HandleWsData(mg_connection* conn, int bits, const char* data, std::size_t size);
    void HandleWsClose(const mg_connection* conn);

private:
    struct Client {
        mg_connection* conn = nullptr;
        std::size_t link = 0;
        std::string user;
        WebRole role = WebRole::ReadOnly;
        bool ready = false;  // the handshake is done
    };

    std::optional<WebSession> SessionOf(const mg_connection* conn);
    bool OriginOk(const mg_connection* conn) const;
    int Login(mg_connection* conn);
    int Logout(mg_connection* conn);
    int Processors(mg_connection* conn);
    int PresetFile(mg_connection* conn, const WebSession& session);
    int Asset(mg_connection* conn, const std::string& path);
    std::optional<std::size_t> LinkOf(const mg_connection* conn) const;
    void WriteLoop();

    WebConfig config_;
    std::string workFolder_;
    std::function<void(const std::string&)> log_;
    std::vector<std::unique_ptr<CWebLink>> links_;
    mg_context* context_ = nullptr;
    int port_ = 0;
    std::string tlsFile_;

    std::mutex authMutex_;
    CSessionTable sessions_;
    CLoginLimiter limiter_;

    // Held while writing, so a closing connection is never written to.
    std::mutex clientsMutex_;
    CWebOutbox outbox_;
    std::thread writer_;
    std::atomic<bool> writing_{true};
    std::map<std::uint64_t, Client> clients_;
    std::uint64_t nextClient_ = 1;
};
