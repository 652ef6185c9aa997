#include "meters/MeterState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<std::uint8_t> Packet(std::initializer_list<std::pair<int, std::uint8_t>> bytes)
{
    std::vector<std::uint8_t> packet(29, 0);
    for (const auto& [index, value] : bytes)
        packet[static_cast<std::size_t>(index)] = value;
    return packet;
}

int LitCount(const CMeterState& state)
{
    return static_cast<int>(std::count_if(state.Leds().begin(), state.Leds().end(),
                                          [](const MeterLed& led) { return led.lit; }));
}

TEST(MeterState, NothingIsValidOrLitBeforeTheFirstPacket)
{
    CMeterState state;
    EXPECT_FALSE(state.Valid());
    EXPECT_EQ(state.Model(), 0);
    EXPECT_TRUE(state.Leds().empty());
    EXPECT_TRUE(state.SetModel(2));
    EXPECT_EQ(state.Leds().size(), ComputeMeterLeds(2, MeterStatus{}, false).size());
    EXPECT_EQ(LitCount(state), 0);
    EXPECT_TRUE(state.Update(Packet({{7, 0x0F}})));
    EXPECT_TRUE(state.Valid());
    EXPECT_EQ(LitCount(state), 15);
}

TEST(MeterState, OnlyPacketsThatChangeTheLitLedsAskForARepaint)
{
    CMeterState state;
    state.SetModel(12);
    EXPECT_TRUE(state.Update(Packet({{7, 0x05}})));
    EXPECT_FALSE(state.Update(Packet({{7, 0x05}})));
    // Preset markers and flags (bytes 2 to 5) do not feed this model's meters.
    EXPECT_FALSE(state.Update(Packet({{2, 0x03}, {5, 0x01}, {7, 0x05}})));
    EXPECT_EQ(state.Status()[2], 0x03);
    // The peak moving onto a lit LED changes nothing to draw.
    EXPECT_FALSE(state.Update(Packet({{7, 0x35}})));
    EXPECT_TRUE(state.Update(Packet({{7, 0x06}})));
}

TEST(MeterState, ResetDarkensEveryLedUntilTheNextPacket)
{
    CMeterState state;
    state.SetModel(1);
    state.Update(Packet({{6, 0x0D}, {20, 0x0A}}));
    EXPECT_GT(LitCount(state), 0);
    EXPECT_TRUE(state.Reset());
    EXPECT_FALSE(state.Valid());
    EXPECT_EQ(state.Status(), MeterStatus{});
    EXPECT_EQ(LitCount(state), 0);
    EXPECT_FALSE(state.Reset());
    // The model stays as it was set.
    EXPECT_EQ(state.Model(), 1);
    EXPECT_TRUE(state.Update(Packet({{6, 0x0D}})));
    EXPECT_EQ(state.Leds()[0].image, 3);
}

TEST(MeterState, AnotherModelRedrawsTheSameStatusInItsLayout)
{
    CMeterState state;
    state.SetModel(8);
    state.Update(Packet({{7, 0x0F}}));
    EXPECT_FALSE(state.SetModel(9));
    EXPECT_TRUE(state.SetModel(11));
    EXPECT_TRUE(state.Leds().empty());
    EXPECT_TRUE(state.Valid());
}

} // namespace
