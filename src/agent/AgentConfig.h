#pragma once

#include "settings/ConnectionSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the agent's INI file says. The group [agent] holds the agent's own keys,
// [web] and [users] the browser remote's (read by ParseWebConfig); every other
// group is one processor, named by the group unless "name" says otherwise. See
// packaging/vexlor-agent.ini for every key.
struct ProcessorConfig {
    std::string name;
    // How the agent reaches the processor: UDP (host, port) or a serial line.
    ConnectionSettings link;
    // The re-served port: remotes connect here as to the processor itself.
    bool listen = false;  // re-served only when the config gives listen_port
    std::string listenAddress = "127.0.0.1";
    std::uint16_t listenPort = 0;  // 0 takes a free port
    std::uint32_t listenLockCode = kDefaultLockCode;
};

struct AgentConfig {
    std::string metricsAddress = "127.0.0.1";
    std::uint16_t metricsPort = 9523;  // 0: no metrics server
    bool verbose = false;
    std::vector<ProcessorConfig> processors;
};

// Nothing (and why, with the line number) when the text is not a valid config.
std::optional<AgentConfig> ParseAgentConfig(const std::string& text, std::string* why);
std::optional<AgentConfig> LoadAgentConfig(const std::string& path, std::string* why);
