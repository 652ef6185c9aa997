#pragma once

#include "processor/FaultInjector.h"
#include "processor/ProcessorDevice.h"

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace processor {

struct LinkOptions {
    std::string name = "link";  // leads every log line of the link
    FaultOptions faults;
    // A download block (or EOT) that nobody answered is sent again after this
    // long, a few times, so a lost block is not taken for the end of a preset.
    std::chrono::milliseconds resendAfter{500};
    int maxResends = 3;
    int cancelAfterBlocks = -1;   // send CAN instead of block N + 1 (-1: never)
    int silentAfterCommands = -1; // answer nothing after N commands (-1: never)
    // A part of a command or block that is not completed within this time is
    // thrown away (stream links only).
    std::chrono::milliseconds staleInput{500};
    // A transfer with no answer at all for this long is abandoned.
    std::chrono::milliseconds transferIdle{30000};
};

// The processor's side of one port (a UDP peer or a serial line): cuts commands
// and transfer blocks out of what arrives, has the device answer the commands,
// runs the XModem transfers, and hands back what to send. The simulator and the
// agent both serve their remotes through it. Not thread-safe; each front end
// drives its own link.
class ProcessorLink {
public:
    using Clock = std::chrono::steady_clock;

    ProcessorLink(IProcessorDevice& device, LinkOptions options);

    // Bytes that arrived. For UDP pass one datagram with `datagram` set: what is
    // left of it once cut is thrown away rather than kept for the next one.
    std::vector<Output> Feed(const std::uint8_t* data, std::size_t length, Clock::time_point now,
                             bool datagram = false);
    // Timed work: resending unanswered blocks, dropping stale input, abandoning
    // transfers. Call at least every few tens of milliseconds.
    std::vector<Output> Poll(Clock::time_point now);

    // The application went away (Disconnect, another peer): drop any transfer.
    void Reset();

    enum class Mode { Command, SendWaitStart, SendBlock, SendEot, Receive, ReceiveDone };
    Mode CurrentMode() const { return mode_; }
    const FaultInjector::Counts& Faults() const { return faults_.Done(); }
    std::uint32_t CommandsSeen() const { return commands_; }
    // Downloads the application ended wrongly: its EOT answered by anything but
    // ACK (a NAK asks for the EOT again and is fine).
    std::uint32_t TransfersFailed() const { return transfersFailed_; }
    // True once after the application said goodbye (Disconnect or a dropped link):
    // whatever is still waiting to be sent to it should be forgotten.
    bool TakeGoodbye() { return std::exchange(goodbye_, false); }

private:
    // Length of the unit at the start of the input: 0 for "not a unit, drop a
    // byte", nullopt for "incomplete".
    std::optional<std::size_t> UnitLength() const;
    void TakeUnit(std::size_t length, Clock::time_point now);
    void OnCommand(const ByteString& command, Clock::time_point now);
    void OnSenderInput(std::uint8_t byte, Clock::time_point now);
    void OnReceiverInput(const ByteString& unit, Clock::time_point now);
    void SendBlock(Clock::time_point now);
    void SendControl(std::uint8_t byte, Clock::time_point now);
    void Emit(ByteString bytes);
    // A download whose EOT got no ACK: logged as a protocol error and counted.
    void FailEot(const std::string& answer);
    void Log(const std::string& line) const;
    void ReceiveBlock(const ByteString& block);

    IProcessorDevice& device_;
    LinkOptions options_;
    FaultInjector faults_;
    std::vector<Output> out_;

    ByteString input_;
    Clock::time_point inputSince_{};
    Mode mode_ = Mode::Command;
    std::uint32_t commands_ = 0;
    std::uint32_t transfersFailed_ = 0;
    bool goodbye_ = false;

    // Download
    ByteString sendData_;
    std::size_t block_ = 0;  // index of the block on offer
    int resends_ = 0;
    Clock::time_point lastSent_{};
    Clock::time_point lastHeard_{};

    // Upload
    FollowUp receiveKind_ = FollowUp::None;
    std::uint8_t receivePreset_ = 0;
    ByteString received_;
    std::uint32_t expectedBlock_ = 1;
    bool receiveFailed_ = false;
};

}  // namespace processor
