#include "meters/MeterLeds.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

// LED numbers that `rule` lights in a column of `count` for a status byte.
std::vector<int> RuleLit(LedRule rule, int top, int count, std::uint8_t byte)
{
    std::vector<int> lit;
    for (int i = 0; i < count; ++i)
        if (LedRuleLights(rule, top, i, byte & 0x0F, byte >> 4))
            lit.push_back(i);
    return lit;
}

MeterStatus Status(std::initializer_list<std::pair<int, std::uint8_t>> bytes)
{
    MeterStatus status{};
    for (const auto& [index, value] : bytes)
        status[static_cast<std::size_t>(index)] = value;
    return status;
}

// The LEDs of one bar of model `code`, keyed by LED number (LEDs the geometry
// leaves out are absent).
std::map<int, MeterLed> BarLeds(int code, std::size_t bar, const MeterStatus& status, bool valid = true)
{
    const MeterBar& layoutBar = FindMeterLayout(code)->bars.at(bar);
    std::vector<int> numbers;
    for (int i = 0; i < LedCount(layoutBar.geometry); ++i)
        if (LedOffset(layoutBar.geometry, i))
            numbers.push_back(i);
    std::map<int, MeterLed> leds;
    std::size_t next = 0;
    for (const MeterLed& led : ComputeMeterLeds(code, status, valid))
        if (led.bar == bar)
            leds[numbers.at(next++)] = led;
    EXPECT_EQ(next, numbers.size());
    return leds;
}

std::vector<int> LitNumbers(const std::map<int, MeterLed>& leds)
{
    std::vector<int> lit;
    for (const auto& [number, led] : leds)
        if (led.lit)
            lit.push_back(number);
    return lit;
}

std::size_t BarsDrawn(int code)
{
    std::set<int> bars;
    for (const MeterLed& led : ComputeMeterLeds(code, MeterStatus{}, true))
        bars.insert(led.bar);
    return bars.size();
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> v;
    for (int i = first; i <= last; ++i)
        v.push_back(i);
    return v;
}

TEST(MeterLedRules, ColumnsFillFromTheirEndWithThePeakApart)
{
    EXPECT_EQ(RuleLit(LedRule::Rise, 16, 16, 0x00), std::vector<int>{});
    EXPECT_EQ(RuleLit(LedRule::Rise, 16, 16, 0x0F), Range(1, 15));
    EXPECT_EQ(RuleLit(LedRule::Rise, 16, 16, 0xF0), std::vector<int>{1});
    EXPECT_EQ(RuleLit(LedRule::Rise, 13, 13, 0x53), (std::vector<int>{8, 10, 11, 12}));
    EXPECT_EQ(RuleLit(LedRule::Fall, 0, 13, 0x03), Range(1, 3));
    EXPECT_EQ(RuleLit(LedRule::Fall, 0, 13, 0x50), std::vector<int>{5});
    EXPECT_EQ(RuleLit(LedRule::Fall, 0, 13, 0x00), std::vector<int>{});
    EXPECT_EQ(RuleLit(LedRule::Fall0, 0, 15, 0x53), (std::vector<int>{0, 1, 2, 4}));
    EXPECT_EQ(RuleLit(LedRule::Fall0, 0, 15, 0x00), std::vector<int>{});
    // rise2 never lights LEDs 0 and 1 and has no peak.
    EXPECT_EQ(RuleLit(LedRule::Rise2, 0, 16, 0x0F), Range(2, 15));
    EXPECT_EQ(RuleLit(LedRule::Rise2, 0, 16, 0x0D), Range(3, 15));
    EXPECT_EQ(RuleLit(LedRule::Rise2, 0, 16, 0xF0), std::vector<int>{});
}

TEST(MeterLedIndicators, OverImagesFollowLevelBitOrEqualValue)
{
    // 13-LED columns: rise(13) with over-if-lit; level 13 or more lights LED 0 red.
    auto leds = BarLeds(1, 0, Status({{6, 0x0D}}));
    EXPECT_EQ(leds[0].image, 3);
    EXPECT_EQ(leds[1].image, 2);
    leds = BarLeds(1, 0, Status({{6, 0x0C}}));
    EXPECT_EQ(LitNumbers(leds), Range(1, 12));
    EXPECT_EQ(leds[0].image, 1);

    // over-equal(byte 9, 1): 1 marks WB over, 3 does not although its bit 0 is set.
    EXPECT_EQ(BarLeds(1, 2, Status({{9, 1}}))[0].image, 3);
    EXPECT_EQ(BarLeds(1, 2, Status({{9, 3}}))[0].image, 1);

    // over-bit: input over flags in byte 6, each input its own bit, lit at level 0.
    auto inputL = BarLeds(2, 0, Status({{6, 0x02}}));
    auto inputR = BarLeds(2, 1, Status({{6, 0x02}}));
    EXPECT_EQ(inputL[0].image, 4);
    EXPECT_EQ(inputR[0].image, 6);
    EXPECT_TRUE(inputR[0].lit);
    EXPECT_EQ(LitNumbers(inputR), std::vector<int>{0});
}

TEST(MeterLedIndicators, LevelerAuxBitLightsLedOneWhereTheLayoutDrawsIt)
{
    // Code 2 LEVELER_1_LEFT reads byte 9: bit 6 is the auxiliary LED 1, bit 7 the over LED 0.
    auto leds = BarLeds(2, 2, Status({{9, 0xC0}}));
    EXPECT_EQ(leds[0].image, 6);
    EXPECT_EQ(leds[1].image, 7);
    EXPECT_EQ(LitNumbers(leds), (std::vector<int>{0, 1}));
    // Code 12's left levelers have no LED 1 at all.
    leds = BarLeds(12, 2, Status({{9, 0xCF}}));
    EXPECT_EQ(leds.count(1), 0u);
    EXPECT_EQ(leds.size(), 15u);
    EXPECT_EQ(leds[0].image, 6);
    EXPECT_EQ(LitNumbers(leds), (std::vector<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
}

TEST(MeterLedIndicators, LiteMpxCarrierDecidesLedTenWhateverTheLevel)
{
    // Code 4: MPX is bar 12, level byte 18, carrier byte 20.
    auto leds = BarLeds(4, 12, Status({{18, 0x0F}, {20, 0}}));
    EXPECT_FALSE(leds[10].lit);
    EXPECT_EQ(LitNumbers(leds), Range(0, 9));
    leds = BarLeds(4, 12, Status({{18, 0x00}, {20, 1}}));
    EXPECT_EQ(LitNumbers(leds), std::vector<int>{10});
    EXPECT_EQ(leds[10].image, 5);
    // At level 0 the rule alone would light LED 10; without a carrier it stays dark.
    EXPECT_EQ(LitNumbers(BarLeds(4, 12, Status({{18, 0x00}, {20, 0}}))), std::vector<int>{});
}

TEST(MeterLedIndicators, LevelerMpxCarrierOnlyEverSwitchesLedTenOff)
{
    // Code 2: MPX is bar 18, level byte 26, carrier byte 27.
    EXPECT_FALSE(BarLeds(2, 18, Status({{26, 0x0B}, {27, 0}}))[10].lit);
    EXPECT_TRUE(BarLeds(2, 18, Status({{26, 0x0B}, {27, 1}}))[10].lit);
    EXPECT_FALSE(BarLeds(2, 18, Status({{26, 0x00}, {27, 1}}))[10].lit);
}

TEST(MeterLedIndicators, LimiterByteSixLightsItsTopSixDownwards)
{
    // Codes 8 and 9: LIMITER_1 is bar 10 and reads byte 18; its over bit is byte 17 bit 0.
    auto leds = BarLeds(8, 10, Status({{18, 0x06}}));
    EXPECT_EQ(LitNumbers(leds), Range(1, 6));
    EXPECT_LT(leds[1].y, leds[6].y);
    EXPECT_EQ(leds[0].image, 4);
    EXPECT_EQ(BarLeds(8, 15, Status({{17, 0x20}}))[0].image, 6);
    EXPECT_EQ(BarLeds(8, 14, Status({{17, 0x20}}))[0].image, 4);
}

TEST(MeterLedLayouts, EachModelDrawsItsBars)
{
    EXPECT_EQ(BarsDrawn(12), 15u);
    EXPECT_EQ(BarsDrawn(8), 18u);
    EXPECT_EQ(BarsDrawn(2), 19u);
    EXPECT_EQ(BarsDrawn(1), 14u);
    for (int code : {6, 7, 13, 4, 15})
        EXPECT_EQ(BarsDrawn(code), 13u) << code;
    for (int code : {10, 14})
        EXPECT_EQ(BarsDrawn(code), 12u) << code;
    EXPECT_EQ(BarsDrawn(5), 5u);
    EXPECT_EQ(BarsDrawn(3), 8u);
    for (int code : {0, 11, 16, 255, -1})
        EXPECT_TRUE(ComputeMeterLeds(code, MeterStatus{}, true).empty()) << code;
}

TEST(MeterLedLayouts, SameModelsShareTheirLedsAndOthersMoveThem)
{
    MeterStatus full;
    full.fill(0xFF);
    EXPECT_EQ(ComputeMeterLeds(8, full, true), ComputeMeterLeds(9, full, true));
    EXPECT_NE(ComputeMeterLeds(2, full, true).front().x, ComputeMeterLeds(8, full, true).front().x);
    EXPECT_EQ(ComputeMeterLeds(6, full, true), ComputeMeterLeds(13, full, true));
    // Without the MPX column, codes 6, 7 and 13 sit further right than code 1.
    const auto fm = ComputeMeterLeds(1, full, true);
    const auto hd = ComputeMeterLeds(6, full, true);
    for (std::size_t i = 0; i < hd.size(); ++i)
        EXPECT_GT(hd[i].x, fm[i].x) << i;
    // No two LEDs of one model overlap.
    for (const MeterLayout& layout : AllMeterLayouts()) {
        std::set<std::pair<int, int>> places;
        for (const MeterLed& led : ComputeMeterLeds(layout.code, full, true))
            EXPECT_TRUE(places.insert({led.x, led.y}).second) << layout.code;
    }
}

TEST(MeterLedLayouts, RowsTakeColourLevelAndPeakFromTheirTwoBytes)
{
    // Row 0: colour 2 ("led2"), level 3, peak 9; row 1: colour 1 ("led3"), level 32;
    // row 2: no colour bits, drawn dark.
    const auto leds = ComputeMeterLeds(3, Status({{6, 0x83}, {7, 0x09}, {8, 0x60}, {10, 0x05}}), true);
    ASSERT_EQ(leds.size(), 8u * 32u);
    EXPECT_EQ(LitLedsPerBar(leds), (std::vector<int>{4, 32, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(leds[2].image, 2);
    EXPECT_EQ(leds[9].image, 2);
    EXPECT_EQ(leds[9].x, 108);
    EXPECT_EQ(leds[3].image, 1);
    EXPECT_EQ(leds[32 + 31].image, 3);
    EXPECT_EQ(leds[32].y, 31);
    EXPECT_EQ(leds[64].image, 1);
    // Row 7's peak is byte 21, the last one the rows read.
    EXPECT_EQ(LitLedsPerBar(ComputeMeterLeds(3, Status({{20, 0xC0}, {21, 0x1F}}), true))[7], 1);
}

TEST(MeterLedValidity, InvalidStatusDrawsEveryLedWithItsOffImage)
{
    MeterStatus full;
    full.fill(0xFF);
    for (const auto& [code, off] : {std::pair{1, 1}, {2, 4}, {3, 1}, {12, 4}}) {
        const auto leds = ComputeMeterLeds(code, full, false);
        ASSERT_FALSE(leds.empty());
        for (const MeterLed& led : leds) {
            EXPECT_EQ(led.image, off) << code;
            EXPECT_FALSE(led.lit);
        }
        EXPECT_EQ(leds.size(), ComputeMeterLeds(code, full, true).size());
    }
}

TEST(MeterLedStatus, StatusCopyIsThirtyBytesWhateverThePacketLength)
{
    const std::vector<std::uint8_t> shortPacket(8, 0x33);
    const MeterStatus fromShort = MeterStatusFromPacket(shortPacket);
    EXPECT_EQ(fromShort[7], 0x33);
    EXPECT_EQ(fromShort[8], 0);
    EXPECT_EQ(fromShort[29], 0);
    std::vector<std::uint8_t> longPacket(40);
    for (std::size_t i = 0; i < longPacket.size(); ++i)
        longPacket[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(MeterStatusFromPacket(longPacket)[29], 29);
    EXPECT_EQ(LedImageKey(7), "led7");
}

TEST(MeterLedStatus, LitCountsFollowBarOrder)
{
    // Code 8: INPUT_L full, INPUT_R at its peak only, LIMITER_6 (bar 15, byte 23) at 4.
    const auto counts = LitLedsPerBar(ComputeMeterLeds(8, Status({{7, 0x0F}, {8, 0xF0}, {23, 0x04}}), true));
    ASSERT_EQ(counts.size(), 18u);
    EXPECT_EQ(counts[0], 15);
    EXPECT_EQ(counts[1], 1);
    EXPECT_EQ(counts[15], 4);
    EXPECT_EQ(counts[17], 0);
}

} // namespace
