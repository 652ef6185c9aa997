#pragma once

#include "meters/MeterLayout.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// How a status packet becomes the LEDs of the meter panel: which LED of which
// bar is lit and which of the seven skin images draws it. Pure functions; the
// panel widget only copies the images to the places computed here.

// The panel's copy of the status packet: its first 30 bytes (the 29-byte
// packet and one zero after it).
inline constexpr std::size_t kMeterStatusSize = 30;
using MeterStatus = std::array<std::uint8_t, kMeterStatusSize>;

// The status copy of `packet`; bytes past the packet's end read as zero, so a
// short packet never makes a bar read out of bounds.
MeterStatus MeterStatusFromPacket(std::span<const std::uint8_t> packet);

// The seven LED images of the skin, "led1" to "led7".
inline constexpr int kLedImageCount = 7;
std::string LedImageKey(int image);

// One LED to draw: its image's top-left corner in panel pixels, the image
// ("led<image>") and whether the bar's rule (or carrier) lights it.
struct MeterLed {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint8_t image = 1;
    std::uint8_t bar = 0; // index into the layout's bars, or the row number
    bool lit = false;

    bool operator==(const MeterLed&) const = default;
};

// Whether `rule` lights LED i of a bar with level and peak (0 to 15); `top` is
// the T of rise(T).
bool LedRuleLights(LedRule rule, int top, int i, int level, int peak);

// Every LED of model `code`'s layout, bar by bar in drawing order and top to
// bottom (left to right in rows). While `valid` is false every LED shows its
// off image. A code without a layout has no LEDs.
std::vector<MeterLed> ComputeMeterLeds(int code, const MeterStatus& status, bool valid);

// Number of lit LEDs of each bar (or row) of `leds`, in bar order.
std::vector<int> LitLedsPerBar(const std::vector<MeterLed>& leds);
