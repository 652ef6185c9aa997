#pragma once

#include "agent/AgentConfig.h"
#include "agent/ControllerLoop.h"
#include "agent/HeadlessViews.h"
#include "agent/LinkMeter.h"
#include "app/ConnectionController.h"
#include "app/SessionBridge.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// The agent's one link to one processor: the connection controller and session
// the window uses, with headless views, on a thread of its own. It connects as
// the window does (version, description, parameters, preset list, then status
// polling); a lost link the controller reconnects by itself, as the window's
// does, and a first connect that fails is tried again after the controller's
// own pauses. It carries the commands that remotes send through the agent.
class CUpstream : private IControllerObserver {
public:
    using Clock = std::chrono::steady_clock;

    explicit CUpstream(ProcessorConfig config, TransportFactory factory = DefaultTransportFactory());
    ~CUpstream() override;
    CUpstream(const CUpstream&) = delete;
    CUpstream& operator=(const CUpstream&) = delete;

    void Start();
    // Says goodbye to the processor (Disconnect) and ends the thread.
    void Stop();

    struct Snapshot {
        bool up = false;  // connected and done reading the processor
        int model = -1;   // model code of the description, -1 before one arrived
        ByteString version;
        ByteString status;  // the latest status packet
        std::uint32_t presetCount = 0;
        // Bytes of a preset as the processor sends one (whole transfer blocks);
        // 0 before any arrived.
        std::size_t presetBytes = 0;
        std::uint64_t reconnects = 0;
    };
    Snapshot Snap() const;
    ByteString Description() const;
    const ProcessorConfig& Config() const { return config_; }
    const CLinkMeter& Meter() const { return meter_; }

    // Commands of remotes, one at a time in the order they are made. Each gives
    // the processor's answer, or nothing when the link is down or no answer
    // came within the session's tries.
    std::optional<std::uint8_t> ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c);
    // The value the processor holds afterwards (it may clamp what was written).
    std::optional<std::uint8_t> WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value);
    std::optional<std::uint8_t> LoadPreset(std::uint8_t index);
    std::optional<ByteString> GetPreset(std::uint8_t index);
    bool SendPreset(std::uint8_t index, const ByteString& data);
    // A command with no answer of its own (save, rename, compare, revert): done
    // once the session has had every command given so far answered.
    bool Run(const std::function<void(ISessionCommands&)>& give);

private:
    using Match = std::function<bool(const AppMessage&)>;
    struct Waiter {
        Match match;
        std::optional<AppMessage> got;
    };

    std::optional<AppMessage> Forward(const std::function<void(ISessionCommands&)>& give, Match match);
    std::chrono::milliseconds ForwardLimit() const;
    void Loop();
    void OnMessage(const AppMessage& message);
    void Connect(Clock::time_point now);
    void SayGoodbye();
    void OnStateChanged(ConnectionState state) override;

    const ProcessorConfig config_;
    ConnectionSettings settings_;  // the controller's working copy
    CLinkMeter meter_;
    CControllerLoop loop_;
    CHeadlessViews views_;
    std::string workFolder_;
    std::unique_ptr<CSessionBridge> bridge_;
    std::unique_ptr<CConnectionController> controller_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Snapshot snap_;
    ByteString description_;
    Waiter* waiter_ = nullptr;
    std::mutex forwardMutex_;  // one remote command on the link at a time

    std::atomic<bool> stop_{false};
    std::thread thread_;
    // The loop thread's own.
    bool everUp_ = false;
    Clock::time_point nextAttempt_{};
    unsigned failedConnects_ = 0;  // first connects that failed in a row
};
