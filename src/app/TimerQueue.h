#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// One-shot timers whose callbacks run on the controller's thread. The Qt
// application backs it with QTimer; headless front ends use CTimerQueue.
class ITimerService {
public:
    virtual ~ITimerService() = default;
    virtual void StartOnce(std::chrono::milliseconds delay, std::function<void()> callback) = 0;
};

// Timers kept in a list that the owner's loop runs when they fall due.
class CTimerQueue : public ITimerService {
public:
    using Clock = std::chrono::steady_clock;
    using NowFn = std::function<Clock::time_point()>;

    // `now` tells the time timers are started at; tests hand in a clock they move.
    explicit CTimerQueue(NowFn now = Clock::now) : now_(std::move(now)) {}

    void StartOnce(std::chrono::milliseconds delay, std::function<void()> callback) override;
    std::optional<Clock::time_point> NextDue() const;
    // Runs every timer due at `now`, oldest first; gives how many ran.
    std::size_t RunDue(Clock::time_point now);
    bool Empty() const { return timers_.empty(); }

private:
    struct Timer {
        Clock::time_point due;
        std::uint64_t order;
        std::function<void()> callback;
    };
    NowFn now_;
    std::vector<Timer> timers_;
    std::uint64_t nextOrder_ = 0;
};
