#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Where every bar of every processor model's meter panel sits, which status
// byte feeds it and how its LEDs light. Plain data: the meter panel draws from
// it and the skin generator draws the panel backgrounds from the same tables,
// so labels and bars cannot drift apart.

// When LED i of a bar with level L and peak P is on.
enum class LedRule : std::uint8_t {
    Rise,  // i >= top - L, or i == top - P
    Rise2, // i >= 2 and i >= 16 - L; no peak
    Fall,  // i >= 1 and (i <= L or i == P)
    Fall0, // i <= L - 1, or i == P - 1
};

// Which LEDs a column draws and where (see LedOffset).
enum class LedGeometry : std::uint8_t { G16, G16L, G16A, G15, G13L, G15B, G11B, G13 };

enum class IndicatorKind : std::uint8_t {
    None,
    OverIfLit,      // LED 0 uses the over image when its rule lights it
    OverBit,        // LED 0 uses the over image when status[byte] & value
    OverEqual,      // LED 0 uses the over image when status[byte] == value
    AuxBit,         // LED 1 uses the auxiliary image when status[byte] & value
    Carrier,        // LED 10 on exactly when status[byte] != 0
    OffOnlyCarrier, // LED 10 forced off when status[byte] == 0
};

struct MeterIndicator {
    IndicatorKind kind = IndicatorKind::None;
    std::uint8_t byte = 0;
    std::uint8_t value = 0;
};

struct MeterBar {
    std::string_view label;
    int x = 0;
    int y = 0;
    std::uint8_t statusByte = 0;
    LedRule rule = LedRule::Rise;
    std::uint8_t riseTop = 0; // T of rise(T)
    LedGeometry geometry = LedGeometry::G16;
    MeterIndicator first;
    MeterIndicator second;
};

enum class MeterLayoutKind : std::uint8_t { Columns, Rows, None };

struct MeterLayout {
    int code = 0;
    std::string_view model; // empty for codes without a model
    MeterLayoutKind kind = MeterLayoutKind::None;
    int imageSet = 0;       // 1 or 2 for columns
    std::vector<MeterBar> bars;
};

// The layout of a model code, or nullptr for a code without one.
const MeterLayout* FindMeterLayout(int code);

// Every model code that has a layout, in ascending order.
const std::vector<MeterLayout>& AllMeterLayouts();

// Number of LED positions of a geometry (LED indices 0 .. count - 1).
int LedCount(LedGeometry geometry);

// y offset of LED i from the bar origin, or nothing when the geometry does not
// draw that LED.
std::optional<int> LedOffset(LedGeometry geometry, int i);

// Row layout: eight rows of 32 LEDs, row r at y 19 + 12 r, LED i at x 12 i.
inline constexpr int kMeterRowCount = 8;
inline constexpr int kMeterRowLeds = 32;
inline constexpr int kMeterRowTop = 19;
inline constexpr int kMeterRowPitch = 12;
inline constexpr int kMeterLedPitchInRow = 12;

// Size of the meter panel and of every background drawn for it.
inline constexpr int kMeterPanelWidth = 489;
// The panel's own art, shown while no processor model is known.
inline constexpr const char* kNoModelBackgroundKey = "background";
inline constexpr int kMeterPanelHeight = 136;
