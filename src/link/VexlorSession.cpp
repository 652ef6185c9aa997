#include "link/VexlorSession.h"

#include "link/Packet.h"
#include "link/SessionSink.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

CVexlorSession::CVexlorSession(CSessionSink* sink, TransportFactory factory)
    : sink_(sink), factory_(std::move(factory))
{
    worker_ = std::thread([this] { MainThread(); });
}

CVexlorSession::~CVexlorSession()
{
    {
        std::lock_guard<std::mutex> wake(wakeMutex_);
        quit_ = true;
        replyDue_.reset();
        statusDue_.reset();
    }
    wake_.notify_all();
    worker_.join();
    // Destroyed without lock_ held: the transport joins its thread, which may be
    // waiting for lock_ to deliver a packet.
    std::lock_guard<std::mutex> life(transportMutex_);
    std::unique_ptr<ITransport> old;
    {
        Lock lock(lock_);
        old = std::move(transport_);
    }
}

// ---- logging -------------------------------------------------------------

void CVexlorSession::Log(const char* format, ...)
{
    if (!sink_)
        return;
    char line[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    sink_->OnLog(line);
}

void CVexlorSession::LogLine(std::string text)
{
    if (sink_ && !text.empty())
        sink_->OnLog(text);
}

// ---- commands -------------------------------------------------------------

void CVexlorSession::Connect(const ConnectionSettings& settings)
{
    std::lock_guard<std::mutex> life(transportMutex_);
    if (IsConnected())
        return;
    std::unique_ptr<ITransport> created = factory_ ? factory_(settings) : nullptr;
    if (!created)
        return;
    created->SetSink(this);
    ITransport* opened = created.get();
    std::unique_ptr<ITransport> previous;  // one whose Open failed earlier
    {
        Lock lock(lock_);
        if (state_ != SessionState::DISCONNECTED)
            return;
        settings_ = settings;
        previous = std::move(transport_);
        transport_ = std::move(created);
        ++transportId_;
    }
    previous.reset();
    opened->Open(settings);
}

void CVexlorSession::Disconnect()
{
    Lock lock(lock_);
    if (state_ == SessionState::DISCONNECTED)
        return;
    queue_.clear();
    statusUpdates_ = false;
    {
        std::lock_guard<std::mutex> wake(wakeMutex_);
        statusDue_.reset();
    }
    // Bypasses the queue and any command in flight.
    SetState(SessionState::DISCONNECT_SEND, BuildDisconnect());
}

bool CVexlorSession::IsConnected() const
{
    return State() != SessionState::DISCONNECTED;
}

SessionState CVexlorSession::State() const
{
    Lock lock(lock_);
    return state_;
}

void CVexlorSession::ReadVersion() { Submit(BuildReadVersion()); }
void CVexlorSession::ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c) { Submit(BuildReadParam(a, b, c)); }
void CVexlorSession::WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    Submit(BuildWriteParam(a, b, c, value));
}
void CVexlorSession::GetConfig(std::uint32_t lockCode) { Submit(BuildGetConfig(lockCode)); }
void CVexlorSession::GetFactoryPresetNumber() { Submit(BuildGetFactoryPresetNumber()); }

// The preset index of a transfer is taken from the command when its reply starts
// the transfer, so commands queued behind it cannot change it.
void CVexlorSession::GetPreset(std::uint8_t preset) { Submit(BuildGetPreset(preset)); }
void CVexlorSession::SendPreset(std::uint8_t preset, const ByteString& data)
{
    Submit(BuildSendPreset(preset), data);
}

void CVexlorSession::LoadPreset(std::uint8_t preset) { Submit(BuildLoadPreset(preset)); }
void CVexlorSession::SavePreset(std::uint8_t preset) { Submit(BuildSavePreset(preset)); }
void CVexlorSession::SendUpgrade(const ByteString& image) { Submit(BuildSendUpgrade(), image); }
void CVexlorSession::SendCompare() { Submit(BuildSendCompare()); }
void CVexlorSession::SendRevert() { Submit(BuildSendRevert()); }
void CVexlorSession::RenamePreset(std::uint8_t preset, std::string_view name)
{
    Submit(BuildRenamePreset(preset, name));
}

void CVexlorSession::EnableStatusUpdates(bool on)
{
    Lock lock(lock_);
    statusUpdates_ = on;
    std::lock_guard<std::mutex> wake(wakeMutex_);
    if (on) {
        Log("EnableStatusUpdates %d", 1);
        const int rate = std::max(settings_.statusRate, 1);
        statusPeriod_ = std::chrono::milliseconds(std::max(1000 / rate, 1));
        statusDue_ = Clock::now() + statusPeriod_;
        wake_.notify_one();
    } else {
        statusDue_.reset();
        Log("DisableStatusUpdates %d", 0);
    }
}

void CVexlorSession::Submit(ByteString packet, ByteString upload)
{
    Lock lock(lock_);
    if (state_ == SessionState::DISCONNECTED)
        return;
    Outgoing outgoing{std::move(packet), std::move(upload)};
    // Idle, but the worker has not taken the idle state up yet: commands still
    // queued go first.
    if (state_ == SessionState::WAITSEND && !queue_.empty()) {
        queue_.push_back(std::move(outgoing));
        return;
    }
    SendPacket(std::move(outgoing), true);
}

// ---- state changes and sending ---------------------------------------------

bool CVexlorSession::Advance(SessionState from, SessionState to, ByteString packet)
{
    Lock lock(lock_);
    if (state_ != from)
        return false;
    SetState(to, std::move(packet));
    return true;
}

void CVexlorSession::SetState(SessionState state, ByteString packet)
{
    Lock lock(lock_);
    state_ = state;
    statePacket_ = std::move(packet);
    answerArmed_ = false;
    const bool down = state == SessionState::DISCONNECTED;
    if (down) {
        closeId_ = transport_ ? transportId_ : 0;
        // Polling belongs to the link it was asked on; a lost link ends it like
        // a Disconnect, so the next connection starts without it.
        statusUpdates_ = false;
    }
    {
        std::lock_guard<std::mutex> wake(wakeMutex_);
        stateEvent_ = true;
        if (down)
            statusDue_.reset();
    }
    lock_.WakeOnRelease();
}

void CVexlorSession::SendPacket(Outgoing outgoing, bool allowQueue)
{
    Lock lock(lock_);
    if (state_ == SessionState::DISCONNECTED)
        return;
    if (state_ == SessionState::WAITSEND) {
        // A new command starts with none of the tries the one before it used,
        // also when it goes out before the worker took the idle state up.
        tries_ = 0;
        failedTransfers_ = 0;
        lastCommand_ = outgoing.packet;
        lastUpload_ = std::move(outgoing.upload);
        SetState(SessionState::SEND, std::move(outgoing.packet));
    } else if (allowQueue) {
        queue_.push_back(std::move(outgoing));
    } else {
        Log("Skipping Packet");
    }
}

void CVexlorSession::SendOnTransport(const ByteString& packet, bool fresh)
{
    std::lock_guard<std::mutex> life(transportMutex_);
    if (!transport_)
        return;
    if (fresh)
        transport_->Renew();
    transport_->DiscardReceived();
    transport_->Send(packet.data(), packet.size());
}

void CVexlorSession::CloseTransport()
{
    std::lock_guard<std::mutex> life(transportMutex_);
    {
        Lock lock(lock_);
        if (!transport_ || closeId_ != transportId_)
            return;
    }
    // Close while still attached: the transport's report of the close takes the
    // session through DISCONNECTED once more (sinks accept repeated events).
    transport_->Close();
    std::unique_ptr<ITransport> old;
    {
        Lock lock(lock_);
        old = std::move(transport_);
    }
}

CVexlorSession::Clock::duration CVexlorSession::ReplyTimeout()
{
    Lock lock(lock_);
    return std::chrono::milliseconds(std::max(settings_.replyTimeoutMs, 1));
}

void CVexlorSession::StartReplyTimer()
{
    const Clock::duration timeout = ReplyTimeout();
    std::lock_guard<std::mutex> wake(wakeMutex_);
    replyDue_ = Clock::now() + timeout;
}

std::optional<CVexlorSession::Clock::time_point> CVexlorSession::LineQuietAt()
{
    std::lock_guard<std::mutex> life(transportMutex_);
    if (!transport_ || transport_->QuietGap() <= Clock::duration::zero())
        return std::nullopt;
    return transport_->LastArrival() + transport_->QuietGap();
}

void CVexlorSession::WaitForQuietLine()
{
    const auto limit = Clock::now() + ReplyTimeout();
    for (;;) {
        const auto quietAt = LineQuietAt();
        if (!quietAt)
            return;
        const auto due = std::min(*quietAt, limit);
        std::unique_lock<std::mutex> wake(wakeMutex_);
        if (Clock::now() >= due)
            return;
        // Woken early by a state change or the quit: the caller finds out which.
        if (wake_.wait_until(wake, due, [&] { return quit_ || stateEvent_; }))
            return;
    }
}

// ---- transport reports -------------------------------------------------------

void CVexlorSession::OnTransportConnected()
{
    SetState(SessionState::CONNECT);
}

void CVexlorSession::OnTransportDisconnected()
{
    Lock lock(lock_);
    if (transport_)
        SetState(SessionState::DISCONNECTED);
}

void CVexlorSession::OnTransportError(int code)
{
    Lock lock(lock_);
    if (!transport_)
        return;
    if (sink_)
        sink_->OnError(code);
    if (state_ != SessionState::DISCONNECTED)
        SetState(SessionState::DISCONNECTED);
}

std::optional<std::size_t> CVexlorSession::GetPacketLength(const ByteString& buffered)
{
    return ::GetPacketLength(buffered, transferMode_.load(std::memory_order_acquire));
}

std::size_t CVexlorSession::GetJunkLength(const ByteString& buffered)
{
    return ::GetJunkLength(buffered, transferMode_.load(std::memory_order_acquire));
}

void CVexlorSession::OnPacketReceived(const ByteString& packet)
{
    if (sink_)
        sink_->OnLog(HexLine("Recieved ", packet));
    Lock lock(lock_);
    switch (state_) {
    case SessionState::WAITREPLY: ProcessPacket(packet); break;
    case SessionState::XWAITBLOCK: OnXBlock(packet); break;
    case SessionState::XWAITEOTREPLY:
        if (answerArmed_)
            SetState(SessionState::XEND);  // any bytes answer the EOT
        break;
    case SessionState::XWAITBLOCKREPLY: OnXBlockAnswer(packet); break;
    default: break;
    }
}

void CVexlorSession::ProcessPacket(const ByteString& p)
{
    // A reply shorter than its opcode's length can only come from a transport
    // that cut it wrongly; it is malformed like a bad checksum.
    const bool wellFormed = IsAcceptedReply(p) && p.size() >= 2 && p.size() >= ReplyLength(p[1]).value_or(2);
    if (!wellFormed) {
        SetState(SessionState::REPLYERROR, lastCommand_);
        return;
    }
    // A reply for another command (a duplicate, a late answer to an earlier
    // try) is not this one's answer: the wait goes on, under the same time-out
    // and retry rules.
    if (!ReplyAnswers(p, lastCommand_)) {
        LogLine(HexLine("Stale reply ignored", p));
        return;
    }
    // The preset of a transfer is the one its own command named.
    const std::uint8_t commandPreset = lastCommand_.size() >= 3 ? lastCommand_[1] : 0;
    // A transfer that fails is asked for again with the command that started it.
    if (StartsTransfer(p[1]))
        transferCommand_ = lastCommand_;
    switch (p[1]) {
    case CMD_READ_VERSION:
        SetState(SessionState::WAITSEND);
        if (sink_) sink_->OnVersionReceive(ByteString(p.begin() + 2, p.begin() + 5));
        break;
    case CMD_READ_PARAM:
        SetState(SessionState::WAITSEND);
        if (sink_) sink_->OnParamReceive(p[2], p[3], p[4], p[5]);
        break;
    case CMD_WRITE_PARAM:
    case CMD_SAVE_PRESET:
    case CMD_SEND_COMPARE:
    case CMD_SEND_REVERT:
    case CMD_RENAME_PRESET:
        SetState(SessionState::WAITSEND);
        break;
    case CMD_LOAD_PRESET:
        SetState(SessionState::WAITSEND);
        if (sink_) sink_->OnPresetLoaded(p[2]);
        break;
    case CMD_GET_FACTORY_PRESET_NUMBER:
        SetState(SessionState::WAITSEND);
        if (sink_) sink_->OnPresetCountReceive(p[2]);
        break;
    case CMD_READ_LEDS:
        if (statusUpdates_) {
            SetState(SessionState::WAITSEND);
            if (sink_) sink_->OnStatusReceive(p);
        } else {
            Log("***** Status disabled.. rx of unsynched status packet ignored");
            SetState(SessionState::WAITSEND);
        }
        break;
    case CMD_GET_CONFIG:
        transferKind_ = kTransferConfig;
        SetState(SessionState::XSTARTRECV, ByteString{'C'});
        break;
    case CMD_GET_PRESET:
        transferKind_ = kTransferPresetDownload;
        downloadPreset_ = commandPreset;
        SetState(SessionState::XSTARTRECV, ByteString{'C'});
        break;
    case CMD_SEND_PRESET:
        transferKind_ = kTransferPresetUpload;
        uploadPreset_ = commandPreset;
        transferBuffer_ = lastUpload_;
        SetState(SessionState::XSTARTSEND);
        break;
    case CMD_SEND_UPGRADE:
        // The accepted reply starts the upload of the image given with the command.
        transferKind_ = kTransferUpgrade;
        transferBuffer_ = lastUpload_;
        SetState(SessionState::XSTARTSEND);
        break;
    default:
        // No action: the reply timer turns the wait into a retry.
        break;
    }
}
