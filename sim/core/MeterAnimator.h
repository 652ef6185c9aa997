#pragma once

#include "SimModel.h"

#include <array>
#include <cstdint>

namespace vsim {

// Makes the meter bytes of the status packet (offsets 6 to 27) move like a
// processor working on programme material: levels that breathe, peaks that hold
// and fall back, gain reduction that follows the level, over and carrier bits.
// Everything is a pure function of the time, so a status packet is reproducible.
class MeterAnimator {
public:
    MeterAnimator(MeterLayout layout, bool withMpx, std::uint32_t seed);

    // Fills status bytes 6 to 27 of `status` (29 bytes) for time `t` in seconds.
    void Fill(std::uint8_t* status, double t, bool carrier) const;

    // Readings that the processor shows as live parameters.
    std::uint8_t AgcGain(double t) const;    // 0 to 30 dB
    std::uint8_t InputPeak(double t) const;  // 0 to 99 %

private:
    // Programme level of channel `ch` in [0, 1].
    double Programme(int ch, double t) const;
    // Gain reduction of band `band` in [0, 1]; louder programme reduces more.
    double Reduction(int band, double t) const;
    // Level in 0..top with the highest level of the last 1.5 s as the peak.
    std::uint8_t LevelByte(int ch, double t, int top, double gain = 1.0) const;
    std::uint8_t ReductionByte(int band, double t, int top) const;
    double Noise(std::uint32_t stream, double t) const;

    void FillColumns13(std::uint8_t* s, double t) const;
    void FillLeveler(std::uint8_t* s, double t, bool carrier) const;
    void FillLite(std::uint8_t* s, double t, bool carrier) const;
    void FillStereo(std::uint8_t* s, double t, bool carrier) const;
    void FillRows(std::uint8_t* s, double t) const;
    // Output pair at `at` and `at` + 1; with MPX its level (0..mpxTop) at `at` + 2
    // and the carrier flag at `carrierAt`.
    void FillOutputs(std::uint8_t* s, double t, int at, int mpxTop, int carrierAt, bool carrier) const;

    MeterLayout layout_;
    bool withMpx_;
    std::uint32_t seed_;
};

}  // namespace vsim
