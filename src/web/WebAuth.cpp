#include "web/WebAuth.h"

#include <sodium.h>

#include <algorithm>
#include <vector>

namespace {

bool SodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

}  // namespace

const char* WebRoleName(WebRole role)
{
    return role == WebRole::Admin ? "admin" : "readonly";
}

std::optional<WebRole> WebRoleFromName(const std::string& name)
{
    if (name == "admin") return WebRole::Admin;
    if (name == "readonly") return WebRole::ReadOnly;
    return std::nullopt;
}

HashCost HashCost::Interactive()
{
    return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

HashCost HashCost::Minimum()
{
    return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};
}

std::string HashPassword(const std::string& password, HashCost cost)
{
    if (!SodiumReady()) return {};
    std::vector<char> out(crypto_pwhash_STRBYTES);
    if (crypto_pwhash_str_alg(out.data(), password.data(), password.size(), cost.ops, cost.memory,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        return {};
    return out.data();
}

bool VerifyPassword(const std::string& hash, const std::string& password)
{
    // Only Argon2id is accepted, so a weaker hash cannot be slipped into the config.
    if (!SodiumReady() || hash.rfind("$argon2id$", 0) != 0 || hash.size() >= crypto_pwhash_STRBYTES) return false;
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::string UserEntry(const WebUser& user)
{
    return std::string(WebRoleName(user.role)) + ":" + user.hash;
}

std::optional<WebUser> ParseUserEntry(const std::string& entry)
{
    const auto colon = entry.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto role = WebRoleFromName(entry.substr(0, colon));
    std::string hash = entry.substr(colon + 1);
    if (!role || hash.rfind("$argon2id$", 0) != 0) return std::nullopt;
    return WebUser{*role, std::move(hash)};
}

bool ValidUserName(const std::string& name)
{
    if (name.empty() || name.size() > 32) return false;
    return std::all_of(name.begin(), name.end(), [](char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '.' ||
               ch == '_' || ch == '-';
    });
}

std::string CSessionTable::Create(const std::string& user, WebRole role, WebClock::time_point now)
{
    if (!SodiumReady()) return {};
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    char hex[2 * sizeof bytes + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    std::erase_if(sessions_, [&](const auto& s) { return now - s.second.lastUse > kIdle; });
    if (sessions_.size() >= kCap) {
        auto oldest = std::min_element(sessions_.begin(), sessions_.end(), [](const auto& x, const auto& y) {
            return x.second.lastUse < y.second.lastUse;
        });
        sessions_.erase(oldest);
    }
    sessions_[hex] = WebSession{user, role, now};
    return hex;
}

std::optional<WebSession> CSessionTable::Find(const std::string& token, WebClock::time_point now)
{
    const auto it = sessions_.find(token);
    if (it == sessions_.end()) return std::nullopt;
    if (now - it->second.lastUse > kIdle) {
        sessions_.erase(it);
        return std::nullopt;
    }
    it->second.lastUse = now;
    return it->second;
}

bool CLoginLimiter::Allowed(const std::string& address, WebClock::time_point now)
{
    const auto it = entries_.find(address);
    if (it == entries_.end()) return true;
    if (now - it->second.first >= kWindow) {
        entries_.erase(it);
        return true;
    }
    return it->second.failures < kMaxFailures;
}

void CLoginLimiter::Failed(const std::string& address, WebClock::time_point now)
{
    auto it = entries_.find(address);
    if (it != entries_.end() && now - it->second.first >= kWindow) entries_.erase(it), it = entries_.end();
    if (it == entries_.end()) {
        // Forget settled addresses first; a flood of new ones still cannot grow the map.
        if (entries_.size() >= kCap)
            std::erase_if(entries_, [&](const auto& e) { return now - e.second.first >= kWindow; });
        if (entries_.size() >= kCap) entries_.erase(entries_.begin());
        it = entries_.emplace(address, Entry{now, 0}).first;
    }
    ++it->second.failures;
}

std::string CookieValue(const std::string& header, const std::string& name)
{
    std::size_t pos = 0;
    while (pos < header.size()) {
        const std::size_t end = std::min(header.find(';', pos), header.size());
        std::size_t start = pos;
        while (start < end && header[start] == ' ') ++start;
        const std::string part = header.substr(start, end - start);
        if (part.size() > name.size() && part.compare(0, name.size(), name) == 0 && part[name.size()] == '=')
            return part.substr(name.size() + 1);
        pos = end + 1;
    }
    return {};
}

std::string SessionCookie(const std::string& token, bool secure)
{
    return "vexlor_session=" + token + "; Path=/; HttpOnly; SameSite=Strict" + (secure ? "; Secure" : "");
}
