#pragma once

#include "meters/MeterLeds.h"

#include <span>
#include <vector>

// What the meter panel shows: the model code, the last status packet and
// whether one has arrived since the last reset, with the LEDs they give.
// Nothing is valid until the first packet, so a fresh or reset panel shows
// every LED unlit.
class CMeterState {
public:
    CMeterState();

    // Chooses the layout. Returns whether the LEDs to draw changed.
    bool SetModel(int code);
    // Takes a status packet and marks the state valid. Returns whether the LEDs
    // to draw changed: an unchanged packet needs no repaint.
    bool Update(std::span<const std::uint8_t> packet);
    // Back to no packet: zero status, not valid, every LED unlit.
    bool Reset();

    int Model() const { return model_; }
    bool Valid() const { return valid_; }
    const MeterStatus& Status() const { return status_; }
    const std::vector<MeterLed>& Leds() const { return leds_; }

private:
    bool Recompute();

    int model_ = 0;
    bool valid_ = false;
    MeterStatus status_{};
    std::vector<MeterLed> leds_;
};
