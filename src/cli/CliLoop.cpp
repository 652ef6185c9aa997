#include "cli/CliLoop.h"

#include <algorithm>

bool CCliLoop::RunUntil(const std::function<bool()>& done, Clock::time_point deadline,
                        const std::atomic<bool>* stop)
{
    // Short slices keep a stop request (Ctrl-C) noticed quickly.
    constexpr auto kSlice = std::chrono::milliseconds(50);
    while (!done()) {
        if (stop && stop->load()) return false;
        const auto now = Clock::now();
        if (now >= deadline) return false;
        timers_.RunDue(now);
        if (done()) return true;
        auto wake = std::min(deadline, now + kSlice);
        if (auto due = timers_.NextDue()) wake = std::min(wake, *due);
        if (auto message = queue_.PopUntil(wake); message && controller_)
            controller_->HandleMessage(*message);
    }
    return true;
}
