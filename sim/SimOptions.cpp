#include "SimOptions.h"

#include "core/ModelCatalog.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace vsim {
namespace {

bool ParseInt(const std::string& text, long lo, long hi, long& out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool ParseFraction(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v) || v < 0 || v > 1)
        return false;
    out = v;
    return true;
}

struct Flag {
    bool takesValue;
    std::function<bool(SimOptions&, const std::string&)> apply;
    const char* expects;  // for the error text
};

template <typename T>
std::function<bool(SimOptions&, const std::string&)> Int(T SimOptions::*field, long lo, long hi)
{
    return [=](SimOptions& o, const std::string& v) {
        long n = 0;
        if (!ParseInt(v, lo, hi, n))
            return false;
        o.*field = static_cast<T>(n);
        return true;
    };
}

std::function<bool(SimOptions&, const std::string&)> Fraction(double FaultOptions::*field)
{
    return [=](SimOptions& o, const std::string& v) { return ParseFraction(v, o.faults.*field); };
}

std::function<bool(SimOptions&, const std::string&)> Set(bool SimOptions::*field, bool value)
{
    return [=](SimOptions& o, const std::string&) {
        o.*field = value;
        return true;
    };
}

const std::map<std::string, Flag>& Flags()
{
    static const std::map<std::string, Flag> flags{
        {"--model", {true, [](SimOptions& o, const std::string& v) {
                         long n = 0;
                         if (!ParseInt(v, 0, 255, n) || !MakeModel(static_cast<int>(n)))
                             return false;
                         o.model = static_cast<int>(n);
                         return true;
                     }, "a model code: 1, 2, 4 to 10, 12 to 15, or 0, 3, 11, 16"}},
        {"--port", {true, Int(&SimOptions::port, 0, 65535), "a port number 0 to 65535"}},
        {"--count", {true, Int(&SimOptions::count, 1, 1000), "a count 1 to 1000"}},
        {"--no-udp", {false, Set(&SimOptions::udp, false), ""}},
        {"--serial", {false, Set(&SimOptions::serial, true), ""}},
        {"--baud", {true, Int(&SimOptions::baud, 50, 4000000), "a baud rate 50 to 4000000"}},
        {"--lock", {true, Int(&SimOptions::lock, 0, 9999), "a lock code 0 to 9999"}},
        {"--state", {true, [](SimOptions& o, const std::string& v) {
                         o.statePath = v;
                         return !v.empty();
                     }, "a file name"}},
        {"--seed", {true, [](SimOptions& o, const std::string& v) {
                        long n = 0;
                        if (!ParseInt(v, 0, 4294967295L, n))
                            return false;
                        o.faults.seed = static_cast<std::uint32_t>(n);
                        return true;
                    }, "a number 0 to 4294967295"}},
        {"--drop", {true, Fraction(&FaultOptions::drop), "a fraction 0 to 1"}},
        {"--corrupt", {true, Fraction(&FaultOptions::corrupt), "a fraction 0 to 1"}},
        {"--delay", {true, Fraction(&FaultOptions::delay), "a fraction 0 to 1"}},
        {"--duplicate", {true, Fraction(&FaultOptions::duplicate), "a fraction 0 to 1"}},
        {"--noise", {true, Fraction(&FaultOptions::noise), "a fraction 0 to 1"}},
        {"--stray", {true, Fraction(&FaultOptions::stray), "a fraction 0 to 1"}},
        {"--delay-ms", {true, [](SimOptions& o, const std::string& v) {
                            long n = 0;
                            if (!ParseInt(v, 0, 60000, n))
                                return false;
                            o.faults.delayMs = std::chrono::milliseconds(n);
                            return true;
                        }, "milliseconds 0 to 60000"}},
        {"--cancel-after", {true, Int(&SimOptions::cancelAfterBlocks, 0, 1000000), "a block count"}},
        {"--silent-after", {true, Int(&SimOptions::silentAfterCommands, 0, 100000000), "a command count"}},
        {"--corrupt-description", {false, Set(&SimOptions::corruptDescription, true), ""}},
        {"--resend-ms", {true, Int(&SimOptions::resendMs, 10, 60000), "milliseconds 10 to 60000"}},
        {"--verbose", {false, Set(&SimOptions::verbose, true), ""}},
        {"--front-panel", {false, Set(&SimOptions::frontPanel, true), ""}},
        {"--list-models", {false, Set(&SimOptions::listModels, true), ""}},
        {"--dump-description", {true, [](SimOptions& o, const std::string& v) {
                                    o.dumpDescription = v;
                                    return !v.empty();
                                }, "a file name"}},
        {"--help", {false, Set(&SimOptions::help, true), ""}},
    };
    return flags;
}

}  // namespace

std::optional<SimOptions> ParseSimOptions(int argc, const char* const* argv, std::string* error)
{
    SimOptions o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        const auto it = Flags().find(arg);
        if (it == Flags().end()) {
            *error = "unknown argument '" + arg + "'";
            return std::nullopt;
        }
        const Flag& flag = it->second;
        if (flag.takesValue && !value) {
            if (i + 1 >= argc) {
                *error = arg + " needs " + flag.expects;
                return std::nullopt;
            }
            value = argv[++i];
        } else if (!flag.takesValue && value) {
            *error = arg + " takes no value";
            return std::nullopt;
        }
        if (!flag.apply(o, value.value_or(std::string{}))) {
            *error = arg + " needs " + flag.expects + ", not '" + value.value_or("") + "'";
            return std::nullopt;
        }
    }
    if (!o.udp && !o.serial && !o.help && !o.listModels && o.dumpDescription.empty()) {
        *error = "--no-udp leaves no port: add --serial";
        return std::nullopt;
    }
    return o;
}

const char* SimUsage()
{
    return "usage: vexlor-sim [options]\n"
           "Stands in for a Vexlor processor on 127.0.0.1 (UDP) and/or a pseudo-terminal.\n"
           "  --model CODE            model code (default 1); --list-models shows them\n"
           "  --port N                UDP port on 127.0.0.1 (default 1203, 0 picks one)\n"
           "  --count N               serve N processors, the k-th on port N + k (or each\n"
           "                          on a port of its own with --port 0)\n"
           "  --no-udp                no UDP port\n"
           "  --serial                open a pseudo-terminal and print its slave path\n"
           "  --baud N                send no faster than a serial wire at N baud\n"
           "  --lock CODE             lock code 0 to 9999 (default: accept any)\n"
           "  --state FILE            keep parameters and user presets in FILE\n"
           "  --dump-description FILE write the control description to FILE and exit\n"
           "  --front-panel           read lines \"A B C VALUE\" (numbers, 0x for hex) from\n"
           "                          standard input and change that parameter of the first\n"
           "                          processor as its front panel would\n"
           "fault injection (fractions 0 to 1 of all replies, blocks and control bytes):\n"
           "  --seed N --drop F --corrupt F --delay F --delay-ms MS --duplicate F\n"
           "  --noise F               a stray byte or a BREAK (zero byte) in F of the\n"
           "                          units on the serial line\n"
           "  --stray F               a lone EOT or CAN byte before F of the units\n"
           "  --cancel-after N        send CAN instead of transfer block N+1\n"
           "  --silent-after N        stop answering after N commands\n"
           "  --corrupt-description   send a damaged control description\n"
           "  --resend-ms MS          resend an unanswered transfer block after MS (default 500)\n"
           "  --verbose               log every command received and every reply sent\n"
           "                          to stderr, one line each\n"
           "  --version               print the version and exit\n";
}

}  // namespace vsim
