#include "processor/ProcessorLink.h"

#include "link/Packet.h"
#include "link/XModemBlock.h"

#include <algorithm>
#include <cstdio>

namespace processor {
namespace {

// One unit on the wire as a log shows it: a control byte by name, a transfer
// block by number, anything else byte by byte.
std::string Describe(const ByteString& bytes)
{
    if (bytes.size() == 1) {
        switch (bytes[0]) {
        case XM_EOT: return "EOT";
        case XM_ACK: return "ACK";
        case XM_NAK: return "NAK";
        case XM_CAN: return "CAN";
        case XM_START: return "C";
        default: break;
        }
    }
    if (bytes.size() >= kXBlockLength && bytes[0] == XM_SOH)
        return "block " + std::to_string(bytes[1]) + " (" + std::to_string(bytes.size()) + " bytes)";
    std::string text;
    char hex[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%s%02X", text.empty() ? "" : " ", b);
        text += hex;
    }
    return text;
}

}  // namespace

ProcessorLink::ProcessorLink(IProcessorDevice& device, LinkOptions options)
    : device_(device), options_(options), faults_(options.faults)
{
}

void ProcessorLink::Reset()
{
    mode_ = Mode::Command;
    input_.clear();
    sendData_.clear();
    received_.clear();
    receiveKind_ = FollowUp::None;
}

std::vector<Output> ProcessorLink::Feed(const std::uint8_t* data, std::size_t length, Clock::time_point now,
                                  bool datagram)
{
    if (datagram && length == 0) {
        // An empty datagram is how the application drops the link after too many tries.
        Reset();
        goodbye_ = true;
        return {};
    }
    if (input_.empty())
        inputSince_ = now;
    input_.insert(input_.end(), data, data + length);
    for (;;) {
        if (input_.empty())
            break;
        const auto unit = UnitLength();
        if (!unit) {
            if (!datagram)
                break;
            // A datagram is whole: a short block in a transfer is in fact a
            // command, anything else left over is garbage.
            if (mode_ == Mode::Receive || mode_ == Mode::ReceiveDone) {
                mode_ = Mode::Command;
                continue;
            }
            Log("dropping an incomplete datagram");
            input_.clear();
            break;
        }
        TakeUnit(*unit, now);
    }
    if (datagram)
        input_.clear();
    return std::exchange(out_, {});
}

std::optional<std::size_t> ProcessorLink::UnitLength() const
{
    const std::uint8_t first = input_[0];
    switch (mode_) {
    case Mode::SendWaitStart:
    case Mode::SendBlock:
    case Mode::SendEot:
        if (first == XM_START || first == XM_ACK || first == XM_NAK || first == XM_CAN)
            return 1;
        break;
    case Mode::Receive:
    case Mode::ReceiveDone:
        if (first == XM_EOT)
            return 1;
        if (first == XM_SOH)
            return input_.size() >= kXBlockLength ? std::optional<std::size_t>(kXBlockLength) : std::nullopt;
        break;
    case Mode::Command: {
        const std::size_t n = CommandLength(first);
        if (n == 0)
            return 0;
        return input_.size() >= n ? std::optional<std::size_t>(n) : std::nullopt;
    }
    }
    // Anything else during a transfer means the application has moved on.
    const std::size_t n = CommandLength(first);
    if (n == 0)
        return 0;
    return input_.size() >= n ? std::optional<std::size_t>(n) : std::nullopt;
}

void ProcessorLink::TakeUnit(std::size_t length, Clock::time_point now)
{
    if (length == 0) {
        input_.erase(input_.begin());
        inputSince_ = now;
        return;
    }
    ByteString unit(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(length));
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(length));
    inputSince_ = now;
    const std::uint8_t first = unit[0];
    const bool senderByte = length == 1 && (first == XM_START || first == XM_ACK || first == XM_NAK || first == XM_CAN);
    const bool receiverUnit = (length == kXBlockLength && first == XM_SOH) || (length == 1 && first == XM_EOT);
    if ((mode_ == Mode::SendWaitStart || mode_ == Mode::SendBlock || mode_ == Mode::SendEot) && senderByte)
        OnSenderInput(first, now);
    else if ((mode_ == Mode::Receive || mode_ == Mode::ReceiveDone) && receiverUnit)
        OnReceiverInput(unit, now);
    else
        OnCommand(unit, now);
}

void ProcessorLink::Log(const std::string& line) const
{
    device_.Log(options_.name + ": " + line);
}

void ProcessorLink::FailEot(const std::string& answer)
{
    Log("protocol error: EOT answered with " + answer + ", not ACK; the transfer failed");
    ++transfersFailed_;
}

void ProcessorLink::OnCommand(const ByteString& command, Clock::time_point now)
{
    if (device_.Logging()) {
        const std::string name = DescribeCommand(command);
        Log("< " + (name.empty() ? std::string("?") : name) + " [" + Describe(command) + "]");
    }
    if (mode_ == Mode::SendEot) {
        FailEot("a command");
        Reset();
    } else if (mode_ != Mode::Command) {
        Log("transfer abandoned by the application");
        Reset();
    }
    ++commands_;
    if (options_.silentAfterCommands >= 0 && commands_ > static_cast<std::uint32_t>(options_.silentAfterCommands))
        return;  // a processor that has stopped answering
    Answer answer = device_.Handle(command);
    if (!answer.reply.empty())
        Emit(std::move(answer.reply));
    lastHeard_ = now;
    resends_ = 0;
    switch (answer.then) {
    case FollowUp::None: break;
    case FollowUp::Disconnect:
        Reset();
        goodbye_ = true;
        break;
    case FollowUp::SendData:
    case FollowUp::SendNothing:
        mode_ = Mode::SendWaitStart;
        sendData_ = std::move(answer.data);
        block_ = 0;
        break;
    case FollowUp::ReceivePreset:
    case FollowUp::ReceiveUpgrade:
        mode_ = Mode::Receive;
        receiveKind_ = answer.then;
        receivePreset_ = answer.preset;
        received_.clear();
        expectedBlock_ = 1;
        receiveFailed_ = false;
        break;
    }
}

void ProcessorLink::OnSenderInput(std::uint8_t byte, Clock::time_point now)
{
    if (device_.Logging())
        Log("< " + Describe({byte}));
    lastHeard_ = now;
    resends_ = 0;
    // After EOT only ACK ends a download well; a NAK asks for the EOT again.
    if (mode_ == Mode::SendEot && byte != XM_ACK && byte != XM_NAK) {
        FailEot(Describe({byte}));
        mode_ = Mode::Command;
        return;
    }
    if (byte == XM_CAN) {
        mode_ = Mode::Command;
        return;
    }
    if (byte == XM_START) {  // the receiver (re)starts: from the first block
        block_ = 0;
        SendBlock(now);
        return;
    }
    switch (mode_) {
    case Mode::SendWaitStart:
        if (byte == XM_NAK)
            SendBlock(now);
        break;
    case Mode::SendBlock:
        if (byte == XM_NAK) {
            SendBlock(now);
        } else {  // ACK
            ++block_;
            if (block_ * kXBlockData >= sendData_.size() &&
                !(options_.cancelAfterBlocks >= 0 && block_ >= static_cast<std::size_t>(options_.cancelAfterBlocks)))
                SendControl(XM_EOT, now);
            else
                SendBlock(now);
        }
        break;
    case Mode::SendEot:
        if (byte == XM_NAK) {
            SendControl(XM_EOT, now);
        } else {
            Log("download complete");
            mode_ = Mode::Command;  // the receiver has it all
        }
        break;
    default: break;
    }
}

void ProcessorLink::SendBlock(Clock::time_point now)
{
    const bool cancel = options_.cancelAfterBlocks >= 0 && block_ >= static_cast<std::size_t>(options_.cancelAfterBlocks);
    if (cancel || sendData_.empty()) {
        Log(cancel ? "cancelling the transfer" : "nothing to send: cancelling");
        Emit({XM_CAN});
        mode_ = Mode::Command;
        return;
    }
    const std::size_t offset = std::min(block_ * kXBlockData, sendData_.size());
    const std::size_t n = std::min(kXBlockData, sendData_.size() - offset);
    Emit(BuildXBlock(static_cast<std::uint32_t>(block_ + 1), sendData_.data() + offset, n));
    mode_ = Mode::SendBlock;
    lastSent_ = now;
}

void ProcessorLink::SendControl(std::uint8_t byte, Clock::time_point now)
{
    Emit({byte});
    if (byte == XM_EOT) {
        mode_ = Mode::SendEot;
        lastSent_ = now;
    }
}

void ProcessorLink::OnReceiverInput(const ByteString& unit, Clock::time_point now)
{
    if (device_.Logging())
        Log("< " + Describe(unit));
    lastHeard_ = now;
    if (unit[0] == XM_EOT) {
        Emit({XM_ACK});
        if (mode_ == Mode::Receive)
            Log("upload ended before it was complete");
        Reset();
        return;
    }
    if (mode_ == Mode::ReceiveDone) {  // our ACK was lost: say it again
        Emit({XM_ACK});
        return;
    }
    ReceiveBlock(unit);
}

void ProcessorLink::ReceiveBlock(const ByteString& block)
{
    if (CheckXBlock(block, expectedBlock_) != XBlockVerdict::Valid) {
        // A NAK would ask for the next block, not this one again: the upload
        // cannot be repaired, so it is ended and nothing is stored.
        Log("damaged upload block " + std::to_string(expectedBlock_) + ": upload refused");
        receiveFailed_ = true;
        Emit({XM_ACK});
        mode_ = Mode::ReceiveDone;
        return;
    }
    received_.insert(received_.end(), block.begin() + 3, block.begin() + 3 + kXBlockData);
    ++expectedBlock_;
    const auto need = device_.UploadSize(receiveKind_, received_);
    if (need && received_.size() >= *need) {
        received_.resize(*need);
        device_.FinishUpload(receiveKind_, receivePreset_, received_);
        Emit({XM_ACK});
        mode_ = Mode::ReceiveDone;
        return;
    }
    Emit({XM_NAK});  // next block, please
}

void ProcessorLink::Emit(ByteString bytes)
{
    const std::size_t before = out_.size();
    const std::string what = device_.Logging() ? Describe(bytes) : std::string();
    faults_.Apply(std::move(bytes), out_);
    if (!device_.Logging())
        return;
    if (out_.size() == before)
        Log("> " + what + " (dropped)");
    for (std::size_t i = before; i < out_.size(); ++i) {
        const Output& o = out_[i];
        std::string line = "> " + Describe(o.bytes);
        if (o.delay.count() > 0)
            line += " (after " + std::to_string(o.delay.count()) + " ms)";
        Log(line);
    }
}

std::vector<Output> ProcessorLink::Poll(Clock::time_point now)
{
    if (!input_.empty() && now - inputSince_ > options_.staleInput) {
        if (mode_ == Mode::Receive || mode_ == Mode::ReceiveDone) {
            // What looked like the start of a block was a command after all.
            mode_ = Mode::Command;
            while (!input_.empty()) {
                const auto unit = UnitLength();
                if (!unit)
                    break;
                TakeUnit(*unit, now);
            }
        }
        if (!input_.empty()) {
            Log("dropping " + std::to_string(input_.size()) + " stale bytes");
            input_.clear();
        }
    }
    const bool sending = mode_ == Mode::SendBlock || mode_ == Mode::SendEot;
    if (sending && now - lastSent_ >= options_.resendAfter && resends_ < options_.maxResends) {
        ++resends_;
        if (mode_ == Mode::SendBlock)
            SendBlock(now);
        else
            SendControl(XM_EOT, now);
    }
    if (mode_ != Mode::Command && now - lastHeard_ >= options_.transferIdle) {
        Log("transfer abandoned: no answer");
        Reset();
    }
    device_.FlushState();
    return std::exchange(out_, {});
}

}  // namespace processor
