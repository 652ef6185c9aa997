#include "web/WebServer.h"

#include "presets/PresetFile.h"
#include "web/WebAssets.h"
#include "web/WebGate.h"

#include <civetweb.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using nlohmann::json;

namespace {

constexpr std::size_t kMaxLoginBody = 4096;
constexpr const char* kCookieName = "vexlor_session";
// Nothing is loaded from anywhere else, and no page may frame this one.
constexpr const char* kSecurityHeaders =
    "Content-Security-Policy: default-src 'self'; img-src 'self' data:; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\nReferrer-Policy: no-referrer\r\nCache-Control: no-store\r\n";

CWebServer* Self(const mg_connection* conn)
{
    return static_cast<CWebServer*>(mg_get_request_info(conn)->user_data);
}

int OnRequest(mg_connection* conn, void*)
{
    return Self(conn)->HandleRequest(conn);
}
int OnWsConnect(const mg_connection* conn, void*)
{
    return Self(conn)->HandleWsConnect(conn);
}
void OnWsReady(mg_connection* conn, void*)
{
    Self(conn)->HandleWsReady(conn);
}
int OnWsData(mg_connection* conn, int bits, char* data, size_t size, void*)
{
    return Self(conn)->HandleWsData(conn, bits, data, size);
}
void OnWsClose(const mg_connection* conn, void*)
{
    Self(conn)->HandleWsClose(conn);
}
// civetweb's own complaints (a TLS handshake that fails, say) go to standard
// error; during start-up they come with a connection that carries no server.
int OnLogMessage(const mg_connection*, const char* message)
{
    std::fprintf(stderr, "civetweb: %s\n", message);
    return 1;
}

void Reply(mg_connection* conn, int code, const char* type, const std::string& body, const std::string& extra = {})
{
    mg_printf(conn, "HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %zu\r\n%s%sConnection: close\r\n\r\n",
              code, mg_get_response_code_text(conn, code), type, body.size(), kSecurityHeaders, extra.c_str());
    mg_write(conn, body.data(), body.size());
}

void ReplyJson(mg_connection* conn, int code, const json& body, const std::string& extra = {})
{
    Reply(conn, code, "application/json", body.dump(), extra);
}

// The request body, or nothing when it is longer than `limit`.
std::optional<std::string> ReadBody(mg_connection* conn, std::size_t limit)
{
    const long long length = mg_get_request_info(conn)->content_length;
    if (length < 0 || static_cast<unsigned long long>(length) > limit) return std::nullopt;
    std::string body(static_cast<std::size_t>(length), '\0');
    std::size_t got = 0;
    while (got < body.size()) {
        const int n = mg_read(conn, body.data() + got, body.size() - got);
        if (n <= 0) return std::nullopt;
        got += static_cast<std::size_t>(n);
    }
    return body;
}

}  // namespace

CWebServer::CWebServer(WebConfig config, std::string workFolder, std::function<void(const std::string&)> log)
    : config_(std::move(config)), workFolder_(std::move(workFolder)), log_(std::move(log))
{
}

CWebServer::~CWebServer()
{
    Stop();
}

bool CWebServer::Start(std::string& error)
{
    mg_init_library(MG_FEATURES_WEBSOCKET);
    std::string ports = (config_.listen.find(':') != std::string::npos ? "[" + config_.listen + "]" : config_.listen) +
                        ":" + std::to_string(config_.port) + (config_.Tls() ? "s" : "");
    std::vector<const char*> options{"listening_ports", ports.c_str(), "num_threads", "32",
                                     "enable_keep_alive", "no", "websocket_timeout_ms", "3600000"};
    if (config_.Tls()) {
        // civetweb takes the key and the certificate from one file.
        tlsFile_ = (std::filesystem::path(workFolder_) / "tls.pem").string();
        std::ofstream out(tlsFile_, std::ios::binary | std::ios::trunc);
        chmod(tlsFile_.c_str(), 0600);
        for (const std::string& part : {config_.key, config_.cert}) {
            std::ifstream in(part, std::ios::binary);
            if (!in) {
                error = "cannot read " + part;
                return false;
            }
            out << in.rdbuf() << '\n';
        }
        out.close();
        options.insert(options.end(), {"ssl_certificate", tlsFile_.c_str()});
    }
    options.push_back(nullptr);
    mg_callbacks callbacks{};
    callbacks.log_message = OnLogMessage;
    context_ = mg_start(&callbacks, this, options.data());
    if (!context_) {
        error = "cannot listen on " + ports;
        return false;
    }
    mg_server_port server[4];
    const int count = mg_get_server_ports(context_, 4, server);
    port_ = count > 0 ? server[0].port : 0;
    mg_set_request_handler(context_, "/", OnRequest, nullptr);
    mg_set_websocket_handler(context_, "/ws", OnWsConnect, OnWsReady, OnWsData, OnWsClose, nullptr);
    if (!config_.Loopback() && !config_.Tls())
        log_("warning: the web remote listens on " + config_.listen +
             " without TLS; passwords and cookies cross the network in clear text");
    log_("web remote at " + std::string(config_.Tls() ? "https://" : "http://") + config_.listen + ":" +
         std::to_string(port_) + "/");
    writer_ = std::thread([this] { WriteLoop(); });
    for (std::size_t i = 0; i < config_.processors.size(); ++i) {
        links_.push_back(std::make_unique<CWebLink>(i, config_.processors[i], workFolder_, *this, log_));
        links_.back()->Start();
    }
    return true;
}

void CWebServer::Stop()
{
    if (context_) mg_stop(context_);
    context_ = nullptr;
    links_.clear();
    writing_ = false;
    outbox_.Stop();
    if (writer_.joinable()) writer_.join();
    if (!tlsFile_.empty()) std::filesystem::remove(tlsFile_);
}

std::optional<WebSession> CWebServer::SessionOf(const mg_connection* conn)
{
    const char* cookie = mg_get_header(conn, "Cookie");
    const std::string token = CookieValue(cookie ? cookie : "", kCookieName);
    if (token.empty()) return std::nullopt;
    std::lock_guard lock(authMutex_);
    return sessions_.Find(token, WebClock::now());
}

bool CWebServer::OriginOk(const mg_connection* conn) const
{
    return OriginAllowed(mg_get_header(conn, "Origin"), mg_get_header(conn, "Host"), config_.Tls(), config_.origins);
}

std::optional<std::size_t> CWebServer::LinkOf(const mg_connection* conn) const
{
    const std::string p = QueryValue(mg_get_request_info(conn)->query_string, "p");
    if (p.empty() || p.size() > 4 || p.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const auto index = std::stoul(p);
    if (index >= links_.size()) return std::nullopt;
    return index;
}

int CWebServer::HandleRequest(mg_connection* conn)
{
    const mg_request_info* info = mg_get_request_info(conn);
    const std::string path = info->local_uri ? info->local_uri : "/";
    const std::string method = info->request_method ? info->request_method : "";
    if (path == "/api/login" && method == "POST") return Login(conn);
    if (path.rfind("/api/", 0) != 0) {
        if (method != "GET") return Reply(conn, 405, "text/plain", "method not allowed\n"), 405;
        return Asset(conn, path);
    }
    const auto session = SessionOf(conn);
    if (!session) return ReplyJson(conn, 401, {{"error", "log in first"}}), 401;
    if (path == "/api/logout" && method == "POST") return Logout(conn);
    if (path == "/api/me") return ReplyJson(conn, 200, {{"user", session->user}, {"role", WebRoleName(session->role)}}), 200;
    if (path == "/api/processors") return Processors(conn);
    if (path == "/api/preset") return PresetFile(conn, *session);
    return ReplyJson(conn, 404, {{"error", "not found"}}), 404;
}

int CWebServer::Asset(mg_connection* conn, const std::string& path)
{
    const WebAsset* asset = FindWebAsset(path == "/" ? "/index.html" : path);
    if (!asset) return Reply(conn, 404, "text/plain", "not found\n"), 404;
    Reply(conn, 200, asset->type, std::string(reinterpret_cast<const char*>(asset->data), asset->size));
    return 200;
}

int CWebServer::Login(mg_connection* conn)
{
    const std::string address = mg_get_request_info(conn)->remote_addr;
    if (!OriginOk(conn)) return ReplyJson(conn, 403, {{"error", "foreign origin"}}), 403;
    {
        std::lock_guard lock(authMutex_);
        if (!limiter_.Allowed(address, WebClock::now())) {
            log_("log-in refused for " + address + ": too many failed attempts");
            return ReplyJson(conn, 429, {{"error", "too many failed log-ins; wait a minute"}}), 429;
        }
    }
    const auto body = ReadBody(conn, kMaxLoginBody);
    const json j = body ? json::parse(*body, nullptr, false) : json();
    const bool shaped = j.is_object() && j.contains("user") && j["user"].is_string() && j.contains("password") &&
                        j["password"].is_string();
    const std::string user = shaped ? j["user"].get<std::string>() : "";
    const auto found = config_.users.find(user);
    // Unknown users cost a hash check too, so their names cannot be timed out.
    static const std::string dummy = HashPassword("-", HashCost::Minimum());
    const bool ok = shaped && VerifyPassword(found != config_.users.end() ? found->second.hash : dummy,
                                             j["password"].get<std::string>()) &&
                    found != config_.users.end();
    std::lock_guard lock(authMutex_);
    if (!ok) {
        limiter_.Failed(address, WebClock::now());
        log_("failed log-in from " + address + (ValidUserName(user) ? " as " + user : std::string()));
        return ReplyJson(conn, 401, {{"error", "wrong user name or password"}}), 401;
    }
    limiter_.Succeeded(address);
    const std::string token = sessions_.Create(user, found->second.role, WebClock::now());
    log_(user + " logged in from " + address);
    ReplyJson(conn, 200, {{"user", user}, {"role", WebRoleName(found->second.role)}},
              "Set-Cookie: " + SessionCookie(token, config_.Tls()) + "\r\n");
    return 200;
}

int CWebServer::Logout(mg_connection* conn)
{
    const char* cookie = mg_get_header(conn, "Cookie");
    {
        std::lock_guard lock(authMutex_);
        sessions_.Remove(CookieValue(cookie ? cookie : "", kCookieName));
    }
    ReplyJson(conn, 200, {{"ok", true}},
              "Set-Cookie: " + std::string(kCookieName) + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict\r\n");
    return 200;
}

int CWebServer::Processors(mg_connection* conn)
{
    json list = json::array();
    for (const auto& link : links_) list.push_back(json::parse(link->Summary()));
    ReplyJson(conn, 200, list);
    return 200;
}

int CWebServer::PresetFile(mg_connection* conn, const WebSession& session)
{
    const mg_request_info* info = mg_get_request_info(conn);
    const auto link = LinkOf(conn);
    const std::string index = QueryValue(info->query_string, "index");
    if (!link || index.empty() || index.size() > 3 || index.find_first_not_of("0123456789") != std::string::npos)
        return ReplyJson(conn, 400, {{"error", "processor or preset missing"}}), 400;
    if (session.role != WebRole::Admin) return ReplyJson(conn, 403, {{"error", "read-only user"}}), 403;
    if (!OriginOk(conn)) return ReplyJson(conn, 403, {{"error", "foreign origin"}}), 403;
    const auto n = static_cast<unsigned>(std::stoul(index));
    if (std::string(info->request_method) == "POST") {
        const auto body = ReadBody(conn, presets::kMaxPresetFileBytes);
        if (!body || body->empty()) return ReplyJson(conn, 413, {{"error", "not a preset file"}}), 413;
        const bool ok = links_[*link]->UploadPreset(n, ByteString(body->begin(), body->end()), session.user);
        return ReplyJson(conn, ok ? 200 : 409, {{"ok", ok}}), ok ? 200 : 409;
    }
    const ByteString bytes = links_[*link]->DownloadPreset(n, session.user);
    if (bytes.empty()) return ReplyJson(conn, 409, {{"error", "the processor did not send the preset"}}), 409;
    Reply(conn, 200, "application/octet-stream", std::string(bytes.begin(), bytes.end()),
          "Content-Disposition: attachment; filename=\"preset" + std::to_string(n + 1) + ".pst\"\r\n");
    return 200;
}

int CWebServer::HandleWsConnect(const mg_connection* conn)
{
    // Refused before the upgrade: no session, a foreign page, no such processor, too many browsers.
    const auto session = SessionOf(conn);
    const auto link = LinkOf(conn);
    const char* why = !session ? "no session" : !OriginOk(conn) ? "foreign origin" : !link ? "no such processor" : nullptr;
    std::lock_guard lock(clientsMutex_);
    if (!why && clients_.size() >= kMaxClients) why = "too many browsers";
    if (why) {
        log_(std::string("WebSocket refused from ") + mg_get_request_info(conn)->remote_addr + ": " + why);
        return 1;
    }
    const std::uint64_t id = nextClient_++;
    clients_[id] = Client{const_cast<mg_connection*>(conn), *link, session->user, session->role};
    mg_set_user_connection_data(conn, reinterpret_cast<void*>(static_cast<std::uintptr_t>(id)));
    return 0;
}

void CWebServer::HandleWsReady(mg_connection* conn)
{
    const auto id = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(mg_get_user_connection_data(conn)));
    std::size_t link = 0;
    {
        std::lock_guard lock(clientsMutex_);
        const auto it = clients_.find(id);
        if (it == clients_.end()) return;
        it->second.ready = true;
        link = it->second.link;
    }
    outbox_.Add(id, link);
    links_[link]->Join(id);
}

int CWebServer::HandleWsData(mg_connection* conn, int bits, const char* data, std::size_t size)
{
    const int opcode = bits & 0x0F;
    if (opcode == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE) return 0;
    if (opcode != MG_WEBSOCKET_OPCODE_TEXT) return 1;
    const auto id = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(mg_get_user_connection_data(conn)));
    Client client;
    {
        std::lock_guard lock(clientsMutex_);
        const auto it = clients_.find(id);
        if (it == clients_.end()) return 0;
        client = it->second;
    }
    if (size > kMaxClientMessageBytes) {
        // Nothing this large is a message of ours: drop the browser.
        log_("closed the WebSocket of " + client.user + ": a frame of " + std::to_string(size) + " bytes");
        return 0;
    }
    links_[client.link]->Submit(id, client.user, client.role, std::string(data, size));
    return 1;
}

void CWebServer::HandleWsClose(const mg_connection* conn)
{
    const auto id = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(mg_get_user_connection_data(conn)));
    outbox_.Remove(id);
    std::lock_guard lock(clientsMutex_);
    clients_.erase(id);
}

void CWebServer::WriteLoop()
{
    for (;;) {
        auto batches = outbox_.Take(std::chrono::milliseconds(200));
        if (!writing_ && batches.empty()) return;
        std::lock_guard lock(clientsMutex_);
        for (const auto& batch : batches) {
            const auto it = clients_.find(batch.client);
            if (it == clients_.end() || !it->second.ready) continue;
            mg_connection* conn = it->second.conn;
            mg_lock_connection(conn);
            if (batch.overflow) {
                log_("dropped the WebSocket of " + it->second.user + ": it fell behind");
                mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE, "", 0);
            }
            for (const auto& text : batch.texts) mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_TEXT, text->data(), text->size());
            mg_unlock_connection(conn);
        }
    }
}

void CWebServer::Broadcast(std::size_t link, const std::string& text, bool meter)
{
    outbox_.Broadcast(link, text, meter);
}

void CWebServer::Send(std::uint64_t client, const std::string& text)
{
    outbox_.Send(client, text);
}
