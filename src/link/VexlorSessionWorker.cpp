// The worker thread of CVexlorSession: its wait for work, the timers, and the
// work of each command state (the XModem states are in VexlorSessionXModem.cpp).

#include "link/Packet.h"
#include "link/SessionSink.h"
#include "link/VexlorSession.h"

#include <algorithm>

// ---- worker thread -------------------------------------------------------------

void CVexlorSession::MainThread()
{
    for (;;) {
        switch (WaitForWork()) {
        case Wake::State: TakeUpState(); break;
        case Wake::ReplyTimer: OnReplyTimer(); break;
        case Wake::StatusTimer: OnStatusTimer(); break;
        case Wake::Quit: return;
        }
    }
}

CVexlorSession::Wake CVexlorSession::WaitForWork()
{
    std::unique_lock<std::mutex> wake(wakeMutex_);
    for (;;) {
        if (quit_)
            return Wake::Quit;
        if (stateEvent_)
            return Wake::State;
        const auto now = Clock::now();
        if (replyDue_ && now >= *replyDue_) {
            replyDue_.reset();
            return Wake::ReplyTimer;
        }
        if (statusDue_ && now >= *statusDue_) {
            // Periodic; a late worker does not catch up with a burst.
            statusDue_ = std::max(*statusDue_ + statusPeriod_, now);
            return Wake::StatusTimer;
        }
        std::optional<Clock::time_point> next = replyDue_;
        if (statusDue_ && (!next || *statusDue_ < *next))
            next = statusDue_;
        if (next)
            wake_.wait_until(wake, *next);
        else
            wake_.wait(wake);
    }
}

void CVexlorSession::TakeUpState()
{
    SessionState state;
    ByteString packet;
    {
        Lock lock(lock_);
        {
            std::lock_guard<std::mutex> wake(wakeMutex_);
            stateEvent_ = false;
        }
        state = state_;
        packet = statePacket_;
    }
    takenUp_ = state;
    using Work = void (CVexlorSession::*)(const ByteString&);
    static constexpr Work kWork[] = {
        &CVexlorSession::DoDisconnected,  // DISCONNECTED
        &CVexlorSession::DoConnect,       // CONNECT
        &CVexlorSession::DoWaitSend,      // WAITSEND
        &CVexlorSession::DoSend,          // SEND
        &CVexlorSession::DoWaitReply,     // WAITREPLY
        &CVexlorSession::DoReplyError,    // REPLYERROR
        &CVexlorSession::DoDisconnectSend,  // DISCONNECT_SEND
        &CVexlorSession::DoWaitReply,     // XWAITBLOCK
        &CVexlorSession::DoXStartRecv,    // XSTARTRECV
        &CVexlorSession::DoXSend,         // XSENDACK
        &CVexlorSession::DoXSend,         // XSENDNAK
        &CVexlorSession::DoXStartSend,    // XSTARTSEND
        &CVexlorSession::DoXWaitAnswer,   // XWAITEOTREPLY
        &CVexlorSession::DoXEnd,          // XEND
        &CVexlorSession::DoXFinalAck,     // XFINALACK
        &CVexlorSession::DoXTimeout,      // XTIMEOUT
        &CVexlorSession::DoXWaitAnswer,   // XWAITBLOCKREPLY
    };
    const auto index = static_cast<std::size_t>(state);
    if (index < std::size(kWork))
        (this->*kWork[index])(packet);
}

void CVexlorSession::OnReplyTimer()
{
    Lock lock(lock_);
    // A state entered since the worker last looked is taken up first; the timer
    // belongs to the wait that is now over.
    if (StateChangePending())
        return;
    switch (takenUp_) {
    case SessionState::WAITREPLY: SetState(SessionState::REPLYERROR, lastCommand_); break;
    case SessionState::XWAITBLOCK: SetState(SessionState::XTIMEOUT, lastCommand_); break;
    case SessionState::XWAITEOTREPLY: SetState(SessionState::XEND); break;
    case SessionState::XWAITBLOCKREPLY: OnXUploadTimeout(); break;
    default: break;
    }
}

bool CVexlorSession::StateChangePending()
{
    std::lock_guard<std::mutex> wake(wakeMutex_);
    return stateEvent_;
}

void CVexlorSession::OnStatusTimer()
{
    Lock lock(lock_);
    if (state_ == SessionState::DISCONNECTED || transferMode_ || !queue_.empty())
        return;
    SendPacket({BuildReadLeds(), {}}, false);
}

// ---- state work -------------------------------------------------------------

void CVexlorSession::DoDisconnected(const ByteString&)
{
    transferMode_ = false;
    CloseTransport();
    {
        Lock lock(lock_);
        queue_.clear();
    }
    if (sink_)
        sink_->OnDisconnect();
}

void CVexlorSession::DoConnect(const ByteString&)
{
    transferMode_ = false;
    {
        Lock lock(lock_);
        if (state_ != SessionState::CONNECT)
            return;  // dropped again before the worker looked
        lastCommand_.clear();
        tries_ = 0;
        SetState(SessionState::WAITSEND);
    }
    if (sink_)
        sink_->OnConnect();
}

void CVexlorSession::DoWaitSend(const ByteString&)
{
    Lock lock(lock_);
    if (state_ != SessionState::WAITSEND)
        return;  // a command went out meanwhile
    tries_ = 0;
    lastCommand_.clear();
    if (queue_.empty())
        return;
    Log("Uncaching Packet");
    Outgoing next = std::move(queue_.front());
    queue_.pop_front();
    SendPacket(std::move(next), true);
}

void CVexlorSession::DoSend(const ByteString& packet)
{
    bool fresh = false;
    {
        Lock lock(lock_);
        if (state_ != SessionState::SEND)
            return;  // a Disconnect overtook the command
        LogLine(DescribeCommand(packet));
        SetState(SessionState::WAITREPLY, packet);
        fresh = tries_ > 0 || (!packet.empty() && StartsTransfer(packet[0]));
    }
    SendOnTransport(packet, fresh);
}

void CVexlorSession::DoWaitReply(const ByteString& packet)
{
    {
        Lock lock(lock_);
        if (StateChangePending())
            return;  // answered or dropped already
        lastCommand_ = packet;
    }
    StartReplyTimer();
}

void CVexlorSession::DoReplyError(const ByteString& packet)
{
    {
        Lock lock(lock_);
        if (state_ != SessionState::REPLYERROR)
            return;
        ++tries_;
        Log("Try: %d", static_cast<int>(tries_));
        if (static_cast<std::int64_t>(tries_) >= settings_.tries) {
            Log("Too many tries. Disconnecting.");
            SetState(SessionState::DISCONNECTED);
            return;
        }
        if (packet.empty()) {
            SetState(SessionState::WAITSEND);  // nothing to resend: idle again
            return;
        }
    }
    // The rest of a damaged reply must not sit in front of the next one.
    WaitForQuietLine();
    Lock lock(lock_);
    if (state_ != SessionState::REPLYERROR)
        return;  // a Disconnect or a drop came in meanwhile
    LogLine(HexLine("Command retry send", packet));
    // Straight back out, keeping the try count (SendPacket would zero it).
    lastCommand_ = packet;
    SetState(SessionState::SEND, packet);
}

void CVexlorSession::DoDisconnectSend(const ByteString& packet)
{
    {
        Lock lock(lock_);
        LogLine(DescribeCommand(packet));
    }
    SendOnTransport(packet);
    // A drop and a new Connect may have come in during the send; leave those be.
    Advance(SessionState::DISCONNECT_SEND, SessionState::DISCONNECTED);
}
