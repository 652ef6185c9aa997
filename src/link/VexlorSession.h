#pragma once

#include "common/ByteString.h"
#include "link/ITransport.h"
#include "link/TransportFactory.h"
#include "settings/ConnectionSettings.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

class CSessionSink;

// States of the session's worker. The numbers are part of the link's design.
enum class SessionState : std::int32_t {
    DISCONNECTED = 0,
    CONNECT = 1,
    WAITSEND = 2,
    SEND = 3,
    WAITREPLY = 4,
    REPLYERROR = 5,
    DISCONNECT_SEND = 6,
    XWAITBLOCK = 7,
    XSTARTRECV = 8,
    XSENDACK = 9,
    XSENDNAK = 10,
    XSTARTSEND = 11,
    XWAITEOTREPLY = 12,
    XEND = 13,
    XFINALACK = 14,
    XTIMEOUT = 15,
    XWAITBLOCKREPLY = 16,
};

// Transfer kinds: the opcode of the command that started the transfer.
inline constexpr std::uint8_t kTransferConfig = 0x83;
inline constexpr std::uint8_t kTransferPresetDownload = 0x85;
inline constexpr std::uint8_t kTransferPresetUpload = 0x02;
inline constexpr std::uint8_t kTransferUpgrade = 0x03;

// The one object through which the application talks to a processor: one command
// in flight, a send queue, reply time-outs with retries, status polling and XModem
// transfers, all run by a worker thread. Results go to the CSessionSink.
//
// Locks: lock_ (re-entrant) guards the session's fields; transportMutex_ guards the
// life of the transport and is the only lock held while calling into it (Open,
// Send, Close, destruction). It is taken before lock_, never after, and the
// transport's thread never takes it; transports deliver bytes without their own
// lock. So no cycle between the session and a transport can form.
class CVexlorSession : public ITransportSink {
public:
    explicit CVexlorSession(CSessionSink* sink, TransportFactory factory = DefaultTransportFactory());
    ~CVexlorSession() override;
    CVexlorSession(const CVexlorSession&) = delete;
    CVexlorSession& operator=(const CVexlorSession&) = delete;

    // Takes a copy of the settings (reply time-out, status rate, tries, transport).
    void Connect(const ConnectionSettings& settings);
    void Disconnect();
    bool IsConnected() const;
    SessionState State() const;

    void ReadVersion();
    void ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c);
    void WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value);
    void GetConfig(std::uint32_t lockCode);
    void GetFactoryPresetNumber();
    void GetPreset(std::uint8_t preset);
    void SendPreset(std::uint8_t preset, const ByteString& data);
    void LoadPreset(std::uint8_t preset);
    void SavePreset(std::uint8_t preset);
    void SendUpgrade(const ByteString& image);
    void SendCompare();
    void SendRevert();
    void RenamePreset(std::uint8_t preset, std::string_view name);
    void EnableStatusUpdates(bool on);

    // ITransportSink
    void OnTransportConnected() override;
    void OnTransportDisconnected() override;
    void OnTransportError(int code) override;
    void OnPacketReceived(const ByteString& packet) override;
    std::optional<std::size_t> GetPacketLength(const ByteString& buffered) override;
    std::size_t GetJunkLength(const ByteString& buffered) override;

    // Longest transfer accepted from the processor; a block past it is refused.
    static constexpr std::size_t kMaxTransferBytes = 4 * 1024 * 1024;
    // Zero-only blocks sent after an upload's data is used up before giving up.
    static constexpr std::uint32_t kMaxPaddingBlocks = 512;

private:
    using Clock = std::chrono::steady_clock;

    // The re-entrant session lock. A state change made under it wakes the worker
    // only when the outermost holder lets go, so the worker never wakes just to
    // block on the lock again.
    class SessionMutex {
    public:
        explicit SessionMutex(std::condition_variable& wake) : wake_(wake) {}
        void lock()
        {
            mutex_.lock();
            ++depth_;
        }
        void unlock()
        {
            const bool fire = --depth_ == 0 && wakePending_;
            if (fire)
                wakePending_ = false;
            mutex_.unlock();
            if (fire)
                wake_.notify_one();
        }
        // Called with the lock held.
        void WakeOnRelease() { wakePending_ = true; }

    private:
        std::recursive_mutex mutex_;
        std::condition_variable& wake_;
        int depth_ = 0;
        bool wakePending_ = false;
    };
    using Lock = std::lock_guard<SessionMutex>;

    enum class Wake { State, ReplyTimer, StatusTimer, Quit };

    // A command with the data it uploads (Send preset, Send upgrade), kept
    // together so a queued command cannot lose or swap its data.
    struct Outgoing {
        ByteString packet;
        ByteString upload;
    };

    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void LogLine(std::string text);

    void SetState(SessionState state, ByteString packet = {});
    // SetState only while the state is still `from`: the worker's step must not
    // undo a change (a Disconnect, a drop) made since it took its state up.
    bool Advance(SessionState from, SessionState to, ByteString packet = {});
    void Submit(ByteString packet, ByteString upload = {});
    void SendPacket(Outgoing outgoing, bool allowQueue);
    // `fresh`: nothing sent before may answer this packet (see ITransport::Renew).
    void SendOnTransport(const ByteString& packet, bool fresh = false);
    void CloseTransport();
    void StartReplyTimer();
    Clock::duration ReplyTimeout();
    // Waits until the line has been silent for the transport's quiet gap, so the
    // tail of a damaged packet is not taken for the start of the next one.
    // Bounded by the reply time-out; a state change or the quit ends it early.
    void WaitForQuietLine();
    std::optional<Clock::time_point> LineQuietAt();

    void MainThread();
    Wake WaitForWork();
    void TakeUpState();
    void OnReplyTimer();
    // True when a state was entered that the worker has not taken up yet; every
    // state change sets the event under lock_, so with lock_ held this is exact.
    bool StateChangePending();
    void OnStatusTimer();

    // One function per state, run by the worker when it takes the state up.
    void DoDisconnected(const ByteString& packet);
    void DoConnect(const ByteString& packet);
    void DoWaitSend(const ByteString& packet);
    void DoSend(const ByteString& packet);
    void DoWaitReply(const ByteString& packet);
    void DoReplyError(const ByteString& packet);
    void DoDisconnectSend(const ByteString& packet);
    // XModem steps (VexlorSessionXModem.cpp)
    void DoXStartRecv(const ByteString& packet);
    void DoXSend(const ByteString& packet);
    void DoXStartSend(const ByteString& packet);
    void DoXWaitAnswer(const ByteString& packet);
    void DoXEnd(const ByteString& packet);
    void DoXFinalAck(const ByteString& packet);
    void DoXTimeout(const ByteString& packet);

    void ProcessPacket(const ByteString& packet);
    void OnXBlock(const ByteString& packet);
    void OnXBlockAnswer(const ByteString& packet);
    void OnXUploadTimeout();
    void EnterNextBlock();
    void DropLinkTooManyTries();
    // A transfer that ended without its data (cancelled): its command goes out
    // again, up to tries times, then the link drops.
    void RetryTransfer();
    void OnXComplete(std::uint8_t kind, std::uint8_t preset, const ByteString& data);

    CSessionSink* const sink_;
    const TransportFactory factory_;

    // Worker wake-up: the state event and the two timers as deadlines.
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stateEvent_ = false;
    bool quit_ = false;
    std::optional<Clock::time_point> replyDue_;
    std::optional<Clock::time_point> statusDue_;
    Clock::duration statusPeriod_{};

    mutable SessionMutex lock_{wake_};
    std::mutex transportMutex_;
    std::unique_ptr<ITransport> transport_;  // changed only under both locks
    // Which transport a drop of the link closes: the one attached when
    // DISCONNECTED was entered, never one a later Connect attached.
    std::uint64_t transportId_ = 0;
    std::uint64_t closeId_ = 0;

    ConnectionSettings settings_;
    std::uint32_t tries_ = 0;
    // Failed transfers of the current command; blocks that arrive reset tries_,
    // so a transfer cut short each time needs a count of its own.
    std::uint32_t failedTransfers_ = 0;
    std::deque<Outgoing> queue_;
    ByteString lastCommand_;
    ByteString lastUpload_;
    SessionState state_ = SessionState::DISCONNECTED;
    ByteString statePacket_;
    ByteString transferBuffer_;
    ByteString transferCommand_;  // the command whose reply started the transfer
    // An EOT answered with NAK: the end counts once the sender repeats it.
    bool eotPending_ = false;
    std::uint8_t transferKind_ = 0;
    std::uint8_t downloadPreset_ = 0;
    std::uint8_t uploadPreset_ = 0;
    std::atomic<bool> transferMode_{false};
    bool statusUpdates_ = false;
    std::uint32_t blockNumber_ = 0;
    std::uint32_t paddingBlocks_ = 0;
    // Set by the worker just before it puts a block or EOT on the wire; answers
    // that come earlier cannot be answers to it.
    bool answerArmed_ = false;

    SessionState takenUp_ = SessionState::DISCONNECTED;  // worker thread only
    std::thread worker_;
};
