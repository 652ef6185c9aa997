#pragma once

#include "core/ProcessorSide.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vsim {

struct SimOptions {
    int model = 1;
    int count = 1;  // processors served by this one process
    std::uint16_t port = 1203;
    bool udp = true;
    bool serial = false;
    int baud = 0;    // 0: no pacing
    int lock = -1;   // -1: any lock code is accepted
    std::string statePath;
    FaultOptions faults;
    int cancelAfterBlocks = -1;
    int silentAfterCommands = -1;
    bool corruptDescription = false;
    int resendMs = 500;
    bool verbose = false;
    bool frontPanel = false;  // changes typed on standard input, as the front panel makes them
    bool listModels = false;
    bool help = false;
    std::string dumpDescription;
};

// Parses the command line; nullopt with a one-line reason on any bad argument.
std::optional<SimOptions> ParseSimOptions(int argc, const char* const* argv, std::string* error);

const char* SimUsage();

}  // namespace vsim
