#include "meters/MeterLeds.h"

#include <algorithm>
#include <optional>

namespace {

using K = IndicatorKind;

// The images a column draws with, by role.
struct ImageSet {
    std::uint8_t off;
    std::uint8_t on;
    std::uint8_t over;
    std::uint8_t aux; // only set 2 has an auxiliary image
};

constexpr ImageSet kSet1{1, 2, 3, 2};
constexpr ImageSet kSet2{4, 5, 6, 7};

// Row colours by the top two bits of a row's level byte. Colour 0 has no image
// of its own; such a row stays dark.
constexpr std::array<std::uint8_t, 4> kRowColourImage{1, 3, 2, 4};
constexpr std::uint8_t kRowOffImage = 1;

std::uint8_t StatusByte(const MeterStatus& status, std::size_t index)
{
    return index < status.size() ? status[index] : 0;
}

// Carrier indicators decide LED 10 whatever the rule says.
bool CarrierLights(const MeterIndicator& ind, int i, bool lit, const MeterStatus& status)
{
    if (i != 10)
        return lit;
    const bool carrier = StatusByte(status, ind.byte) != 0;
    if (ind.kind == K::Carrier)
        return carrier;
    if (ind.kind == K::OffOnlyCarrier)
        return lit && carrier;
    return lit;
}

// Over and auxiliary indicators replace the image of LED 0 or LED 1.
std::optional<std::uint8_t> IndicatorImage(const MeterIndicator& ind, int i, bool lit, const MeterStatus& status,
                                           const ImageSet& set)
{
    const std::uint8_t byte = StatusByte(status, ind.byte);
    switch (ind.kind) {
    case K::OverIfLit:
        return i == 0 && lit ? std::optional(set.over) : std::nullopt;
    case K::OverBit:
        return i == 0 && (byte & ind.value) ? std::optional(set.over) : std::nullopt;
    case K::OverEqual:
        return i == 0 && byte == ind.value ? std::optional(set.over) : std::nullopt;
    case K::AuxBit:
        return i == 1 && (byte & ind.value) ? std::optional(set.aux) : std::nullopt;
    case K::None:
    case K::Carrier:
    case K::OffOnlyCarrier:
        break;
    }
    return std::nullopt;
}

std::uint8_t ColumnLedImage(const MeterBar& bar, int i, const MeterStatus& status, const ImageSet& set)
{
    const std::uint8_t byte = StatusByte(status, bar.statusByte);
    bool lit = LedRuleLights(bar.rule, bar.riseTop, i, byte & 0x0F, byte >> 4);
    for (const MeterIndicator* ind : {&bar.first, &bar.second})
        lit = CarrierLights(*ind, i, lit, status);
    std::uint8_t image = lit ? set.on : set.off;
    for (const MeterIndicator* ind : {&bar.first, &bar.second})
        if (const auto over = IndicatorImage(*ind, i, lit, status, set))
            image = *over;
    return image;
}

void AddColumns(std::vector<MeterLed>& leds, const MeterLayout& layout, const MeterStatus& status, bool valid)
{
    const ImageSet& set = layout.imageSet == 1 ? kSet1 : kSet2;
    for (std::size_t b = 0; b < layout.bars.size(); ++b) {
        const MeterBar& bar = layout.bars[b];
        for (int i = 0; i < LedCount(bar.geometry); ++i) {
            const auto dy = LedOffset(bar.geometry, i);
            if (!dy)
                continue;
            const std::uint8_t image = valid ? ColumnLedImage(bar, i, status, set) : set.off;
            leds.push_back({static_cast<std::int16_t>(bar.x), static_cast<std::int16_t>(bar.y + *dy), image,
                            static_cast<std::uint8_t>(b), image != set.off});
        }
    }
}

void AddRows(std::vector<MeterLed>& leds, const MeterStatus& status, bool valid)
{
    for (int r = 0; r < kMeterRowCount; ++r) {
        const std::uint8_t head = StatusByte(status, static_cast<std::size_t>(6 + 2 * r));
        const int level = head & 0x3F;
        const int peak = StatusByte(status, static_cast<std::size_t>(7 + 2 * r)) & 0x3F;
        const std::uint8_t colour = kRowColourImage[head >> 6];
        for (int i = 0; i < kMeterRowLeds; ++i) {
            const bool on = valid && (i <= level - 1 || (i == peak && peak != 0));
            const std::uint8_t image = on ? colour : kRowOffImage;
            leds.push_back({static_cast<std::int16_t>(kMeterLedPitchInRow * i),
                            static_cast<std::int16_t>(kMeterRowTop + kMeterRowPitch * r), image,
                            static_cast<std::uint8_t>(r), image != kRowOffImage});
        }
    }
}

} // namespace

MeterStatus MeterStatusFromPacket(std::span<const std::uint8_t> packet)
{
    MeterStatus status{};
    std::copy_n(packet.begin(), std::min(packet.size(), status.size()), status.begin());
    return status;
}

std::string LedImageKey(int image)
{
    return "led" + std::to_string(image);
}

bool LedRuleLights(LedRule rule, int top, int i, int level, int peak)
{
    switch (rule) {
    case LedRule::Rise:
        return i >= top - level || i == top - peak;
    case LedRule::Rise2:
        return i >= 2 && i >= 16 - level;
    case LedRule::Fall:
        return i >= 1 && (i <= level || i == peak);
    case LedRule::Fall0:
        return i <= level - 1 || i == peak - 1;
    }
    return false;
}

std::vector<MeterLed> ComputeMeterLeds(int code, const MeterStatus& status, bool valid)
{
    std::vector<MeterLed> leds;
    const MeterLayout* layout = FindMeterLayout(code);
    if (!layout)
        return leds;
    if (layout->kind == MeterLayoutKind::Rows)
        AddRows(leds, status, valid);
    else if (layout->kind == MeterLayoutKind::Columns)
        AddColumns(leds, *layout, status, valid);
    return leds;
}

std::vector<int> LitLedsPerBar(const std::vector<MeterLed>& leds)
{
    std::vector<int> counts;
    for (const MeterLed& led : leds) {
        if (led.bar >= counts.size())
            counts.resize(led.bar + 1u, 0);
        counts[led.bar] += led.lit ? 1 : 0;
    }
    return counts;
}
