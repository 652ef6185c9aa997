#include "meters/MeterLayout.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::size_t BarCount(int code)
{
    const MeterLayout* layout = FindMeterLayout(code);
    return layout ? layout->bars.size() : 0;
}

TEST(MeterLayout, EachModelHasItsNumberOfBars)
{
    EXPECT_EQ(BarCount(1), 14u);
    EXPECT_EQ(BarCount(6), 13u);
    EXPECT_EQ(BarCount(2), 19u);
    EXPECT_EQ(BarCount(8), 18u);
    EXPECT_EQ(BarCount(12), 15u);
    EXPECT_EQ(BarCount(4), 13u);
    EXPECT_EQ(BarCount(10), 12u);
    EXPECT_EQ(BarCount(5), 5u);
    EXPECT_EQ(FindMeterLayout(11), nullptr);
    EXPECT_EQ(FindMeterLayout(3)->kind, MeterLayoutKind::Rows);
}

TEST(MeterLayout, PlusCdAndPlusHdShareTheirBarsAndPlusFmIsPlacedElsewhere)
{
    const auto& cd = FindMeterLayout(8)->bars;
    const auto& hd = FindMeterLayout(9)->bars;
    ASSERT_EQ(cd.size(), hd.size());
    for (std::size_t i = 0; i < cd.size(); ++i) {
        EXPECT_EQ(cd[i].label, hd[i].label);
        EXPECT_EQ(cd[i].x, hd[i].x);
        EXPECT_EQ(cd[i].statusByte, hd[i].statusByte);
    }
    EXPECT_NE(FindMeterLayout(2)->bars[0].x, cd[0].x);
}

TEST(MeterLayout, LevelerBarsReadTheirStatusBytesAroundTheLimiterFlags)
{
    const auto& bars = FindMeterLayout(2)->bars;
    EXPECT_EQ(bars[0].statusByte, 7);
    EXPECT_EQ(bars[9].label, "LEVELER_4_RIGHT");
    EXPECT_EQ(bars[9].statusByte, 16);
    EXPECT_EQ(bars[10].label, "LIMITER_1");
    EXPECT_EQ(bars[10].statusByte, 18);
    EXPECT_EQ(bars[15].first.value, 0x20);
    EXPECT_EQ(bars[18].label, "MPX");
    EXPECT_EQ(bars[18].statusByte, 26);
    EXPECT_EQ(bars[18].first.kind, IndicatorKind::OffOnlyCarrier);
    // MaxFM keeps only the left levelers, drawn without LED 1.
    const auto& max = FindMeterLayout(12)->bars;
    EXPECT_EQ(max[2].label, "LEVELER_1_LEFT");
    EXPECT_EQ(max[3].label, "LEVELER_2_LEFT");
    EXPECT_EQ(max[3].statusByte, 11); // bar numbers keep their gaps
    EXPECT_EQ(max[3].geometry, LedGeometry::G16L);
}

TEST(MeterLayout, GeometriesPlaceTheirLeds)
{
    EXPECT_EQ(LedOffset(LedGeometry::G16, 1), 12);
    EXPECT_FALSE(LedOffset(LedGeometry::G16L, 1).has_value());
    EXPECT_EQ(LedOffset(LedGeometry::G16A, 1), 6);
    EXPECT_EQ(LedOffset(LedGeometry::G16A, 2), 18);
    EXPECT_EQ(LedOffset(LedGeometry::G13, 12), 87);
    EXPECT_EQ(LedOffset(LedGeometry::G15B, 0), 12);
    EXPECT_FALSE(LedOffset(LedGeometry::G11B, 11).has_value());
    EXPECT_FALSE(LedOffset(LedGeometry::G13L, -1).has_value());
}

TEST(MeterLayout, EveryBarFitsThePanel)
{
    for (const MeterLayout& layout : AllMeterLayouts())
        for (const MeterBar& bar : layout.bars) {
            const int last = *LedOffset(bar.geometry, LedCount(bar.geometry) - 1);
            EXPECT_GE(bar.x, 0);
            EXPECT_LT(bar.x + 11, kMeterPanelWidth) << layout.model << " " << bar.label;
            EXPECT_LT(bar.y + last + 7, kMeterPanelHeight) << layout.model << " " << bar.label;
            EXPECT_LT(bar.statusByte, 29);
        }
}

} // namespace
