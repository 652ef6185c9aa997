#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct mg_connection;
struct mg_context;

// A small HTTP and WebSocket server over civetweb, without Qt. The agent serves
// /metrics from it and the browser remote its pages and live socket. Handlers run
// on the server's worker threads, several at once: they must be thread-safe.
namespace http {

struct Request {
    std::string method;  // "GET", "POST", ...
    std::string path;    // decoded, without the query
    std::string query;   // after '?', still encoded; empty when none
    std::string remoteAddress;
    std::map<std::string, std::string> headers;  // names as the client sent them
    std::string body;    // at most Server::kMaxBody bytes; longer bodies get 413

    // A header by name, compared without case; empty when absent.
    std::string Header(const std::string& name) const;
};

struct Response {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // extra headers
};

using Handler = std::function<Response(const Request&)>;

// One open WebSocket. Valid from onOpen until onClose has returned.
class WebSocket {
public:
    WebSocket(mg_connection* connection, Request handshake)
        : connection_(connection), handshake_(std::move(handshake))
    {
    }
    // A text frame (binary = false) or a binary frame; false once the peer is gone.
    // Safe from any thread while the socket is open.
    bool Send(const std::string& data, bool binary = false);
    // Asks the peer to close; onClose follows.
    void Close();
    const std::string& RemoteAddress() const { return handshake_.remoteAddress; }
    // The upgrade request: path, query and headers (no body).
    const Request& Handshake() const { return handshake_; }

private:
    mg_connection* connection_;
    Request handshake_;
};

struct WebSocketHandlers {
    // Before the handshake: false refuses the socket (the client sees it fail).
    std::function<bool(const Request&)> accept;
    std::function<void(WebSocket&)> onOpen;
    // One whole message; false closes the socket.
    std::function<bool(WebSocket&, const std::string& data, bool binary)> onMessage;
    std::function<void(WebSocket&)> onClose;
};

struct ServerOptions {
    // Never a wider address unless the operator asked for it.
    std::string address = "127.0.0.1";
    std::uint16_t port = 0;  // 0 takes a free port; Port() tells which
    // TLS when set: PEM files of the certificate (chain) and of its private key.
    // They may be one file holding both.
    std::string tlsCertificate;
    std::string tlsKey;
    // Worker threads; each open WebSocket holds one of them.
    int threads = 8;
    // Where the library's own error lines go (none when empty).
    std::function<void(const std::string&)> log;
};

class Server {
public:
    static constexpr std::size_t kMaxBody = 64 * 1024;

    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Routes are exact paths; set them before Start. A path without a route
    // goes to the fallback, or answers 404; a body over the route's limit 413.
    void Route(const std::string& path, Handler handler, std::size_t maxBody = kMaxBody);
    void RouteOthers(Handler handler);
    void RouteWebSocket(const std::string& path, WebSocketHandlers handlers);

    // False and why when the address cannot be had or TLS does not load.
    bool Start(const ServerOptions& options, std::string* why);
    // Closes every connection and joins every worker; the routes stay set.
    void Stop();
    bool Running() const { return context_ != nullptr; }
    std::uint16_t Port() const { return port_; }

private:
    struct SocketRoute;
    static int OnRequest(mg_connection* connection, void* self);
    static int OnLog(const mg_connection* connection, const char* message);
    static int OnWsConnect(const mg_connection* connection, void* route);
    static void OnWsReady(mg_connection* connection, void* route);
    static int OnWsData(mg_connection* connection, int bits, char* data, std::size_t length, void* route);
    static void OnWsClose(const mg_connection* connection, void* route);
    struct PathRoute {
        Handler handler;
        std::size_t maxBody = kMaxBody;
    };
    const PathRoute* Find(const std::string& path) const;
    bool PrepareTls(const ServerOptions& options, std::string& pem, std::string* why);

    std::map<std::string, PathRoute> routes_;
    PathRoute others_;
    std::map<std::string, std::unique_ptr<SocketRoute>> sockets_;
    std::function<void(const std::string&)> log_;
    std::string combinedPem_;  // a private copy of key and certificate, removed on Stop
    mg_context* context_ = nullptr;
    std::uint16_t port_ = 0;
};

}  // namespace http
