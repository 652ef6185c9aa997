#pragma once

#include "OutputPump.h"
#include "core/ProcessorSide.h"
#include "core/SimDevice.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <thread>

namespace vsim {

// The processor's Ethernet port: a UDP socket bound to 127.0.0.1 only. Replies go
// to whoever sent the last datagram; a new peer starts afresh.
class UdpFrontEnd {
public:
    UdpFrontEnd(SimDevice& device, const LinkOptions& options, int baud);
    ~UdpFrontEnd();

    // Binds 127.0.0.1:port (0 picks a free port) and starts the thread. False and
    // a reason when the port cannot be had.
    bool Start(std::uint16_t port, std::string* why);
    void Stop();
    std::uint16_t Port() const { return port_; }
    // Only while stopped: the link runs on the front end's thread.
    const ProcessorLink& Link() const { return link_; }

private:
    void Run();
    void Send(const std::uint8_t* data, std::size_t length);

    SimDevice& device_;
    ProcessorLink link_;
    int fd_ = -1;
    std::uint16_t port_ = 0;
    std::mutex peerMutex_;
    sockaddr_in peer_{};
    bool hasPeer_ = false;
    std::unique_ptr<OutputPump> pump_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace vsim
