#include "app/TimerQueue.h"

#include <algorithm>

void CTimerQueue::StartOnce(std::chrono::milliseconds delay, std::function<void()> callback)
{
    timers_.push_back({now_() + delay, nextOrder_++, std::move(callback)});
}

std::optional<CTimerQueue::Clock::time_point> CTimerQueue::NextDue() const
{
    if (timers_.empty()) return std::nullopt;
    return std::min_element(timers_.begin(), timers_.end(),
                            [](const Timer& x, const Timer& y) { return x.due < y.due; })
        ->due;
}

std::size_t CTimerQueue::RunDue(Clock::time_point now)
{
    std::size_t ran = 0;
    for (;;) {
        // A callback may start new timers, so pick one at a time.
        auto due = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it)
            if (it->due <= now && (due == timers_.end() || it->order < due->order)) due = it;
        if (due == timers_.end()) return ran;
        auto callback = std::move(due->callback);
        timers_.erase(due);
        callback();
        ++ran;
    }
}
