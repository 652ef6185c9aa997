#include "agent/AgentConfig.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::optional<std::uint64_t> Number(const std::string& text, std::uint64_t max)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value > max)
        return std::nullopt;
    return value;
}

// One group as read: key to (value, line).
using Group = std::map<std::string, std::pair<std::string, int>>;

class Reader {
public:
    Reader(const std::string& group, const Group& keys, std::string* why) : group_(group), keys_(keys), why_(why) {}

    bool Has(const std::string& key) const { return keys_.count(key) != 0; }
    std::string Text(const std::string& key, const std::string& fallback) const
    {
        const auto it = keys_.find(key);
        return it == keys_.end() ? fallback : it->second.first;
    }
    template <typename T>
    bool Get(const std::string& key, T& into, std::uint64_t min, std::uint64_t max)
    {
        const auto it = keys_.find(key);
        if (it == keys_.end())
            return true;
        const auto value = Number(it->second.first, max);
        if (!value || *value < min)
            return Fail(key, it->second.second, "a whole number from " + std::to_string(min) + " to " + std::to_string(max));
        into = static_cast<T>(*value);
        return true;
    }
    bool Fail(const std::string& key, int line, const std::string& wanted)
    {
        *why_ = "line " + std::to_string(line) + ": [" + group_ + "] " + key + " must be " + wanted;
        return false;
    }
    int Line(const std::string& key) const { return keys_.at(key).second; }
    bool FailGroup(const std::string& what)
    {
        *why_ = "[" + group_ + "] " + what;
        return false;
    }
    // Keys the group may not have.
    bool OnlyKnown(const std::set<std::string>& known)
    {
        for (const auto& [key, value] : keys_) {
            if (!known.count(key)) {
                *why_ = "line " + std::to_string(value.second) + ": [" + group_ + "] has no key \"" + key + "\"";
                return false;
            }
        }
        return true;
    }

private:
    std::string group_;
    const Group& keys_;
    std::string* why_;
};

// The baud-rate codes of the connection settings.
std::optional<std::uint32_t> BaudCode(std::uint32_t baud)
{
    static constexpr std::array<std::uint32_t, 4> kBauds{9600, 19200, 38400, 57600};
    const auto it = std::find(kBauds.begin(), kBauds.end(), baud);
    if (it == kBauds.end())
        return std::nullopt;
    return static_cast<std::uint32_t>(it - kBauds.begin());
}

bool ReadAgent(Reader r, AgentConfig& config)
{
    if (!r.OnlyKnown({"metrics_address", "metrics_port", "verbose"}))
        return false;
    config.metricsAddress = r.Text("metrics_address", config.metricsAddress);
    const std::string verbose = r.Text("verbose", "no");
    config.verbose = verbose == "yes" || verbose == "true" || verbose == "1";
    return r.Get("metrics_port", config.metricsPort, 0, 65535);
}

bool ReadProcessor(const std::string& group, Reader r, ProcessorConfig& p)
{
    if (!r.OnlyKnown({"name", "host", "port", "serial", "baud", "lock_code", "listen_address", "listen_port",
                      "listen_lock_code", "reply_timeout_ms", "tries", "status_rate"}))
        return false;
    p.name = r.Text("name", group);
    if (r.Has("host") == r.Has("serial"))
        return r.FailGroup("needs one of host and serial: a processor is reached either by host or by serial");
    if (r.Has("host")) {
        p.link.transportIndex = 0;
        p.link.portName = "TCP";
        p.link.host = r.Text("host", "");
    } else {
        p.link.transportIndex = 1;
        p.link.portName = r.Text("serial", "");
        std::uint32_t baud = 19200;
        if (!r.Get("baud", baud, 0, 1000000))
            return false;
        const auto code = BaudCode(baud);
        if (!code)
            return r.Fail("baud", r.Line("baud"), "9600, 19200, 38400 or 57600");
        p.link.baudRate = *code;
        p.link.dataBits = 3;  // 8 data bits, no parity, one stop bit, no flow control
    }
    p.link.lockCode = kDefaultLockCode;
    // A lost link comes back by itself, as the window's does.
    p.link.reconnect = true;
    if (!r.Get("port", p.link.portNumber, 1, 65535) || !r.Get("lock_code", p.link.lockCode, 0, 9999) ||
        !r.Get("reply_timeout_ms", p.link.replyTimeoutMs, 50, 60000) || !r.Get("tries", p.link.tries, 1, 100) ||
        !r.Get("status_rate", p.link.statusRate, 1, 50) || !r.Get("listen_port", p.listenPort, 0, 65535))
        return false;
    p.listenLockCode = p.link.lockCode;
    if (!r.Get("listen_lock_code", p.listenLockCode, 0, 9999))
        return false;
    p.listenAddress = r.Text("listen_address", p.listenAddress);
    p.listen = r.Has("listen_port");
    return true;
}

}  // namespace

std::optional<AgentConfig> ParseAgentConfig(const std::string& text, std::string* why)
{
    std::vector<std::pair<std::string, Group>> groups;
    std::istringstream in(text);
    std::string raw;
    for (int line = 1; std::getline(in, raw); ++line) {
        const std::string l = Trim(raw);
        if (l.empty() || l[0] == '#' || l[0] == ';')
            continue;
        if (l.front() == '[') {
            if (l.back() != ']' || Trim(l.substr(1, l.size() - 2)).empty()) {
                *why = "line " + std::to_string(line) + ": a group name in brackets expected";
                return std::nullopt;
            }
            const std::string name = Trim(l.substr(1, l.size() - 2));
            for (const auto& g : groups)
                if (g.first == name) {
                    *why = "line " + std::to_string(line) + ": group [" + name + "] given twice";
                    return std::nullopt;
                }
            groups.emplace_back(name, Group{});
            continue;
        }
        const auto eq = l.find('=');
        if (eq == std::string::npos || groups.empty()) {
            *why = "line " + std::to_string(line) + (groups.empty() ? ": a key before any group" : ": key = value expected");
            return std::nullopt;
        }
        groups.back().second[Trim(l.substr(0, eq))] = {Trim(l.substr(eq + 1)), line};
    }

    AgentConfig config;
    std::set<std::string> names;
    std::set<std::pair<std::string, std::uint16_t>> listens;
    for (const auto& [name, keys] : groups) {
        if (name == "agent") {
            if (!ReadAgent(Reader(name, keys, why), config))
                return std::nullopt;
            continue;
        }
        // The browser remote's groups; its own reader takes them.
        if (name == "web" || name == "users")
            continue;
        ProcessorConfig p;
        if (!ReadProcessor(name, Reader(name, keys, why), p))
            return std::nullopt;
        if (!names.insert(p.name).second) {
            *why = "two processors are named \"" + p.name + "\"";
            return std::nullopt;
        }
        if (p.listenPort != 0 && !listens.insert({p.listenAddress, p.listenPort}).second) {
            *why = "[" + name + "] listens on a port another processor has";
            return std::nullopt;
        }
        config.processors.push_back(std::move(p));
    }
    if (config.processors.empty()) {
        *why = "no processor is configured";
        return std::nullopt;
    }
    return config;
}

std::optional<AgentConfig> LoadAgentConfig(const std::string& path, std::string* why)
{
    std::ifstream in(path);
    if (!in) {
        *why = "cannot read " + path;
        return std::nullopt;
    }
    std::stringstream text;
    text << in.rdbuf();
    auto config = ParseAgentConfig(text.str(), why);
    if (!config)
        *why = path + ": " + *why;
    return config;
}
