#include "web/WebServer.h"

#include "presets/PresetFile.h"
#include "web/WebAssets.h"
#include "web/WebGate.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <stdlib.h>

using nlohmann::json;

namespace {

constexpr std::size_t kMaxLoginBody = 4096;
constexpr const char* kCookieName = "vexlor_session";

using Headers = std::vector<std::pair<std::string, std::string>>;

// Nothing is loaded from anywhere else, and no page may frame this one.
http::Response Reply(int status, const std::string& type, std::string body, Headers extra = {})
{
    Headers headers{{"Content-Security-Policy", "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'"},
                    {"X-Content-Type-Options", "nosniff"},
                    {"Referrer-Policy", "no-referrer"},
                    {"Cache-Control", "no-store"}};
    headers.insert(headers.end(), extra.begin(), extra.end());
    return http::Response{status, type, std::move(body), std::move(headers)};
}

http::Response ReplyJson(int status, const json& body, Headers extra = {})
{
    return Reply(status, "application/json", body.dump(), std::move(extra));
}

// A header for the checks that take C strings: null when absent.
const char* OrNull(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

bool IsNumber(const std::string& text, std::size_t maxDigits)
{
    return !text.empty() && text.size() <= maxDigits && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string MakeWorkFolder()
{
    std::string path = (std::filesystem::temp_directory_path() / "vexlor-web-XXXXXX").string();
    return ::mkdtemp(path.data()) ? path : std::string();
}

}  // namespace

CWebServer::CWebServer(WebConfig config, CAgent& agent, std::function<void(const std::string&)> log)
    : config_(std::move(config)), agent_(agent), workFolder_(MakeWorkFolder()), log_(std::move(log))
{
    using R = const http::Request&;
    http_.Route("/api/login", [this](R r) { return Login(r); }, kMaxLoginBody);
    http_.Route("/api/logout", [this](R r) { return Logout(r); });
    http_.Route("/api/me", [this](R r) { return Me(r); });
    http_.Route("/api/processors", [this](R r) { return Processors(r); });
    http_.Route("/api/preset", [this](R r) { return PresetFile(r); }, presets::kMaxPresetFileBytes);
    http_.RouteOthers([this](R r) { return Other(r); });
    http::WebSocketHandlers sockets;
    sockets.accept = [this](R r) {
        const char* why = Refusal(r);
        if (why)
            log_(std::string("WebSocket refused from ") + r.remoteAddress + ": " + why);
        return why == nullptr;
    };
    sockets.onOpen = [this](http::WebSocket& s) { Open(s); };
    sockets.onMessage = [this](http::WebSocket& s, const std::string& data, bool binary) {
        return Message(s, data, binary);
    };
    sockets.onClose = [this](http::WebSocket& s) { Close(s); };
    http_.RouteWebSocket("/ws", std::move(sockets));
}

CWebServer::~CWebServer()
{
    Stop();
    std::error_code ignored;
    if (!workFolder_.empty())
        std::filesystem::remove_all(workFolder_, ignored);
}

bool CWebServer::Start(std::string& error)
{
    for (std::size_t i = 0; i < agent_.Processors().size(); ++i) {
        const ProcessorConfig& p = agent_.Processors()[i];
        links_.push_back(std::make_unique<CWebLink>(i, p.name, p.listenLockCode, agent_.LocalRemote(i, "web remote"),
                                                    workFolder_, *this, log_));
    }
    http::ServerOptions options;
    options.address = config_.listen;
    options.port = static_cast<std::uint16_t>(config_.port);
    options.tlsCertificate = config_.cert;
    options.tlsKey = config_.key;
    // Each open WebSocket holds a worker; a few more serve the requests.
    options.threads = static_cast<int>(kMaxClients) + 8;
    options.log = [this](const std::string& line) { log_("web server: " + line); };
    if (workFolder_.empty() || !http_.Start(options, &error)) {
        if (workFolder_.empty())
            error = "cannot make a work folder for the web remote";
        links_.clear();
        return false;
    }
    if (!config_.Loopback() && !config_.Tls())
        log_("warning: the web remote listens on " + config_.listen +
             " without TLS; passwords and cookies cross the network in clear text");
    log_("web remote at " + std::string(config_.Tls() ? "https://" : "http://") + config_.listen + ":" +
         std::to_string(http_.Port()) + "/");
    writing_ = true;
    writer_ = std::thread([this] { WriteLoop(); });
    for (auto& link : links_)
        link->Start();
    return true;
}

void CWebServer::Stop()
{
    http_.Stop();
    links_.clear();
    writing_ = false;
    outbox_.Stop();
    if (writer_.joinable())
        writer_.join();
}

std::optional<WebSession> CWebServer::SessionOf(const http::Request& request)
{
    const std::string token = CookieValue(request.Header("Cookie"), kCookieName);
    if (token.empty())
        return std::nullopt;
    std::lock_guard lock(authMutex_);
    return sessions_.Find(token, WebClock::now());
}

bool CWebServer::OriginOk(const http::Request& request) const
{
    return OriginAllowed(OrNull(request.Header("Origin")), OrNull(request.Header("Host")), config_.Tls(),
                         config_.origins);
}

std::optional<std::size_t> CWebServer::LinkOf(const http::Request& request) const
{
    const std::string p = QueryValue(request.query.c_str(), "p");
    if (!IsNumber(p, 4) || std::stoul(p) >= links_.size())
        return std::nullopt;
    return std::stoul(p);
}

http::Response CWebServer::Other(const http::Request& request)
{
    if (request.path.rfind("/api/", 0) == 0) {
        if (!SessionOf(request))
            return ReplyJson(401, {{"error", "log in first"}});
        return ReplyJson(404, {{"error", "not found"}});
    }
    if (request.method != "GET" && request.method != "HEAD")
        return Reply(405, "text/plain", "method not allowed\n");
    const WebAsset* asset = FindWebAsset(request.path == "/" ? "/index.html" : request.path);
    if (!asset)
        return Reply(404, "text/plain", "not found\n");
    return Reply(200, asset->type, std::string(reinterpret_cast<const char*>(asset->data), asset->size));
}

http::Response CWebServer::Login(const http::Request& request)
{
    if (request.method != "POST")
        return Reply(405, "text/plain", "method not allowed\n");
    const std::string& address = request.remoteAddress;
    if (!OriginOk(request))
        return ReplyJson(403, {{"error", "foreign origin"}});
    {
        std::lock_guard lock(authMutex_);
        if (!limiter_.Allowed(address, WebClock::now())) {
            log_("log-in refused for " + address + ": too many failed attempts");
            return ReplyJson(429, {{"error", "too many failed log-ins; wait a minute"}});
        }
    }
    const json j = json::parse(request.body, nullptr, false);
    const bool shaped = j.is_object() && j.contains("user") && j["user"].is_string() && j.contains("password") &&
                        j["password"].is_string();
    const std::string user = shaped ? j["user"].get<std::string>() : "";
    const auto found = config_.users.find(user);
    // Unknown users cost a hash check too, so their names cannot be timed out.
    static const std::string dummy = HashPassword("-", HashCost::Minimum());
    const bool ok = shaped &&
                    VerifyPassword(found != config_.users.end() ? found->second.hash : dummy,
                                   j["password"].get<std::string>()) &&
                    found != config_.users.end();
    std::lock_guard lock(authMutex_);
    if (!ok) {
        limiter_.Failed(address, WebClock::now());
        log_("failed log-in from " + address + (ValidUserName(user) ? " as " + user : std::string()));
        return ReplyJson(401, {{"error", "wrong user name or password"}});
    }
    limiter_.Succeeded(address);
    const std::string token = sessions_.Create(user, found->second.role, WebClock::now());
    log_(user + " logged in from " + address);
    return ReplyJson(200, {{"user", user}, {"role", WebRoleName(found->second.role)}},
                     {{"Set-Cookie", SessionCookie(token, config_.Tls())}});
}

http::Response CWebServer::Logout(const http::Request& request)
{
    if (!SessionOf(request))
        return ReplyJson(401, {{"error", "log in first"}});
    if (request.method != "POST")
        return Reply(405, "text/plain", "method not allowed\n");
    {
        std::lock_guard lock(authMutex_);
        sessions_.Remove(CookieValue(request.Header("Cookie"), kCookieName));
    }
    return ReplyJson(200, {{"ok", true}},
                     {{"Set-Cookie", std::string(kCookieName) + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict"}});
}

http::Response CWebServer::Me(const http::Request& request)
{
    const auto session = SessionOf(request);
    if (!session)
        return ReplyJson(401, {{"error", "log in first"}});
    return ReplyJson(200, {{"user", session->user}, {"role", WebRoleName(session->role)}});
}

http::Response CWebServer::Processors(const http::Request& request)
{
    if (!SessionOf(request))
        return ReplyJson(401, {{"error", "log in first"}});
    json list = json::array();
    for (const auto& link : links_)
        list.push_back(json::parse(link->Summary()));
    return ReplyJson(200, list);
}

http::Response CWebServer::PresetFile(const http::Request& request)
{
    const auto session = SessionOf(request);
    if (!session)
        return ReplyJson(401, {{"error", "log in first"}});
    const auto link = LinkOf(request);
    const std::string index = QueryValue(request.query.c_str(), "index");
    if (!link || !IsNumber(index, 3))
        return ReplyJson(400, {{"error", "processor or preset missing"}});
    if (session->role != WebRole::Admin)
        return ReplyJson(403, {{"error", "read-only user"}});
    if (!OriginOk(request))
        return ReplyJson(403, {{"error", "foreign origin"}});
    const auto n = static_cast<unsigned>(std::stoul(index));
    if (request.method == "POST") {
        if (request.body.empty())
            return ReplyJson(413, {{"error", "not a preset file"}});
        const bool ok =
            links_[*link]->UploadPreset(n, ByteString(request.body.begin(), request.body.end()), session->user);
        return ReplyJson(ok ? 200 : 409, {{"ok", ok}});
    }
    const ByteString bytes = links_[*link]->DownloadPreset(n, session->user);
    if (bytes.empty())
        return ReplyJson(409, {{"error", "the processor did not send the preset"}});
    return Reply(200, "application/octet-stream", std::string(bytes.begin(), bytes.end()),
                 {{"Content-Disposition", "attachment; filename=\"preset" + std::to_string(n + 1) + ".pst\""}});
}

const char* CWebServer::Refusal(const http::Request& request)
{
    // Refused before the upgrade: no session, a foreign page, no such processor, too many browsers.
    if (!SessionOf(request))
        return "no session";
    if (!OriginOk(request))
        return "foreign origin";
    if (!LinkOf(request))
        return "no such processor";
    std::lock_guard lock(clientsMutex_);
    return clients_.size() >= kMaxClients ? "too many browsers" : nullptr;
}

void CWebServer::Open(http::WebSocket& socket)
{
    // The session and processor were checked before the upgrade; read them again here.
    const auto session = SessionOf(socket.Handshake());
    const auto link = LinkOf(socket.Handshake());
    std::uint64_t id = 0;
    {
        std::lock_guard lock(clientsMutex_);
        if (!session || !link || clients_.size() >= kMaxClients) {
            socket.Close();
            return;
        }
        id = nextClient_++;
        clients_[id] = Client{&socket, *link, session->user, session->role};
        ids_[&socket] = id;
    }
    outbox_.Add(id, *link);
    links_[*link]->Join(id);
}

bool CWebServer::Message(http::WebSocket& socket, const std::string& data, bool binary)
{
    Client client;
    std::uint64_t id = 0;
    {
        std::lock_guard lock(clientsMutex_);
        const auto it = ids_.find(&socket);
        if (it == ids_.end())
            return false;
        id = it->second;
        client = clients_.at(id);
    }
    if (binary)
        return false;
    if (data.size() > kMaxClientMessageBytes) {
        // Nothing this large is a message of ours: drop the browser.
        log_("closed the WebSocket of " + client.user + ": a frame of " + std::to_string(data.size()) + " bytes");
        return false;
    }
    links_[client.link]->Submit(id, client.user, client.role, data);
    return true;
}

void CWebServer::Close(http::WebSocket& socket)
{
    std::uint64_t id = 0;
    std::size_t link = 0;
    {
        std::lock_guard lock(clientsMutex_);
        const auto it = ids_.find(&socket);
        if (it == ids_.end())
            return;
        id = it->second;
        link = clients_.at(id).link;
        clients_.erase(id);
        ids_.erase(it);
    }
    outbox_.Remove(id);
    links_[link]->Leave(id);
}

void CWebServer::WriteLoop()
{
    for (;;) {
        auto batches = outbox_.Take(std::chrono::milliseconds(200));
        if (!writing_ && batches.empty())
            return;
        std::lock_guard lock(clientsMutex_);
        for (const auto& batch : batches) {
            const auto it = clients_.find(batch.client);
            if (it == clients_.end())
                continue;
            http::WebSocket& socket = *it->second.socket;
            if (batch.overflow) {
                log_("dropped the WebSocket of " + it->second.user + ": it fell behind");
                socket.Close();
            }
            for (const auto& text : batch.texts)
                socket.Send(*text);
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
