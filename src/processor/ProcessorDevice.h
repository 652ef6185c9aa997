#pragma once

#include "common/ByteString.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace processor {

// What follows the reply to a command on the link that carried it.
enum class FollowUp {
    None,
    Disconnect,       // the application left: drop any transfer in progress
    SendData,         // XModem download of `data` (description or preset)
    SendNothing,      // a download of something that does not exist: cancel at once
    ReceivePreset,    // XModem upload into preset `preset`
    ReceiveUpgrade,   // XModem upload of a firmware image
};

struct Answer {
    ByteString reply;  // empty: nothing is sent
    FollowUp then = FollowUp::None;
    ByteString data;
    std::uint8_t preset = 0;
};

// What answers the commands that a ProcessorLink cuts out of its input: the
// simulated processor, or the agent standing in for a real one.
class IProcessorDevice {
public:
    virtual ~IProcessorDevice() = default;

    // `command` is one whole, cut command packet (its checksum not yet checked).
    virtual Answer Handle(const ByteString& command) = 0;
    // Bytes an upload must reach before the processor has all of it; nullopt
    // while that is not known yet (an upgrade before its header arrived).
    virtual std::optional<std::size_t> UploadSize(FollowUp kind, const ByteString& received) const = 0;
    // An upload ended: store it, or refuse it with a log line. True when stored.
    virtual bool FinishUpload(FollowUp kind, std::uint8_t preset, const ByteString& data) = 0;
    // Called from the link's timed work: a chance to write kept state.
    virtual void FlushState() {}

    virtual void Log(const std::string& line) const = 0;
    virtual bool Logging() const = 0;
};

// Wire helpers of the processor's side.
ByteString MakeReply(std::uint8_t opcode, std::initializer_list<std::uint8_t> payload);
// Length of the command that starts with this opcode, or 0 for an opcode that is
// not in the command set.
std::size_t CommandLength(std::uint8_t opcode);

}  // namespace processor
