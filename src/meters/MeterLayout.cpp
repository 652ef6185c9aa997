#include "meters/MeterLayout.h"

#include <algorithm>
#include <array>

namespace {

using G = LedGeometry;
using R = LedRule;
using K = IndicatorKind;

struct Point {
    int x;
    int y;
};

MeterIndicator Ind(K kind, int byte = 0, int value = 0)
{
    return {kind, static_cast<std::uint8_t>(byte), static_cast<std::uint8_t>(value)};
}

MeterBar Bar(std::string_view label, Point at, int byte, R rule, int top, G geometry,
             MeterIndicator first = {}, MeterIndicator second = {})
{
    return {label, at.x, at.y, static_cast<std::uint8_t>(byte), rule, static_cast<std::uint8_t>(top),
            geometry, first, second};
}

// Leveler layout (codes 2, 8, 9, 12): bars k 0..9 read bytes 7..16, k 10..18
// read bytes 18..26.
struct LevelerOrigins {
    Point input[2];
    Point leveler[8]; // left, right, left, right ...; right unused for code 12
    int limiterX0;
    Point output[2];
    std::optional<Point> mpx;
};

std::vector<MeterBar> LevelerBars(const LevelerOrigins& o, bool rightLevelers)
{
    static constexpr std::array<std::string_view, 8> kLevelerLabels = {
        "LEVELER_1_LEFT", "LEVELER_1_RIGHT", "LEVELER_2_LEFT", "LEVELER_2_RIGHT",
        "LEVELER_3_LEFT", "LEVELER_3_RIGHT", "LEVELER_4_LEFT", "LEVELER_4_RIGHT"};
    static constexpr std::array<std::string_view, 6> kLimiterLabels = {
        "LIMITER_1", "LIMITER_2", "LIMITER_3", "LIMITER_4", "LIMITER_5", "LIMITER_6"};
    auto byteOf = [](int k) { return k <= 9 ? 7 + k : 8 + k; };

    std::vector<MeterBar> bars;
    bars.push_back(Bar("INPUT_L", o.input[0], byteOf(0), R::Rise, 16, G::G16, Ind(K::OverBit, 6, 0x01)));
    bars.push_back(Bar("INPUT_R", o.input[1], byteOf(1), R::Rise, 16, G::G16, Ind(K::OverBit, 6, 0x02)));
    for (int k = 2; k <= 9; ++k) {
        const bool right = (k % 2) == 1;
        if (right && !rightLevelers)
            continue;
        const int byte = byteOf(k);
        const G geometry = rightLevelers ? G::G16A : G::G16L;
        const MeterIndicator aux = rightLevelers ? Ind(K::AuxBit, byte, 0x40) : MeterIndicator{};
        bars.push_back(Bar(kLevelerLabels[static_cast<std::size_t>(k - 2)], o.leveler[k - 2], byte,
                           R::Rise2, 0, geometry, Ind(K::OverBit, byte, 0x80), aux));
    }
    for (int k = 10; k <= 15; ++k)
        bars.push_back(Bar(kLimiterLabels[static_cast<std::size_t>(k - 10)],
                           {o.limiterX0 + 15 * (k - 10), 17}, byteOf(k), R::Fall, 0, G::G13L,
                           Ind(K::OverBit, 17, 0x01 << (k - 10))));
    bars.push_back(Bar("OUTPUT_L", o.output[0], byteOf(16), R::Rise, 15, G::G15B));
    bars.push_back(Bar("OUTPUT_R", o.output[1], byteOf(17), R::Rise, 15, G::G15B));
    if (o.mpx)
        bars.push_back(Bar("MPX", *o.mpx, byteOf(18), R::Rise, 11, G::G11B, Ind(K::OffOnlyCarrier, 27)));
    return bars;
}

std::vector<MeterBar> Leveler(int code)
{
    if (code == 2)
        return LevelerBars({{{53, 17}, {77, 17}},
                            {{122, 17}, {130, 17}, {150, 17}, {158, 17}, {178, 17}, {186, 17}, {206, 17}, {214, 17}},
                            240, {{360, 17}, {384, 17}}, Point{418, 17}},
                           true);
    if (code == 12)
        return LevelerBars({{{66, 17}, {90, 17}},
                            {{150, 17}, {}, {165, 17}, {}, {180, 17}, {}, {195, 17}, {}},
                            234, {{360, 17}, {384, 17}}, Point{418, 17}},
                           false);
    return LevelerBars({{{74, 17}, {98, 17}},
                        {{143, 17}, {151, 17}, {171, 17}, {179, 17}, {199, 17}, {207, 17}, {227, 17}, {235, 17}},
                        261, {{381, 17}, {405, 17}}, std::nullopt},
                       true);
}

// 13-LED column layout (codes 1, 6, 7, 13); code 1 has MPX and its own origins.
std::vector<MeterBar> Columns13(bool withMpx)
{
    struct Row {
        std::string_view label;
        int byte;
        R rule;
        MeterIndicator ind;
        int x1;   // origin x for code 1
        int x6;   // origin x for codes 6, 7, 13
    };
    static const std::array<Row, 14> kRows = {{
        {"L", 6, R::Rise, Ind(K::OverIfLit), 57, 63},
        {"R", 7, R::Rise, Ind(K::OverIfLit), 87, 93},
        {"WB", 8, R::Fall, Ind(K::OverEqual, 9, 1), 110, 134},
        {"LOW", 11, R::Fall, Ind(K::OverBit, 10, 0x01), 146, 170},
        {"MID", 12, R::Fall, Ind(K::OverBit, 10, 0x02), 169, 193},
        {"MIDH", 13, R::Fall, Ind(K::OverBit, 10, 0x04), 190, 214},
        {"HIGH", 14, R::Fall, Ind(K::OverBit, 10, 0x08), 212, 236},
        {"LOW", 16, R::Fall, Ind(K::OverBit, 15, 0x01), 252, 276},
        {"MID", 17, R::Fall, Ind(K::OverBit, 15, 0x02), 275, 299},
        {"MIDH", 18, R::Fall, Ind(K::OverBit, 15, 0x04), 297, 321},
        {"HIGH", 19, R::Fall, Ind(K::OverBit, 15, 0x08), 319, 343},
        {"L", 20, R::Rise, Ind(K::OverIfLit), 343, 384},
        {"R", 21, R::Rise, Ind(K::OverIfLit), 373, 414},
        {"MPX", 22, R::Rise, Ind(K::OverIfLit), 414, 0},
    }};
    std::vector<MeterBar> bars;
    for (const Row& row : kRows) {
        if (row.label == "MPX" && !withMpx)
            continue;
        const int top = row.rule == R::Rise ? 13 : 0;
        bars.push_back(Bar(row.label, {withMpx ? row.x1 : row.x6, 19}, row.byte, row.rule, top,
                           G::G13, row.ind));
    }
    return bars;
}

// Lite layout (codes 4, 10, 14, 15): bar k reads byte 6 + k.
std::vector<MeterBar> Lite(bool withMpx)
{
    const std::array<int, 12> x4 = {64, 94, 146, 166, 186, 206, 256, 276, 296, 316, 352, 382};
    const std::array<int, 12> x10 = {64, 94, 161, 181, 201, 221, 273, 293, 313, 333, 382, 412};
    const auto& x = withMpx ? x4 : x10;
    static constexpr std::array<std::string_view, 4> kBands = {"LOW", "MID", "MIDH", "HIGH"};
    auto at = [&](int k) { return Point{x[static_cast<std::size_t>(k)], 18}; };

    std::vector<MeterBar> bars;
    bars.push_back(Bar("L", at(0), 6, R::Rise, 15, G::G15, Ind(K::OverIfLit)));
    bars.push_back(Bar("R", at(1), 7, R::Rise, 15, G::G15, Ind(K::OverIfLit)));
    for (int k = 2; k <= 5; ++k)
        bars.push_back(Bar(kBands[static_cast<std::size_t>(k - 2)], at(k), 6 + k, R::Fall, 0, G::G16,
                           Ind(K::OverBit, 19, 0x01 << (k - 2))));
    for (int k = 6; k <= 9; ++k)
        bars.push_back(Bar(kBands[static_cast<std::size_t>(k - 6)], at(k), 6 + k, R::Fall0, 0, G::G15B));
    bars.push_back(Bar("L", at(10), 16, R::Rise, 15, G::G15B));
    bars.push_back(Bar("R", at(11), 17, R::Rise, 15, G::G15B));
    if (withMpx)
        bars.push_back(Bar("MPX", {418, 18}, 18, R::Rise, 10, G::G11B, Ind(K::Carrier, 20)));
    return bars;
}

std::vector<MeterBar> Stereo()
{
    return {Bar("L", {142, 18}, 6, R::Rise, 15, G::G15, Ind(K::OverIfLit)),
            Bar("R", {172, 18}, 7, R::Rise, 15, G::G15, Ind(K::OverIfLit)),
            Bar("L", {286, 18}, 8, R::Rise, 15, G::G15B),
            Bar("R", {316, 18}, 9, R::Rise, 15, G::G15B),
            Bar("MPX", {352, 18}, 10, R::Rise, 10, G::G11B, Ind(K::Carrier, 11))};
}

std::vector<MeterLayout> BuildLayouts()
{
    using L = MeterLayoutKind;
    return {
        {1, "VexlorFM", L::Columns, 1, Columns13(true)},
        {2, "VexlorPlusFM", L::Columns, 2, Leveler(2)},
        {3, "", L::Rows, 0, {}},
        {4, "VexlorLiteFM", L::Columns, 2, Lite(true)},
        {5, "VexlorStereo", L::Columns, 2, Stereo()},
        {6, "VexlorHD", L::Columns, 1, Columns13(false)},
        {7, "VexlorCD", L::Columns, 1, Columns13(false)},
        {8, "VexlorPlusCD", L::Columns, 2, Leveler(8)},
        {9, "VexlorPlusHD", L::Columns, 2, Leveler(9)},
        {10, "VexlorLiteHD", L::Columns, 2, Lite(false)},
        {12, "VexlorMaxFM", L::Columns, 2, Leveler(12)},
        {13, "VexlorAM", L::Columns, 1, Columns13(false)},
        {14, "VexlorLiteAM", L::Columns, 2, Lite(false)},
        {15, "VexlorLiteFM2", L::Columns, 2, Lite(true)},
    };
}

} // namespace

const std::vector<MeterLayout>& AllMeterLayouts()
{
    static const std::vector<MeterLayout> layouts = BuildLayouts();
    return layouts;
}

const MeterLayout* FindMeterLayout(int code)
{
    const auto& layouts = AllMeterLayouts();
    const auto it = std::find_if(layouts.begin(), layouts.end(),
                                 [code](const MeterLayout& l) { return l.code == code; });
    return it == layouts.end() ? nullptr : &*it;
}

int LedCount(LedGeometry geometry)
{
    switch (geometry) {
    case G::G16:
    case G::G16L:
    case G::G16A:
        return 16;
    case G::G15:
    case G::G15B:
        return 15;
    case G::G13L:
    case G::G13:
        return 13;
    case G::G11B:
        return 11;
    }
    return 0;
}

std::optional<int> LedOffset(LedGeometry geometry, int i)
{
    if (i < 0 || i >= LedCount(geometry))
        return std::nullopt;
    switch (geometry) {
    case G::G16:
    case G::G15:
        return i == 0 ? 0 : 6 * i + 6;
    case G::G16L:
        if (i == 1)
            return std::nullopt;
        return i == 0 ? 0 : 6 * i + 6;
    case G::G16A:
        return i <= 1 ? 6 * i : 6 * i + 6;
    case G::G13L:
        return i == 0 ? 0 : 6 * i + 12;
    case G::G15B:
    case G::G11B:
        return 6 * i + 12;
    case G::G13:
        return i == 0 ? 0 : 7 * i + 3;
    }
    return std::nullopt;
}
