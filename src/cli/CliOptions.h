#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The command line of vexlor-cli.
struct CliOptions {
    std::string host = "127.0.0.1";
    std::uint32_t port = 1203;
    std::string serialDevice;  // empty: UDP
    std::string lockText;
    std::string profile;  // a stored connection profile instead of host, port and lock
    bool log = false;
    bool json = false;     // one JSON object per report instead of text
    bool changes = false;  // watch: the change history's lines too
    double seconds = 10;        // watch
    bool reconnect = false;     // watch: ride through a lost link
    double timeoutSeconds = 120; // connect and each command
    std::int32_t replyTimeoutMs = 2000;  // the link's wait for each reply
    std::string command;
    std::vector<std::string> args;
};

// Empty with `error` set when the line is wrong.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& argv, std::string& error);

const char* CliUsage();
