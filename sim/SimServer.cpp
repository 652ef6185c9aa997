#include "SimServer.h"

#include "core/ModelCatalog.h"
#include "frontend/PtyFrontEnd.h"
#include "frontend/UdpFrontEnd.h"

namespace vsim {

LinkOptions SimServer::MakeLinkOptions(const SimOptions& o)
{
    LinkOptions l;
    l.faults = o.faults;
    l.resendAfter = std::chrono::milliseconds(o.resendMs);
    l.cancelAfterBlocks = o.cancelAfterBlocks;
    l.silentAfterCommands = o.silentAfterCommands;
    return l;
}

SimServer::SimServer(const SimOptions& options, LogFn log) : options_(options)
{
    DeviceOptions d;
    d.lockCode = options.lock;
    d.corruptDescription = options.corruptDescription;
    d.seed = options.faults.seed;
    d.statePath = options.statePath;
    d.log = std::move(log);
    auto model = MakeModel(options.model);
    device_ = std::make_unique<SimDevice>(model ? std::move(*model) : *MakeModel(1), std::move(d));
}

SimServer::~SimServer()
{
    Stop();
}

std::unique_ptr<SimServer> SimServer::StartOnLoopback(int model, int lock, std::string* why, LogFn log)
{
    SimOptions options;
    options.model = model;
    options.port = 0;  // any free port
    options.lock = lock;
    auto server = std::make_unique<SimServer>(options, std::move(log));
    if (!server->Start(why)) return nullptr;
    return server;
}

bool SimServer::Start(std::string* why)
{
    if (!device_->LoadState(why)) {
        *why = "state file " + options_.statePath + ": " + *why;
        return false;
    }
    const LinkOptions link = MakeLinkOptions(options_);
    if (options_.udp) {
        LinkOptions udp = link;
        udp.name = "udp";
        udp.faults.noise = 0;  // a datagram arrives whole or not at all
        udp.faults.duplicateGap = std::chrono::milliseconds(0);
        udp_ = std::make_unique<UdpFrontEnd>(*device_, udp, options_.baud);
        if (!udp_->Start(options_.port, why)) {
            udp_.reset();
            return false;
        }
    }
    if (options_.serial) {
        // The serial link gets its own fault generator, seeded apart from UDP's.
        LinkOptions serial = link;
        serial.name = "serial";
        serial.faults.seed = link.faults.seed + 1;
        pty_ = std::make_unique<PtyFrontEnd>(*device_, serial, options_.baud);
        if (!pty_->Start(why)) {
            pty_.reset();
            Stop();
            return false;
        }
    }
    return true;
}

void SimServer::Stop()
{
    if (udp_)
        udp_->Stop();
    if (pty_)
        pty_->Stop();
    device_->FlushState();
}

std::uint16_t SimServer::UdpPort() const
{
    return udp_ ? udp_->Port() : 0;
}

std::string SimServer::SerialPath() const
{
    return pty_ ? pty_->SlavePath() : std::string{};
}

}  // namespace vsim
