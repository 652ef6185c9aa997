#include "core/MeterAnimator.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

using namespace vsim;

namespace {

using Status = std::array<std::uint8_t, 29>;

Status At(const MeterAnimator& m, double t, bool carrier = true)
{
    Status s{};
    m.Fill(s.data(), t, carrier);
    return s;
}

// Runs a minute of status packets, ten a second, through `check`.
template <typename F>
void OverAMinute(const MeterAnimator& m, F&& check)
{
    for (int i = 0; i < 600; ++i)
        check(At(m, 1000.0 + i * 0.1));
}

int Level(std::uint8_t b) { return b & 15; }
int Peak(std::uint8_t b) { return b >> 4; }

}  // namespace

TEST(MeterAnimator, SameTimeGivesTheSamePacketAndSeedsDiffer)
{
    const MeterAnimator a(MeterLayout::Lite, true, 7), b(MeterLayout::Lite, true, 8);
    EXPECT_EQ(At(a, 12.3), At(a, 12.3));
    int differ = 0;
    for (int i = 0; i < 50; ++i)
        differ += At(a, i * 0.37) != At(b, i * 0.37);
    EXPECT_GT(differ, 40);
    // Nothing outside the meter bytes is touched.
    Status s{};
    s.fill(0xAA);
    a.Fill(s.data(), 3.0, true);
    EXPECT_EQ(s[5], 0xAA);
    EXPECT_EQ(s[28], 0xAA);
}

TEST(MeterAnimator, ColumnLayoutLevelsMoveAndPeaksHoldAbove)
{
    const MeterAnimator m(MeterLayout::Columns13, true, 3);
    std::set<int> inputLevels, reductions;
    bool wideOver = false, bandOver = false, mpx = false;
    OverAMinute(m, [&](const Status& s) {
        for (int i : {6, 7, 20, 21, 22}) {
            EXPECT_LE(Level(s[i]), 13);
            EXPECT_GE(Peak(s[i]), Level(s[i]));
        }
        inputLevels.insert(Level(s[6]));
        reductions.insert(Level(s[11]));
        EXPECT_LE(s[9], 1);
        EXPECT_EQ(s[10] & 0xF0, 0);
        wideOver = wideOver || s[9] == 1;
        bandOver = bandOver || s[10] != 0;
        mpx = mpx || s[22] != 0;
    });
    EXPECT_GE(inputLevels.size(), 5u);
    EXPECT_GE(reductions.size(), 4u);
    EXPECT_TRUE(wideOver && bandOver && mpx);
    // Without MPX the column stays dark.
    OverAMinute(MeterAnimator(MeterLayout::Columns13, false, 3), [](const Status& s) { EXPECT_EQ(s[22], 0); });
}

TEST(MeterAnimator, LevelerLayoutUsesItsIndicatorBitsAndCarrier)
{
    const MeterAnimator m(MeterLayout::Leveler, true, 5);
    bool over = false, gate = false, limiterOver = false;
    std::set<int> leveler;
    OverAMinute(m, [&](const Status& s) {
        EXPECT_EQ(s[6] & ~0x03, 0);
        for (int i = 9; i <= 16; ++i) {
            EXPECT_EQ(s[i] & 0x30, 0);
            EXPECT_GE(Level(s[i]), 2);  // LEDs 0 and 1 never light on a leveler column
            over = over || (s[i] & 0x80);
            gate = gate || (s[i] & 0x40);
        }
        leveler.insert(Level(s[9]));
        EXPECT_EQ(s[17] & 0xC0, 0);
        limiterOver = limiterOver || s[17] != 0;
        for (int i = 18; i <= 23; ++i)
            EXPECT_LE(Level(s[i]), 12);
        EXPECT_LE(Level(s[26]), 11);
        EXPECT_EQ(s[27], 1);
    });
    EXPECT_TRUE(over && gate && limiterOver);
    EXPECT_GE(leveler.size(), 5u);
    EXPECT_EQ(At(m, 5.0, false)[27], 0);
}

TEST(MeterAnimator, LiteAndStereoLayoutsReportTheirCarrierByte)
{
    const MeterAnimator lite(MeterLayout::Lite, true, 9);
    bool over = false;
    OverAMinute(lite, [&](const Status& s) {
        EXPECT_EQ(s[19] & 0xF0, 0);
        over = over || s[19] != 0;
        for (int i = 12; i <= 15; ++i)
            EXPECT_LE(Level(s[i]), 10);
        EXPECT_LE(Level(s[18]), 10);
        EXPECT_EQ(s[20], 1);
        EXPECT_EQ(s[21], 0);
    });
    EXPECT_TRUE(over);
    EXPECT_EQ(At(lite, 2.0, false)[20], 0);
    EXPECT_EQ(At(MeterAnimator(MeterLayout::Stereo, false, 1), 2.0, true)[11], 1);
    EXPECT_EQ(At(MeterAnimator(MeterLayout::Stereo, false, 1), 2.0, false)[11], 0);
}

TEST(MeterAnimator, RowsCarryColourBitsAndNoLayoutStaysDark)
{
    std::set<int> colours;
    OverAMinute(MeterAnimator(MeterLayout::Rows, false, 2), [&](const Status& s) {
        for (int r = 0; r < 8; ++r) {
            EXPECT_LE(s[6 + 2 * r] & 0x3F, 32);
            EXPECT_GE(s[7 + 2 * r], s[6 + 2 * r] & 0x3F);
            colours.insert(s[6 + 2 * r] >> 6);
        }
    });
    EXPECT_EQ(colours, (std::set<int>{1, 2, 3}));
    OverAMinute(MeterAnimator(MeterLayout::None, false, 2), [](const Status& s) { EXPECT_EQ(s, Status{}); });
}
