#include "description/SliderSendGate.h"

#include <gtest/gtest.h>

namespace {

bool Sends(CSliderSendGate& gate, int raw, std::uint32_t now)
{
    return gate.Ask(raw, now) == CSliderSendGate::Answer::Send;
}

}  // namespace

TEST(SliderSendGate, DraggingForOneSecondSendsAboutFiveTimes)
{
    CSliderSendGate gate;
    int sent = 0;
    // A move every 20 ms for a second, each to a new value.
    for (std::uint32_t t = 0; t <= 1000; t += 20)
        if (Sends(gate, static_cast<int>(t / 20), 100000 + t)) ++sent;
    EXPECT_EQ(sent, 5);
}

TEST(SliderSendGate, ReleaseSendsTheFinalValueUnlessJustSent)
{
    CSliderSendGate gate;
    ASSERT_TRUE(Sends(gate, 10, 5000));
    EXPECT_EQ(gate.Ask(11, 5100), CSliderSendGate::Answer::TooSoon);
    gate.ForgetSendTime();
    EXPECT_TRUE(Sends(gate, 11, 5120));
    gate.ForgetSendTime();
    EXPECT_EQ(gate.Ask(11, 5130), CSliderSendGate::Answer::AlreadySent);
    EXPECT_EQ(gate.LastSent(), 11);
}

TEST(SliderSendGate, ValueLastSentIsNotSentAgainAfterTheDeviceChangedIt)
{
    // The processor moved the value from 10 to 12; the operator brings the
    // slider back to 10, which this slider sent last.
    CSliderSendGate gate;
    ASSERT_TRUE(Sends(gate, 10, 1000));
    EXPECT_FALSE(Sends(gate, 10, 9000));
}

TEST(SliderSendGate, SmallOrWrappedTickCountsDoNotHoldBackTheFirstSendOrARelease)
{
    CSliderSendGate gate;
    EXPECT_TRUE(Sends(gate, 1, 50));  // right after the counter started
    gate.ForgetSendTime();
    EXPECT_TRUE(Sends(gate, 2, 60));
    // Across the counter's wrap the interval is still measured correctly.
    CSliderSendGate wrapped;
    ASSERT_TRUE(Sends(wrapped, 1, 0xFFFFFFC0u));
    EXPECT_FALSE(Sends(wrapped, 2, 0x40u));  // 128 ms later
    EXPECT_TRUE(Sends(wrapped, 2, 0x100u));  // 320 ms later
}
