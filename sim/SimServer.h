#pragma once

#include "SimOptions.h"
#include "core/SimDevice.h"
#include "core/ProcessorSide.h"

#include <memory>
#include <string>

namespace vsim {

class UdpFrontEnd;
class PtyFrontEnd;

// The whole simulator: the processor and the ports the options ask for. main()
// runs one; tests run one in-process.
class SimServer {
public:
    SimServer(const SimOptions& options, LogFn log = {});
    ~SimServer();

    // An in-process processor of `model` on a free UDP port of 127.0.0.1 with
    // that lock code, started; none (and why) when it cannot start.
    static std::unique_ptr<SimServer> StartOnLoopback(int model, int lock, std::string* why, LogFn log = {});

    // Loads the state file and opens the ports. False and why on failure.
    bool Start(std::string* why);
    // Closes the ports and writes the state file.
    void Stop();

    SimDevice& Device() { return *device_; }
    std::uint16_t UdpPort() const;
    std::string SerialPath() const;
    const UdpFrontEnd* Udp() const { return udp_.get(); }
    const PtyFrontEnd* Pty() const { return pty_.get(); }

    static LinkOptions MakeLinkOptions(const SimOptions& options);

private:
    SimOptions options_;
    std::unique_ptr<SimDevice> device_;
    std::unique_ptr<UdpFrontEnd> udp_;
    std::unique_ptr<PtyFrontEnd> pty_;
};

}  // namespace vsim
