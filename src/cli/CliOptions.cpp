#include "cli/CliOptions.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

const char* CliUsage()
{
    return "usage: vexlor-cli [--host H] [--port P | --serial DEV] --lock CODE [--log] [--json]\n"
           "                  [--seconds S] [--timeout S] [--reply-ms MS] [--reconnect] COMMAND\n"
           "       vexlor-cli --profile NAME [--lock CODE] [--log] ... COMMAND\n"
           "       vexlor-cli --help | --version\n"
           "commands:\n"
           "  info               version, model, page tree and every parameter\n"
           "  get A B C          read one parameter\n"
           "  set A B C VALUE    write one parameter and read it back\n"
           "  presets            the preset list with its markers\n"
           "  backup DIR         every preset to DIR, one file per preset named by label\n"
           "  restore N FILE     upload FILE into user preset N (1 = U1)\n"
           "  watch [--changes]  status flags, meter bytes and lit LEDs per bar as they change;\n"
           "                     with --changes also every parameter change as it happens;\n"
           "                     with --reconnect it reconnects by itself after a lost link\n"
           "  profiles           the stored connection profiles (no connection is made)\n"
           "The host defaults to 127.0.0.1. --profile takes host, port or serial device and lock\n"
           "code from a profile stored by the application; --lock still overrides its code.\n"
           "--json prints info, get, presets and profiles as one JSON object and watch as one\n"
           "object per line (see vexlor-cli(1)).\n";
}

namespace {

constexpr double kMaxSeconds = 1e7;  // about four months

bool ParseNumber(const std::string& text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && out >= 0;
}

const std::map<std::string, std::size_t> kCommandArgs{
    {"info", 0}, {"get", 3}, {"set", 4}, {"presets", 0}, {"backup", 1}, {"restore", 2}, {"watch", 0}, {"profiles", 0},
};

const std::set<std::string> kJsonCommands{"info", "get", "presets", "profiles", "watch"};

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& argv, std::string& error)
{
    CliOptions o;
    bool portGiven = false;
    bool hostGiven = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argv.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--changes" && (o.command.empty() || o.command == "watch")) {
            o.changes = true;
        } else if (!o.command.empty()) {
            o.args.push_back(arg);
        } else if (arg == "--host") {
            if (!value(o.host)) return std::nullopt;
            hostGiven = true;
        } else if (arg == "--profile") {
            if (!value(o.profile)) return std::nullopt;
        } else if (arg == "--port") {
            double port = 0;
            if (!value(v) || !ParseNumber(v, port) || port > 0xFFFFFFFF) {
                if (error.empty()) error = "--port needs a number";
                return std::nullopt;
            }
            o.port = static_cast<std::uint32_t>(port);
            portGiven = true;
        } else if (arg == "--serial") {
            if (!value(o.serialDevice)) return std::nullopt;
        } else if (arg == "--lock") {
            if (!value(o.lockText)) return std::nullopt;
        } else if (arg == "--log") {
            o.log = true;
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--reconnect") {
            o.reconnect = true;
        } else if (arg == "--seconds" || arg == "--timeout") {
            double s = 0;
            // The loop counts in milliseconds of a 64-bit clock; infinity or a
            // huge number would not convert.
            if (!value(v) || !ParseNumber(v, s) || s > kMaxSeconds) {
                if (error.empty()) error = arg + " needs a number of seconds";
                return std::nullopt;
            }
            (arg == "--seconds" ? o.seconds : o.timeoutSeconds) = s;
        } else if (arg == "--reply-ms") {
            double ms = 0;
            if (!value(v) || !ParseNumber(v, ms) || ms < 1 || ms > 60000) {
                if (error.empty()) error = "--reply-ms needs milliseconds 1 to 60000";
                return std::nullopt;
            }
            o.replyTimeoutMs = static_cast<std::int32_t>(ms);
        } else if (arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            o.command = arg;
        }
    }
    if (o.command.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    const auto known = kCommandArgs.find(o.command);
    if (known == kCommandArgs.end()) {
        error = "unknown command " + o.command;
        return std::nullopt;
    }
    if (o.args.size() != known->second) {
        error = o.command + " takes " + std::to_string(known->second) + " argument(s)";
        return std::nullopt;
    }
    if (o.json && !kJsonCommands.count(o.command)) {
        error = "--json works with info, get, presets, profiles and watch";
        return std::nullopt;
    }
    if (o.changes && o.command != "watch") {
        error = "--changes belongs to watch";
        return std::nullopt;
    }
    if (!o.profile.empty() && (hostGiven || portGiven || !o.serialDevice.empty())) {
        error = "--profile excludes --host, --port and --serial";
        return std::nullopt;
    }
    if (o.lockText.empty() && o.profile.empty() && o.command != "profiles") {
        error = "--lock CODE is required";
        return std::nullopt;
    }
    // As the settings panel's field: digits only; their count the connect checks.
    if (!std::all_of(o.lockText.begin(), o.lockText.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        error = "--lock CODE takes digits only";
        return std::nullopt;
    }
    if (o.reconnect && o.command != "watch") {
        error = "--reconnect goes with watch only";
        return std::nullopt;
    }
    if (portGiven && !o.serialDevice.empty()) {
        error = "--port and --serial exclude each other";
        return std::nullopt;
    }
    return o;
}
