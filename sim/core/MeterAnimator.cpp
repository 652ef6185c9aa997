#include "MeterAnimator.h"

#include <algorithm>
#include <cmath>

namespace vsim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kPeakSamples = 15;        // peak hold looks back 1.5 s
constexpr double kPeakSpacing = 0.1;

std::uint32_t Hash(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

std::uint8_t Pack(int level, int peak)
{
    return static_cast<std::uint8_t>(((peak & 15) << 4) | (level & 15));
}

// The reading `at` gives for time `t`, with the highest of the last 1.5 s as its
// peak. The hold window is sampled on a fixed grid so that the peak only changes
// when a louder moment enters or the loudest one leaves the window.
template <typename Reading>
std::uint8_t WithPeak(double t, Reading at)
{
    const int level = at(t);
    int peak = level;
    const double grid = std::floor(t / kPeakSpacing) * kPeakSpacing;
    for (int k = 1; k <= kPeakSamples; ++k)
        peak = std::max(peak, at(grid - k * kPeakSpacing));
    return Pack(std::min(level, 15), std::min(peak, 15));
}

}  // namespace

MeterAnimator::MeterAnimator(MeterLayout layout, bool withMpx, std::uint32_t seed)
    : layout_(layout), withMpx_(withMpx), seed_(seed)
{
}

double MeterAnimator::Noise(std::uint32_t stream, double t) const
{
    // Value noise at 8 points a second, smoothly interpolated.
    const double x = t * 8.0;
    const double cell = std::floor(x);
    const auto i = static_cast<std::uint32_t>(static_cast<std::int64_t>(cell));
    const double f = x - cell;
    const double a = Hash(seed_ ^ Hash(stream * 7919u + i)) / 4294967295.0;
    const double b = Hash(seed_ ^ Hash(stream * 7919u + i + 1)) / 4294967295.0;
    const double s = f * f * (3 - 2 * f);
    return a + (b - a) * s;
}

double MeterAnimator::Programme(int ch, double t) const
{
    const double phase = (seed_ % 97) * 0.1 + ch * 0.7;
    const double slow = 0.16 * std::sin(2 * kPi * 0.11 * t + phase);
    const double beat = 0.10 * std::sin(2 * kPi * 1.9 * t + phase * 2);
    const double v = 0.62 + slow + beat + 0.28 * (Noise(static_cast<std::uint32_t>(ch), t) - 0.5);
    return std::clamp(v, 0.0, 1.0);
}

double MeterAnimator::Reduction(int band, double t) const
{
    const double p = Programme(band % 2, t - 0.05 * band);
    const double v = (p - 0.45) * 1.8 + 0.25 * (Noise(static_cast<std::uint32_t>(100 + band), t) - 0.5);
    return std::clamp(v, 0.0, 1.0);
}

std::uint8_t MeterAnimator::LevelByte(int ch, double t, int top, double gain) const
{
    return WithPeak(t, [&](double when) {
        return static_cast<int>(std::lround(std::clamp(Programme(ch, when) * gain, 0.0, 1.0) * top));
    });
}

std::uint8_t MeterAnimator::ReductionByte(int band, double t, int top) const
{
    return WithPeak(t, [&](double when) { return static_cast<int>(std::lround(Reduction(band, when) * top)); });
}

void MeterAnimator::Fill(std::uint8_t* status, double t, bool carrier) const
{
    std::fill(status + 6, status + 28, std::uint8_t{0});
    switch (layout_) {
    case MeterLayout::Columns13: FillColumns13(status, t); break;
    case MeterLayout::Leveler:
    case MeterLayout::LevelerLeft: FillLeveler(status, t, carrier); break;
    case MeterLayout::Lite: FillLite(status, t, carrier); break;
    case MeterLayout::Stereo: FillStereo(status, t, carrier); break;
    case MeterLayout::Rows: FillRows(status, t); break;
    case MeterLayout::None: break;
    }
}

void MeterAnimator::FillColumns13(std::uint8_t* s, double t) const
{
    s[6] = LevelByte(0, t, 13);
    s[7] = LevelByte(1, t, 13);
    s[8] = ReductionByte(0, t, 12);
    s[9] = (s[8] & 15) >= 11 ? 1 : 0;
    for (int b = 0; b < 4; ++b) {
        s[11 + b] = ReductionByte(1 + b, t, 12);
        s[16 + b] = ReductionByte(5 + b, t, 8);
        if ((s[11 + b] & 15) >= 11)
            s[10] = static_cast<std::uint8_t>(s[10] | (1 << b));
        if ((s[16 + b] & 15) >= 7)
            s[15] = static_cast<std::uint8_t>(s[15] | (1 << b));
    }
    s[20] = LevelByte(0, t, 13, 1.25);
    s[21] = LevelByte(1, t, 13, 1.25);
    if (withMpx_)
        s[22] = LevelByte(2, t, 13, 1.2);
}

void MeterAnimator::FillLeveler(std::uint8_t* s, double t, bool carrier) const
{
    s[7] = LevelByte(0, t, 15, 1.1);
    s[8] = LevelByte(1, t, 15, 1.1);
    s[6] = static_cast<std::uint8_t>(((s[7] & 15) >= 15 ? 0x01 : 0) | ((s[8] & 15) >= 15 ? 0x02 : 0));
    // Leveler columns show gain from LED 2 down; bit 7 marks the leveler at its
    // limit, bit 6 its gate holding the gain while the programme is quiet.
    for (int k = 0; k < 8; ++k) {
        const int level = 2 + static_cast<int>(std::lround(Reduction(k, t) * 13));
        const bool over = level >= 15;
        const bool gate = Programme(k % 2, t) < 0.35;
        s[9 + k] = static_cast<std::uint8_t>(std::min(level, 15) | (over ? 0x80 : 0) | (gate ? 0x40 : 0));
    }
    for (int j = 0; j < 6; ++j) {
        s[18 + j] = ReductionByte(8 + j, t, 12);
        if ((s[18 + j] & 15) >= 11)
            s[17] = static_cast<std::uint8_t>(s[17] | (1 << j));
    }
    FillOutputs(s, t, 24, 11, 27, carrier);
}

void MeterAnimator::FillLite(std::uint8_t* s, double t, bool carrier) const
{
    s[6] = LevelByte(0, t, 15);
    s[7] = LevelByte(1, t, 15);
    for (int b = 0; b < 4; ++b) {
        s[8 + b] = ReductionByte(b, t, 15);
        if ((s[8 + b] & 15) >= 14)
            s[19] = static_cast<std::uint8_t>(s[19] | (1 << b));
        s[12 + b] = ReductionByte(4 + b, t, 10);
    }
    FillOutputs(s, t, 16, 10, 20, carrier);
}

void MeterAnimator::FillOutputs(std::uint8_t* s, double t, int at, int mpxTop, int carrierAt, bool carrier) const
{
    s[at] = LevelByte(0, t, 15, 1.3);
    s[at + 1] = LevelByte(1, t, 15, 1.3);
    if (withMpx_) {
        s[at + 2] = LevelByte(2, t, mpxTop, 1.2);
        s[carrierAt] = carrier ? 1 : 0;
    }
}

void MeterAnimator::FillStereo(std::uint8_t* s, double t, bool carrier) const
{
    s[6] = LevelByte(0, t, 15);
    s[7] = LevelByte(1, t, 15);
    s[8] = LevelByte(0, t, 15, 1.3);
    s[9] = LevelByte(1, t, 15, 1.3);
    s[10] = LevelByte(2, t, 10, 1.2);
    s[11] = carrier ? 1 : 0;
}

void MeterAnimator::FillRows(std::uint8_t* s, double t) const
{
    for (int r = 0; r < 8; ++r) {
        const int level = static_cast<int>(std::lround(Programme(r, t) * 32));
        int peak = level;
        const double grid = std::floor(t / kPeakSpacing) * kPeakSpacing;
        for (int k = 1; k <= kPeakSamples; ++k)
            peak = std::max(peak, static_cast<int>(std::lround(Programme(r, grid - k * kPeakSpacing) * 32)));
        const int colour = level > 28 ? 1 : (r >= 6 ? 3 : 2);
        s[6 + 2 * r] = static_cast<std::uint8_t>((colour << 6) | std::min(level, 63));
        s[7 + 2 * r] = static_cast<std::uint8_t>(std::min(peak, 63));
    }
}

std::uint8_t MeterAnimator::AgcGain(double t) const
{
    return static_cast<std::uint8_t>(std::lround(Reduction(0, t) * 30));
}

std::uint8_t MeterAnimator::InputPeak(double t) const
{
    return static_cast<std::uint8_t>(std::lround(Programme(0, t) * 99));
}

}  // namespace vsim
