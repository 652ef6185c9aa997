#include "agent/ControllerLoop.h"

#include <algorithm>

bool CControllerLoop::Run(const std::function<bool()>& done, Clock::time_point deadline, const Handler& onMessage,
                          const std::function<void()>& tick, std::chrono::milliseconds period)
{
    while (!done()) {
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        auto until = std::min(deadline, now + period);
        if (const auto due = timers_.NextDue(); due && *due < until)
            until = *due;
        // An empty message only wakes the loop.
        if (auto message = queue_.PopUntil(until); message && message->id != 0)
            onMessage(*message);
        timers_.RunDue(Clock::now());
        if (tick)
            tick();
    }
    return true;
}
