#include "app/UndoSteps.h"

#include <gtest/gtest.h>

namespace {

using Clock = CGestureSteps::Clock;
using namespace std::chrono_literals;

UndoStep Write(std::uint8_t c, std::uint8_t before, std::uint8_t after)
{
    UndoStep w;
    w.a = 1;
    w.b = 2;
    w.c = c;
    w.before = before;
    w.after = after;
    return w;
}

}  // namespace

TEST(GestureSteps, AHeldDragIsOneStepFromItsFirstBeforeToItsLastAfter)
{
    CGestureSteps steps;
    const Clock::time_point t0{};
    steps.Hold(true);
    EXPECT_FALSE(steps.OnWrite(Write(3, 10, 11), t0));
    EXPECT_FALSE(steps.OnWrite(Write(3, 11, 15), t0 + 5s));  // a long pause while held
    EXPECT_FALSE(steps.FinishIfQuiet(t0 + 10s));
    const auto step = steps.Hold(false);
    ASSERT_TRUE(step);
    EXPECT_EQ(step->before, 10);
    EXPECT_EQ(step->after, 15);
    EXPECT_FALSE(steps.Finish());
}

TEST(GestureSteps, BurstsEndAtAQuietGapOrAnotherParameter)
{
    CGestureSteps steps;
    const Clock::time_point t0{};
    steps.OnWrite(Write(3, 10, 11), t0);
    steps.OnWrite(Write(3, 11, 12), t0 + 100ms);
    EXPECT_FALSE(steps.FinishIfQuiet(t0 + 200ms));
    auto first = steps.FinishIfQuiet(t0 + 100ms + CGestureSteps::kBurstGap);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->after, 12);

    steps.OnWrite(Write(3, 12, 13), t0 + 2s);
    auto second = steps.OnWrite(Write(4, 0, 1), t0 + 2s + 10ms);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->before, 12);
    EXPECT_EQ(second->after, 13);
    EXPECT_NE(second->id, first->id);
    // A write after the gap on the same parameter is a new step too.
    auto third = steps.OnWrite(Write(4, 1, 2), t0 + 5s);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->c, 4);
    EXPECT_EQ(third->after, 1);
}

TEST(GestureSteps, AGestureThatEndsWhereItBeganIsNoStepAndClearForgetsTheOpenOne)
{
    CGestureSteps steps;
    const Clock::time_point t0{};
    steps.Hold(true);
    steps.OnWrite(Write(3, 10, 12), t0);
    steps.OnWrite(Write(3, 12, 10), t0);
    EXPECT_FALSE(steps.Hold(false));
    steps.Hold(true);
    steps.OnWrite(Write(3, 10, 12), t0);
    steps.Clear();
    EXPECT_FALSE(steps.Open());
    EXPECT_FALSE(steps.Finish());
    // Clear also lets go of the press, so bursts end by their gap again.
    steps.OnWrite(Write(3, 10, 12), t0);
    EXPECT_TRUE(steps.FinishIfQuiet(t0 + CGestureSteps::kBurstGap));
}
