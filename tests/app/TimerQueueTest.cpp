#include "app/TimerQueue.h"

#include <gtest/gtest.h>

#include <vector>

TEST(TimerQueue, RunsOnlyDueTimersInStartOrderIncludingOnesStartedByCallbacks)
{
    CTimerQueue timers;
    std::vector<int> ran;
    timers.StartOnce(std::chrono::milliseconds(0), [&] {
        ran.push_back(1);
        timers.StartOnce(std::chrono::milliseconds(0), [&] { ran.push_back(3); });
    });
    timers.StartOnce(std::chrono::milliseconds(0), [&] { ran.push_back(2); });
    timers.StartOnce(std::chrono::hours(1), [&] { ran.push_back(99); });
    EXPECT_EQ(timers.RunDue(CTimerQueue::Clock::now() + std::chrono::seconds(1)), 3u);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(timers.NextDue());
    EXPECT_GT(*timers.NextDue(), CTimerQueue::Clock::now() + std::chrono::minutes(59));
    EXPECT_EQ(timers.RunDue(*timers.NextDue()), 1u);
    EXPECT_TRUE(timers.Empty());
}
