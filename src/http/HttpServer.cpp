#include "http/HttpServer.h"

#include <civetweb.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include <unistd.h>

// TlsShim.c: keeps the shim loaded, so TLS can start (see there).
extern "C" int vexlor_tls_shim_loaded(void);

namespace http {
namespace {

const char* StatusText(int status)
{
    const char* text = mg_get_response_code_text(nullptr, status);
    return text ? text : "";
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

Request RequestHead(const mg_connection* connection)
{
    const mg_request_info* info = mg_get_request_info(connection);
    Request request;
    request.method = info->request_method ? info->request_method : "";
    request.path = info->local_uri ? info->local_uri : "";
    request.query = info->query_string ? info->query_string : "";
    request.remoteAddress = info->remote_addr;
    for (int i = 0; i < info->num_headers; ++i)
        request.headers[info->http_headers[i].name] = info->http_headers[i].value;
    return request;
}

// The body, up to `limit` bytes; false when the client sends more.
bool ReadBody(mg_connection* connection, std::string& body, std::size_t limit)
{
    char buffer[4096];
    for (;;) {
        const int n = mg_read(connection, buffer, sizeof buffer);
        if (n <= 0)
            return true;
        if (body.size() + static_cast<std::size_t>(n) > limit)
            return false;
        body.append(buffer, static_cast<std::size_t>(n));
    }
}

void Send(mg_connection* connection, const Response& response, bool withBody)
{
    mg_response_header_start(connection, response.status);
    mg_response_header_add(connection, "Content-Type", response.contentType.c_str(), -1);
    const std::string length = std::to_string(response.body.size());
    mg_response_header_add(connection, "Content-Length", length.c_str(), -1);
    for (const auto& [name, value] : response.headers)
        mg_response_header_add(connection, name.c_str(), value.c_str(), -1);
    mg_response_header_send(connection);
    if (withBody && !response.body.empty())
        mg_write(connection, response.body.data(), response.body.size());
}

Response Plain(int status)
{
    return Response{status, "text/plain; charset=utf-8", std::string(StatusText(status)) + "\n", {}};
}

void InitLibraryOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        (void)vexlor_tls_shim_loaded();
        mg_init_library(MG_FEATURES_TLS | MG_FEATURES_WEBSOCKET | MG_FEATURES_IPV6);
    });
}

std::string ReadFile(const std::string& path, bool* ok)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    *ok = static_cast<bool>(in) || in.eof();
    return text.str();
}

}  // namespace

std::string Request::Header(const std::string& name) const
{
    for (const auto& [key, value] : headers)
        if (SameName(key, name))
            return value;
    return {};
}

// The handlers of one WebSocket path and the sockets open on it.
struct Server::SocketRoute {
    WebSocketHandlers handlers;
    std::mutex mutex;
    struct Open {
        std::unique_ptr<WebSocket> socket;
        std::string partial;  // a message still arriving in fragments
        bool partialBinary = false;
    };
    std::map<const mg_connection*, Open> open;

    WebSocket* Find(const mg_connection* connection)
    {
        std::lock_guard lock(mutex);
        const auto it = open.find(connection);
        return it == open.end() ? nullptr : it->second.socket.get();
    }
};

bool WebSocket::Send(const std::string& data, bool binary)
{
    const int opcode = binary ? MG_WEBSOCKET_OPCODE_BINARY : MG_WEBSOCKET_OPCODE_TEXT;
    return mg_websocket_write(connection_, opcode, data.data(), data.size()) > 0;
}

void WebSocket::Close()
{
    mg_websocket_write(connection_, MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE, "", 0);
}

Server::Server() = default;

Server::~Server()
{
    Stop();
}

void Server::Route(const std::string& path, Handler handler, std::size_t maxBody)
{
    routes_[path] = PathRoute{std::move(handler), maxBody};
}

void Server::RouteOthers(Handler handler)
{
    others_ = PathRoute{std::move(handler), kMaxBody};
}

void Server::RouteWebSocket(const std::string& path, WebSocketHandlers handlers)
{
    auto route = std::make_unique<SocketRoute>();
    route->handlers = std::move(handlers);
    sockets_[path] = std::move(route);
}

const Server::PathRoute* Server::Find(const std::string& path) const
{
    const auto it = routes_.find(path);
    if (it != routes_.end())
        return &it->second;
    return others_.handler ? &others_ : nullptr;
}

int Server::OnRequest(mg_connection* connection, void* self)
{
    auto* server = static_cast<Server*>(self);
    Request request = RequestHead(connection);
    const PathRoute* route = server->Find(request.path);
    Response response;
    if (!route) {
        response = Plain(404);
    } else if (!ReadBody(connection, request.body, route->maxBody)) {
        response = Plain(413);
        response.headers.emplace_back("Connection", "close");
    } else {
        try {
            response = route->handler(request);
        } catch (const std::exception& e) {
            if (server->log_)
                server->log_(std::string("handler for ") + request.path + " failed: " + e.what());
            response = Plain(500);
        }
    }
    Send(connection, response, request.method != "HEAD");
    return response.status;
}

int Server::OnLog(const mg_connection* connection, const char* message)
{
    const mg_context* context = mg_get_context(connection);
    auto* server = context ? static_cast<Server*>(mg_get_user_data(context)) : nullptr;
    if (server && server->log_)
        server->log_(message);
    return 1;  // handled: civetweb writes nothing itself
}

int Server::OnWsConnect(const mg_connection* connection, void* route)
{
    const auto& handlers = static_cast<SocketRoute*>(route)->handlers;
    if (!handlers.accept)
        return 0;
    return handlers.accept(RequestHead(connection)) ? 0 : 1;
}

void Server::OnWsReady(mg_connection* connection, void* data)
{
    auto* route = static_cast<SocketRoute*>(data);
    WebSocket* socket = nullptr;
    {
        std::lock_guard lock(route->mutex);
        auto& open = route->open[connection];
        open.socket = std::make_unique<WebSocket>(connection, RequestHead(connection));
        socket = open.socket.get();
    }
    if (route->handlers.onOpen)
        route->handlers.onOpen(*socket);
}

int Server::OnWsData(mg_connection* connection, int bits, char* data, std::size_t length, void* routeData)
{
    auto* route = static_cast<SocketRoute*>(routeData);
    const int opcode = bits & 0x0F;
    const bool final = (bits & 0x80) != 0;
    switch (opcode) {
    case MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE: return 0;
    case MG_WEBSOCKET_OPCODE_PING:
        mg_websocket_write(connection, MG_WEBSOCKET_OPCODE_PONG, data, length);
        return 1;
    case MG_WEBSOCKET_OPCODE_PONG: return 1;
    default: break;
    }
    std::string message;
    bool binary = false;
    WebSocket* socket = nullptr;
    {
        std::lock_guard lock(route->mutex);
        const auto it = route->open.find(connection);
        if (it == route->open.end())
            return 0;
        auto& open = it->second;
        if (opcode != MG_WEBSOCKET_OPCODE_CONTINUATION)
            open.partialBinary = opcode == MG_WEBSOCKET_OPCODE_BINARY;
        // One message is never allowed to grow past the body limit.
        if (open.partial.size() + length > kMaxBody)
            return 0;
        open.partial.append(data, length);
        if (!final)
            return 1;
        message = std::move(open.partial);
        open.partial.clear();
        binary = open.partialBinary;
        socket = open.socket.get();
    }
    if (!route->handlers.onMessage)
        return 1;
    return route->handlers.onMessage(*socket, message, binary) ? 1 : 0;
}

void Server::OnWsClose(const mg_connection* connection, void* data)
{
    auto* route = static_cast<SocketRoute*>(data);
    WebSocket* socket = route->Find(connection);
    if (socket && route->handlers.onClose)
        route->handlers.onClose(*socket);
    std::lock_guard lock(route->mutex);
    route->open.erase(connection);
}

bool Server::PrepareTls(const ServerOptions& options, std::string& pem, std::string* why)
{
    if (options.tlsKey.empty() || options.tlsKey == options.tlsCertificate) {
        pem = options.tlsCertificate;
        return true;
    }
    // The library reads key and certificate from one file: join them in a file
    // only this process can read.
    bool keyOk = false, certOk = false;
    const std::string key = ReadFile(options.tlsKey, &keyOk);
    const std::string cert = ReadFile(options.tlsCertificate, &certOk);
    if (!keyOk || !certOk) {
        *why = "cannot read " + (keyOk ? options.tlsCertificate : options.tlsKey);
        return false;
    }
    std::string path = (std::filesystem::temp_directory_path() / "vexlor-tls-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
        *why = "cannot write the joined TLS key file";
        return false;
    }
    const std::string both = key + "\n" + cert;
    const bool written = ::write(fd, both.data(), both.size()) == static_cast<ssize_t>(both.size());
    ::close(fd);
    combinedPem_ = path;
    if (!written) {
        *why = "cannot write the joined TLS key file";
        return false;
    }
    pem = path;
    return true;
}

bool Server::Start(const ServerOptions& options, std::string* why)
{
    if (context_) {
        *why = "already running";
        return false;
    }
    InitLibraryOnce();
    log_ = options.log;
    const bool tls = !options.tlsCertificate.empty();
    std::string pem;
    if (tls && !PrepareTls(options, pem, why))
        return false;
    // An IPv6 address is written in brackets; the suffix "s" asks for TLS.
    const bool v6 = options.address.find(':') != std::string::npos;
    const std::string listen = (v6 ? "[" + options.address + "]" : options.address) + ":" +
                               std::to_string(options.port) + (tls ? "s" : "");
    const std::string threads = std::to_string(std::max(1, options.threads));
    // No keep-alive: the server drops an idle connection after half a second,
    // and a client reusing it at that moment sees its request fail with no
    // answer; a connection per request costs little at this traffic, and an
    // idle connection would also hold a worker thread.
    std::vector<const char*> config{"listening_ports", listen.c_str(), "num_threads", threads.c_str(),
                                    "request_timeout_ms", "10000", "enable_keep_alive", "no",
                                    "websocket_timeout_ms", "3600000"};
    if (tls) {
        config.push_back("ssl_certificate");
        config.push_back(pem.c_str());
        config.push_back("ssl_protocol_version");
        config.push_back("4");  // TLS 1.2 and later only
    }
    config.push_back(nullptr);

    mg_callbacks callbacks{};
    callbacks.log_message = &Server::OnLog;
    mg_init_data init{};
    init.callbacks = &callbacks;
    init.user_data = this;
    init.configuration_options = config.data();
    char error[256] = {};
    mg_error_data errors{};
    errors.text = error;
    errors.text_buffer_size = sizeof error;
    context_ = mg_start2(&init, &errors);
    if (!context_) {
        *why = "cannot serve HTTP on " + listen + ": " + (error[0] ? error : "unknown error");
        Stop();
        return false;
    }
    mg_server_port ports[4] = {};
    port_ = mg_get_server_ports(context_, 4, ports) > 0 ? static_cast<std::uint16_t>(ports[0].port) : 0;
    for (auto& [path, route] : sockets_)
        mg_set_websocket_handler(context_, path.c_str(), &Server::OnWsConnect, &Server::OnWsReady,
                                 &Server::OnWsData, &Server::OnWsClose, route.get());
    mg_set_request_handler(context_, "/", &Server::OnRequest, this);
    return true;
}

void Server::Stop()
{
    if (context_)
        mg_stop(context_);
    context_ = nullptr;
    port_ = 0;
    if (!combinedPem_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(combinedPem_, ignored);
        combinedPem_.clear();
    }
}

}  // namespace http
