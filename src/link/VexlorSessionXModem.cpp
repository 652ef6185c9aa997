// XModem steps of CVexlorSession: downloads of the control description and of
// presets, uploads of presets and of an upgrade image.

#include "link/Packet.h"
#include "link/SessionSink.h"
#include "link/VexlorSession.h"
#include "link/XModemBlock.h"

#include <utility>

// ---- worker side -------------------------------------------------------------

void CVexlorSession::DoXStartRecv(const ByteString& packet)
{
    {
        Lock lock(lock_);
        if (state_ != SessionState::XSTARTRECV)
            return;
        transferMode_ = true;
        blockNumber_ = 1;
        eotPending_ = false;
        transferBuffer_.clear();
    }
    DoXSend(packet);
}

// XSENDACK, XSENDNAK (and the tail of XSTARTRECV): wait for a block, then send
// the answer, so a block that comes at once already finds the wait. A NAK waits
// for the rest of the bad block first, or it would shift the block resent.
void CVexlorSession::DoXSend(const ByteString& packet)
{
    if (takenUp_ == SessionState::XSENDNAK)
        WaitForQuietLine();
    if (Advance(takenUp_, SessionState::XWAITBLOCK, packet))
        SendOnTransport(packet);
}

void CVexlorSession::DoXStartSend(const ByteString&)
{
    Lock lock(lock_);
    if (state_ != SessionState::XSTARTSEND)
        return;
    transferMode_ = true;
    blockNumber_ = 0;
    paddingBlocks_ = 0;
    EnterNextBlock();
}

// XWAITBLOCKREPLY and XWAITEOTREPLY: the state carries the block or the EOT to
// send. Answers count only once it is on its way.
void CVexlorSession::DoXWaitAnswer(const ByteString& packet)
{
    {
        Lock lock(lock_);
        if (StateChangePending())
            return;  // replaced before it went out
        lastCommand_ = packet;
        answerArmed_ = true;
    }
    StartReplyTimer();
    SendOnTransport(packet);
}

void CVexlorSession::DoXEnd(const ByteString&)
{
    std::uint8_t kind;
    std::uint8_t preset;
    ByteString data;
    {
        Lock lock(lock_);
        if (state_ != SessionState::XEND)
            return;
        kind = transferKind_;
        data = transferBuffer_;
        preset = kind == kTransferPresetDownload ? downloadPreset_ : uploadPreset_;
        transferMode_ = false;
        SetState(SessionState::WAITSEND);
    }
    OnXComplete(kind, preset, data);
}

void CVexlorSession::DoXFinalAck(const ByteString& packet)
{
    {
        Lock lock(lock_);
        if (state_ != SessionState::XFINALACK)
            return;
    }
    SendOnTransport(packet);
    Advance(SessionState::XFINALACK, SessionState::XEND);
}

void CVexlorSession::DoXTimeout(const ByteString&)
{
    Lock lock(lock_);
    if (state_ != SessionState::XTIMEOUT)
        return;
    // Silence never ends a download: a block held up past the time-out would
    // leave the data short. The NAK asks for the block, or for the EOT again.
    ++tries_;
    Log("Try: %d", static_cast<int>(tries_));
    if (static_cast<std::int64_t>(tries_) < settings_.tries)
        SetState(SessionState::XSENDNAK, ByteString{XM_NAK});
    else
        DropLinkTooManyTries();
}

void CVexlorSession::OnXUploadTimeout()
{
    // No limit was ever set for a silent receiver; an upload that nobody answers
    // for tries time-outs in a row ends like any other dead link.
    ++tries_;
    Log("Try: %d", static_cast<int>(tries_));
    if (static_cast<std::int64_t>(tries_) >= settings_.tries) {
        DropLinkTooManyTries();
        return;
    }
    EnterNextBlock();
}

void CVexlorSession::DropLinkTooManyTries()
{
    Log("Too many tries. Disconnecting.");
    // An empty packet: nothing goes on the wire, the link drops.
    SetState(SessionState::DISCONNECT_SEND);
}

void CVexlorSession::RetryTransfer()
{
    // What arrived is not the whole of anything: nothing is handed over.
    transferMode_ = false;
    // The retry's own try is added when it is taken up.
    tries_ = failedTransfers_++;
    SetState(SessionState::REPLYERROR, transferCommand_);
}

void CVexlorSession::OnXComplete(std::uint8_t kind, std::uint8_t preset, const ByteString& data)
{
    if (kind == kTransferUpgrade)
        Log("Upgrade Sent");
    if (!sink_)
        return;
    switch (kind) {
    case kTransferConfig: sink_->OnConfigReceive(data); break;
    case kTransferPresetDownload: sink_->OnPresetReceive(preset, data); break;
    case kTransferPresetUpload: sink_->OnPresetSent(preset, data); break;
    default: break;
    }
}

// Takes the next 128 bytes (or what is left, zero-filled) into a block and asks
// the worker to send it.
void CVexlorSession::EnterNextBlock()
{
    if (transferBuffer_.empty() && ++paddingBlocks_ > kMaxPaddingBlocks) {
        DropLinkTooManyTries();
        return;
    }
    ++blockNumber_;
    const std::size_t n = std::min(transferBuffer_.size(), kXBlockData);
    ByteString block = BuildXBlock(blockNumber_, transferBuffer_.data(), n);
    transferBuffer_.erase(transferBuffer_.begin(), transferBuffer_.begin() + static_cast<std::ptrdiff_t>(n));
    SetState(SessionState::XWAITBLOCKREPLY, std::move(block));
}

// ---- transport side (under lock_) -----------------------------------------------

void CVexlorSession::OnXBlock(const ByteString& packet)
{
    const XBlockVerdict verdict = CheckXBlock(packet, blockNumber_);
    const bool eotRepeated = std::exchange(eotPending_, false);
    switch (verdict) {
    case XBlockVerdict::Eot:
        // An end counts only when the sender repeats it in answer to a NAK: a
        // stray byte, or the late end of another transfer, is followed by a
        // block instead. An empty transfer ends the same way.
        if (!eotRepeated) {
            eotPending_ = true;
            SetState(SessionState::XSENDNAK, ByteString{XM_NAK});
            return;
        }
        SetState(SessionState::XFINALACK, ByteString{XM_ACK});
        return;
    case XBlockVerdict::Cancel:
        Log("XModem Cancelled by Embedded End ");
        RetryTransfer();
        return;
    case XBlockVerdict::Valid:
        if (transferBuffer_.size() + kXBlockData <= kMaxTransferBytes) {
            Log("Received Valid XModem Packet - Sending ACK for next");
            transferBuffer_.insert(transferBuffer_.end(), packet.begin() + 3, packet.begin() + 3 + kXBlockData);
            ++blockNumber_;
            tries_ = 0;
            SetState(SessionState::XSENDACK, ByteString{XM_ACK});
            return;
        }
        break;  // past the size any transfer may have: refused like a bad block
    case XBlockVerdict::Invalid:
        break;
    }
    Log("Received Invalid XModem Packet - Sending NACK");
    ++tries_;
    Log("Try: %d", static_cast<int>(tries_));
    if (static_cast<std::int64_t>(tries_) > settings_.tries)
        DropLinkTooManyTries();
    else
        SetState(SessionState::XSENDNAK, ByteString{XM_NAK});
}

void CVexlorSession::OnXBlockAnswer(const ByteString& packet)
{
    if (!answerArmed_ || packet.empty())
        return;
    switch (packet[0]) {
    case XM_ACK:
        SetState(SessionState::XWAITEOTREPLY, ByteString{XM_EOT});
        break;
    case XM_NAK:
        tries_ = 0;  // the receiver is alive
        EnterNextBlock();
        break;
    case XM_CAN:
        Log("XModem Cancelled by Embedded End ");
        RetryTransfer();
        break;
    default:
        break;
    }
}
