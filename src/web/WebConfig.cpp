#include "web/WebConfig.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::optional<int> Port(const std::string& text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > 65535) return std::nullopt;
    return value;
}

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> out;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ','))
        if (!Trim(part).empty()) out.push_back(Trim(part));
    return out;
}

bool SetWebKey(WebConfig& c, const std::string& key, const std::string& value)
{
    if (key == "listen") c.listen = value;
    else if (key == "cert") c.cert = value;
    else if (key == "key") c.key = value;
    else if (key == "origin") c.origins = SplitList(value);
    else if (key == "port") {
        const auto port = Port(value);
        if (!port) return false;
        c.port = *port;
    } else return false;
    return true;
}

}  // namespace

WebConfig ParseWebConfig(const std::string& text, std::vector<std::string>& errors)
{
    WebConfig config;
    std::stringstream in(text);
    std::string line;
    std::string group;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            group = Trim(line.substr(1, line.size() - 2));
            config.enabled = config.enabled || group == "web";
            continue;
        }
        const auto eq = line.find('=');
        bool ok = eq != std::string::npos;
        const std::string key = ok ? Trim(line.substr(0, eq)) : std::string();
        const std::string value = ok ? Trim(line.substr(eq + 1)) : std::string();
        if (ok && group == "web") ok = SetWebKey(config, key, value);
        else if (ok && group == "users") {
            const auto user = ParseUserEntry(value);
            ok = user && ValidUserName(key);
            if (ok) config.users[key] = *user;
        }
        if (!ok) errors.push_back("line " + std::to_string(number) + " not understood: " + line);
    }
    return config;
}

std::string SetUserInConfig(const std::string& text, const std::string& name, const WebUser& user)
{
    std::stringstream in(text);
    std::string line;
    std::string out;
    std::string group;
    bool done = false;
    const std::string entry = name + " = " + UserEntry(user) + "\n";
    auto leaveUsers = [&] {
        if (group == "users" && !done) out += entry, done = true;
    };
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (!t.empty() && t.front() == '[' && t.back() == ']') {
            leaveUsers();
            group = Trim(t.substr(1, t.size() - 2));
        } else if (group == "users" && Trim(t.substr(0, t.find('='))) == name && t.find('=') != std::string::npos) {
            // The user's old line goes; the new one is written in its place.
            if (!done) out += entry, done = true;
            continue;
        }
        out += line + "\n";
    }
    leaveUsers();
    if (!done) out += "\n[users]\n" + entry;
    return out;
}

bool AddUserToConfigFile(const std::string& path, const std::string& name, const std::string& roleName,
                         const std::string& password, std::string* why)
{
    const auto role = WebRoleFromName(roleName);
    if (!ValidUserName(name) || !role) {
        *why = "a user name is 1 to 32 letters, digits, '.', '_' or '-'; the role admin or readonly";
        return false;
    }
    if (password.size() < 8) {
        *why = "the password needs at least 8 characters";
        return false;
    }
    const std::string hash = HashPassword(password);
    if (hash.empty()) {
        *why = "hashing the password failed";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *why = "cannot read " + path;
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    // Written beside the file and renamed over it, so a failure leaves the old one.
    const std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << SetUserInConfig(text.str(), name, WebUser{*role, hash});
        if (!out) {
            *why = "cannot write " + temp;
            return false;
        }
    }
    std::error_code error;
    std::filesystem::permissions(temp, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 error);
    std::filesystem::rename(temp, path, error);
    if (error) {
        *why = "cannot replace " + path + ": " + error.message();
        return false;
    }
    return true;
}
