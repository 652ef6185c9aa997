// The meter layout tables checked bar by bar against the processor models'
// documented layouts, written out here independently of the code's tables.
#include "meters/MeterLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using G = LedGeometry;
using R = LedRule;
using K = IndicatorKind;

struct Ind {
    K kind = K::None;
    int byte = 0;
    int value = 0;
};

struct Want {
    std::string label;
    int x;
    int y;
    int byte;
    R rule;
    int top;  // T of rise(T); 0 for the other rules
    G geometry;
    Ind first = {};
    Ind second = {};
};

void ExpectBars(int code, const std::vector<Want>& want)
{
    const MeterLayout* layout = FindMeterLayout(code);
    ASSERT_NE(layout, nullptr) << code;
    ASSERT_EQ(layout->bars.size(), want.size()) << code;
    for (std::size_t i = 0; i < want.size(); ++i) {
        const MeterBar& b = layout->bars[i];
        const Want& w = want[i];
        SCOPED_TRACE("code " + std::to_string(code) + ", bar " + std::to_string(i) + " " + w.label);
        EXPECT_EQ(b.label, w.label);
        EXPECT_EQ(b.x, w.x);
        EXPECT_EQ(b.y, w.y);
        EXPECT_EQ(b.statusByte, w.byte);
        EXPECT_EQ(b.rule, w.rule);
        if (w.rule == R::Rise) {
            EXPECT_EQ(b.riseTop, w.top);
        }
        EXPECT_EQ(b.geometry, w.geometry);
        EXPECT_EQ(b.first.kind, w.first.kind);
        EXPECT_EQ(b.first.byte, w.first.byte);
        EXPECT_EQ(b.first.value, w.first.value);
        EXPECT_EQ(b.second.kind, w.second.kind);
        EXPECT_EQ(b.second.byte, w.second.byte);
        EXPECT_EQ(b.second.value, w.second.value);
    }
}

struct LevelerPlaces {
    int inputL, inputR;
    std::vector<int> levelerX;  // left and right of 1..4, or the left ones only
    int limiter1;
    int outputL, outputR;
    bool mpx;
};

// Leveler layout: bars k 0..9 read bytes 7..16, k 10..18 read bytes 18..26.
std::vector<Want> LevelerBars(const LevelerPlaces& p, bool right)
{
    std::vector<Want> bars{
        {"INPUT_L", p.inputL, 17, 7, R::Rise, 16, G::G16, {K::OverBit, 6, 0x01}},
        {"INPUT_R", p.inputR, 17, 8, R::Rise, 16, G::G16, {K::OverBit, 6, 0x02}},
    };
    std::size_t x = 0;
    for (int n = 1; n <= 4; ++n) {
        const int leftByte = 7 + 2 * n;
        const std::string name = "LEVELER_" + std::to_string(n);
        if (right) {
            bars.push_back({name + "_LEFT", p.levelerX[x++], 17, leftByte, R::Rise2, 0, G::G16A,
                            {K::OverBit, leftByte, 0x80}, {K::AuxBit, leftByte, 0x40}});
            bars.push_back({name + "_RIGHT", p.levelerX[x++], 17, leftByte + 1, R::Rise2, 0, G::G16A,
                            {K::OverBit, leftByte + 1, 0x80}, {K::AuxBit, leftByte + 1, 0x40}});
        } else {
            bars.push_back({name + "_LEFT", p.levelerX[x++], 17, leftByte, R::Rise2, 0, G::G16L,
                            {K::OverBit, leftByte, 0x80}});
        }
    }
    const int overBits[6] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20};
    for (int n = 0; n < 6; ++n)
        bars.push_back({"LIMITER_" + std::to_string(n + 1), p.limiter1 + 15 * n, 17, 18 + n, R::Fall, 0, G::G13L,
                        {K::OverBit, 17, overBits[n]}});
    bars.push_back({"OUTPUT_L", p.outputL, 17, 24, R::Rise, 15, G::G15B});
    bars.push_back({"OUTPUT_R", p.outputR, 17, 25, R::Rise, 15, G::G15B});
    if (p.mpx) bars.push_back({"MPX", 418, 17, 26, R::Rise, 11, G::G11B, {K::OffOnlyCarrier, 27, 0}});
    return bars;
}

std::vector<Want> ColumnBars(bool code1)
{
    auto at = [code1](int x1, int x6) { return code1 ? x1 : x6; };
    std::vector<Want> bars{
        {"L", at(57, 63), 19, 6, R::Rise, 13, G::G13, {K::OverIfLit}},
        {"R", at(87, 93), 19, 7, R::Rise, 13, G::G13, {K::OverIfLit}},
        {"WB", at(110, 134), 19, 8, R::Fall, 0, G::G13, {K::OverEqual, 9, 1}},
        {"LOW", at(146, 170), 19, 11, R::Fall, 0, G::G13, {K::OverBit, 10, 0x01}},
        {"MID", at(169, 193), 19, 12, R::Fall, 0, G::G13, {K::OverBit, 10, 0x02}},
        {"MIDH", at(190, 214), 19, 13, R::Fall, 0, G::G13, {K::OverBit, 10, 0x04}},
        {"HIGH", at(212, 236), 19, 14, R::Fall, 0, G::G13, {K::OverBit, 10, 0x08}},
        {"LOW", at(252, 276), 19, 16, R::Fall, 0, G::G13, {K::OverBit, 15, 0x01}},
        {"MID", at(275, 299), 19, 17, R::Fall, 0, G::G13, {K::OverBit, 15, 0x02}},
        {"MIDH", at(297, 321), 19, 18, R::Fall, 0, G::G13, {K::OverBit, 15, 0x04}},
        {"HIGH", at(319, 343), 19, 19, R::Fall, 0, G::G13, {K::OverBit, 15, 0x08}},
        {"L", at(343, 384), 19, 20, R::Rise, 13, G::G13, {K::OverIfLit}},
        {"R", at(373, 414), 19, 21, R::Rise, 13, G::G13, {K::OverIfLit}},
    };
    if (code1) bars.push_back({"MPX", 414, 19, 22, R::Rise, 13, G::G13, {K::OverIfLit}});
    return bars;
}

std::vector<Want> LiteBars(bool mpx)
{
    auto at = [mpx](int x4, int x10) { return mpx ? x4 : x10; };
    std::vector<Want> bars{
        {"L", 64, 18, 6, R::Rise, 15, G::G15, {K::OverIfLit}},
        {"R", 94, 18, 7, R::Rise, 15, G::G15, {K::OverIfLit}},
        {"LOW", at(146, 161), 18, 8, R::Fall, 0, G::G16, {K::OverBit, 19, 0x01}},
        {"MID", at(166, 181), 18, 9, R::Fall, 0, G::G16, {K::OverBit, 19, 0x02}},
        {"MIDH", at(186, 201), 18, 10, R::Fall, 0, G::G16, {K::OverBit, 19, 0x04}},
        {"HIGH", at(206, 221), 18, 11, R::Fall, 0, G::G16, {K::OverBit, 19, 0x08}},
        {"LOW", at(256, 273), 18, 12, R::Fall0, 0, G::G15B},
        {"MID", at(276, 293), 18, 13, R::Fall0, 0, G::G15B},
        {"MIDH", at(296, 313), 18, 14, R::Fall0, 0, G::G15B},
        {"HIGH", at(316, 333), 18, 15, R::Fall0, 0, G::G15B},
        {"L", at(352, 382), 18, 16, R::Rise, 15, G::G15B},
        {"R", at(382, 412), 18, 17, R::Rise, 15, G::G15B},
    };
    if (mpx) bars.push_back({"MPX", 418, 18, 18, R::Rise, 10, G::G11B, {K::Carrier, 20, 0}});
    return bars;
}

}  // namespace

TEST(MeterLayoutTables, EveryModelCodeHasItsModelLayoutAndImageSet)
{
    struct Row {
        int code;
        const char* model;
        MeterLayoutKind kind;
        int imageSet;
    };
    using L = MeterLayoutKind;
    for (const Row& r : {Row{1, "VexlorFM", L::Columns, 1}, Row{2, "VexlorPlusFM", L::Columns, 2},
                         Row{3, "", L::Rows, 0}, Row{4, "VexlorLiteFM", L::Columns, 2},
                         Row{5, "VexlorStereo", L::Columns, 2}, Row{6, "VexlorHD", L::Columns, 1},
                         Row{7, "VexlorCD", L::Columns, 1}, Row{8, "VexlorPlusCD", L::Columns, 2},
                         Row{9, "VexlorPlusHD", L::Columns, 2}, Row{10, "VexlorLiteHD", L::Columns, 2},
                         Row{12, "VexlorMaxFM", L::Columns, 2}, Row{13, "VexlorAM", L::Columns, 1},
                         Row{14, "VexlorLiteAM", L::Columns, 2}, Row{15, "VexlorLiteFM2", L::Columns, 2}}) {
        const MeterLayout* layout = FindMeterLayout(r.code);
        ASSERT_NE(layout, nullptr) << r.code;
        EXPECT_EQ(layout->model, r.model) << r.code;
        EXPECT_EQ(layout->kind, r.kind) << r.code;
        if (r.kind == L::Columns) {
            EXPECT_EQ(layout->imageSet, r.imageSet) << r.code;
        }
    }
    for (int code : {0, 11, 16, 255}) EXPECT_EQ(FindMeterLayout(code), nullptr) << code;
}

TEST(MeterLayoutTables, LevelerLayouts)
{
    ExpectBars(2, LevelerBars({53, 77, {122, 130, 150, 158, 178, 186, 206, 214}, 240, 360, 384, true}, true));
    for (int code : {8, 9})
        ExpectBars(code, LevelerBars({74, 98, {143, 151, 171, 179, 199, 207, 227, 235}, 261, 381, 405, false}, true));
    // Code 12: left levelers only; the bars keep their numbers, and so their bytes.
    ExpectBars(12, LevelerBars({66, 90, {150, 165, 180, 195}, 234, 360, 384, true}, false));
}

TEST(MeterLayoutTables, ThirteenLedColumnLayouts)
{
    ExpectBars(1, ColumnBars(true));
    for (int code : {6, 7, 13}) ExpectBars(code, ColumnBars(false));
}

TEST(MeterLayoutTables, LiteAndStereoLayouts)
{
    for (int code : {4, 15}) ExpectBars(code, LiteBars(true));
    for (int code : {10, 14}) ExpectBars(code, LiteBars(false));
    ExpectBars(5, {{"L", 142, 18, 6, R::Rise, 15, G::G15, {K::OverIfLit}},
                   {"R", 172, 18, 7, R::Rise, 15, G::G15, {K::OverIfLit}},
                   {"L", 286, 18, 8, R::Rise, 15, G::G15B},
                   {"R", 316, 18, 9, R::Rise, 15, G::G15B},
                   {"MPX", 352, 18, 10, R::Rise, 10, G::G11B, {K::Carrier, 11, 0}}});
}

TEST(MeterLayoutTables, EveryGeometryPlacesEachLed)
{
    constexpr int no = -1;  // not drawn
    const std::vector<std::pair<G, std::vector<int>>> geometries{
        {G::G16, {0, 12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90, 96}},
        {G::G16L, {0, no, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90, 96}},
        {G::G16A, {0, 6, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90, 96}},
        {G::G15, {0, 12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90}},
        {G::G13L, {0, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84}},
        {G::G15B, {12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90, 96}},
        {G::G11B, {12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72}},
        {G::G13, {0, 10, 17, 24, 31, 38, 45, 52, 59, 66, 73, 80, 87}},
    };
    for (const auto& [geometry, offsets] : geometries) {
        SCOPED_TRACE(static_cast<int>(geometry));
        EXPECT_EQ(LedCount(geometry), static_cast<int>(offsets.size()));
        for (int i = 0; i < static_cast<int>(offsets.size()); ++i) {
            const auto offset = LedOffset(geometry, i);
            if (offsets[static_cast<std::size_t>(i)] == no)
                EXPECT_FALSE(offset) << i;
            else
                EXPECT_EQ(offset, offsets[static_cast<std::size_t>(i)]) << i;
        }
        EXPECT_FALSE(LedOffset(geometry, static_cast<int>(offsets.size())));
        EXPECT_FALSE(LedOffset(geometry, -1));
    }
}

TEST(MeterLayoutTables, RowsLayoutHasEightRowsOfThirtyTwoLeds)
{
    EXPECT_EQ(kMeterRowCount, 8);
    EXPECT_EQ(kMeterRowLeds, 32);
    EXPECT_EQ(kMeterRowTop, 19);
    EXPECT_EQ(kMeterRowPitch, 12);
    EXPECT_EQ(kMeterLedPitchInRow, 12);
    EXPECT_TRUE(FindMeterLayout(3)->bars.empty());
}
