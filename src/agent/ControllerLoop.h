#pragma once

#include "app/MessageQueue.h"
#include "app/TimerQueue.h"

#include <chrono>
#include <functional>

// The thread of a connection controller in the agent, where no window runs a
// message loop: posted messages, due timers, and the owner's own work between
// them.
class CControllerLoop {
public:
    using Clock = std::chrono::steady_clock;
    using Handler = std::function<void(const AppMessage&)>;

    CMessageQueue& Queue() { return queue_; }
    CTimerQueue& Timers() { return timers_; }
    // Wakes Run at once: a task was posted or a stop asked for.
    void Wake() { queue_.Post(AppMessage{}); }

    // Hands every message to `onMessage` and runs due timers until `done`
    // holds (true) or the deadline passes (false). `tick` runs after each wake
    // and at least every `period`.
    bool Run(const std::function<bool()>& done, Clock::time_point deadline, const Handler& onMessage,
             const std::function<void()>& tick = {}, std::chrono::milliseconds period = std::chrono::milliseconds(100));

private:
    CMessageQueue queue_;
    CTimerQueue timers_;
};
