#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

// Log-in for the browser remote: Argon2id password hashes (libsodium), random
// session tokens carried by a cookie, and a per-address limit on failed
// log-ins. Times are passed in so tests need no clock.

enum class WebRole { Admin, ReadOnly };

const char* WebRoleName(WebRole role);
std::optional<WebRole> WebRoleFromName(const std::string& name);

// Costs of a hash. Interactive is what the config gets; tests use the minimum.
struct HashCost {
    unsigned long long ops;
    std::size_t memory;
    static HashCost Interactive();
    static HashCost Minimum();
};

// The encoded hash ("$argon2id$..."), salt included; empty when hashing fails.
std::string HashPassword(const std::string& password, HashCost cost = HashCost::Interactive());
// Constant time; false for anything that is not an Argon2id hash.
bool VerifyPassword(const std::string& hash, const std::string& password);

struct WebUser {
    WebRole role = WebRole::ReadOnly;
    std::string hash;
};

// "role:hash", as a user is kept in the config.
std::string UserEntry(const WebUser& user);
std::optional<WebUser> ParseUserEntry(const std::string& entry);

// User names: letters, digits, '.', '_' and '-', 1 to 32 of them.
bool ValidUserName(const std::string& name);

using WebClock = std::chrono::steady_clock;

struct WebSession {
    std::string user;
    WebRole role = WebRole::ReadOnly;
    WebClock::time_point lastUse;
};

// Live sessions by token. A session unused for the idle time is gone; the
// table never holds more than its cap (the oldest in use goes first).
class CSessionTable {
public:
    static constexpr std::chrono::hours kIdle{12};
    static constexpr std::size_t kCap = 256;

    std::string Create(const std::string& user, WebRole role, WebClock::time_point now);
    // Refreshes the session's last use.
    std::optional<WebSession> Find(const std::string& token, WebClock::time_point now);
    void Remove(const std::string& token) { sessions_.erase(token); }
    std::size_t Size() const { return sessions_.size(); }

private:
    std::unordered_map<std::string, WebSession> sessions_;
};

// Failed log-ins per address: after kMaxFailures within kWindow the address
// is refused until the window of its first failure has passed.
class CLoginLimiter {
public:
    static constexpr int kMaxFailures = 5;
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr std::size_t kCap = 4096;

    bool Allowed(const std::string& address, WebClock::time_point now);
    void Failed(const std::string& address, WebClock::time_point now);
    void Succeeded(const std::string& address) { entries_.erase(address); }

private:
    struct Entry {
        WebClock::time_point first;
        int failures = 0;
    };
    std::map<std::string, Entry> entries_;
};

// The value of cookie `name` in a Cookie header, or empty.
std::string CookieValue(const std::string& header, const std::string& name);
// The Set-Cookie value for a session token.
std::string SessionCookie(const std::string& token, bool secure);
