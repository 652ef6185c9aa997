#pragma once

#include "OutputPump.h"
#include "core/ProcessorSide.h"
#include "core/SimDevice.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace vsim {

// The processor's serial port: the master side of a pseudo-terminal. The
// application opens the slave path like any serial device.
class PtyFrontEnd {
public:
    PtyFrontEnd(SimDevice& device, const LinkOptions& options, int baud);
    ~PtyFrontEnd();

    bool Start(std::string* why);
    void Stop();
    const std::string& SlavePath() const { return slavePath_; }
    const ProcessorLink& Link() const { return link_; }  // only while stopped

private:
    void Run();
    void Send(const std::uint8_t* data, std::size_t length);
    void DropUnreadOutput();

    ProcessorLink link_;
    int master_ = -1;
    int slave_ = -1;  // held open so the line stays up while no application has it
    std::string slavePath_;
    std::unique_ptr<OutputPump> pump_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    int unreadSince_ = 0;  // ticks the slave side has held unread bytes
};

}  // namespace vsim
