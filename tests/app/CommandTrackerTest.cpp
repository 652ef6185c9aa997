#include "app/CommandTracker.h"

#include <gtest/gtest.h>

// A status reply can be one asked before the last command was queued; only the
// next one, asked with the queue empty, proves that command answered.
TEST(CommandTracker, ACommandCountsAsAnsweredAtTheSecondStatusReplyAfterIt)
{
    CCommandTracker tracker;
    EXPECT_TRUE(tracker.AllAnswered());
    tracker.Given();
    tracker.Given();
    EXPECT_FALSE(tracker.AllAnswered());
    tracker.StatusReplied();
    EXPECT_FALSE(tracker.AllAnswered());
    tracker.Given();  // queued behind the status request in flight
    tracker.StatusReplied();
    EXPECT_FALSE(tracker.AllAnswered());
    tracker.StatusReplied();
    EXPECT_TRUE(tracker.AllAnswered());
}
