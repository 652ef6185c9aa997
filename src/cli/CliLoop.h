#pragma once

#include "app/ConnectionController.h"
#include "app/MessageQueue.h"
#include "app/TimerQueue.h"

#include <atomic>
#include <chrono>
#include <functional>

// The controller's thread in a headless front end: drains posted messages and
// runs due timers until a condition holds, the deadline passes or a stop is
// requested.
class CCliLoop {
public:
    using Clock = std::chrono::steady_clock;

    CMessageQueue& Queue() { return queue_; }
    CTimerQueue& Timers() { return timers_; }
    void Attach(CConnectionController& controller) { controller_ = &controller; }

    // True when `done` held before the deadline and no stop was requested.
    bool RunUntil(const std::function<bool()>& done, Clock::time_point deadline,
                  const std::atomic<bool>* stop = nullptr);
    bool RunFor(std::chrono::milliseconds span, const std::function<bool()>& done,
                const std::atomic<bool>* stop = nullptr)
    {
        return RunUntil(done, Clock::now() + span, stop);
    }

private:
    CMessageQueue queue_;
    CTimerQueue timers_;
    CConnectionController* controller_ = nullptr;
};
