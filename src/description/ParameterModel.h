#pragma once

#include "description/DescriptionTree.h"

#include <cstdint>
#include <string>
#include <vector>

// How a parameter's raw byte is shown and edited: pure functions of a record.
// lo is minimum / step truncated toward zero.

struct SliderBounds {
    int lo = 0;
    int hi = 0;
    bool operator==(const SliderBounds&) const = default;
};

// Numbers: lo to lo + maxValue. Choices: 0 to count - 1, but 0 to 1 for a
// single choice. A step of 0 (not expected in descriptions) counts as lo = 0.
SliderBounds SliderRange(const ControlRecord& record);

// The slider is vertical with its minimum at the top: the largest raw value sits
// at the top.
int SliderPositionFromRaw(const ControlRecord& record, std::uint8_t raw);
std::uint8_t RawFromSliderPosition(const ControlRecord& record, int position);

// n in decimal with the point before the last `decimals` digits; a value with no
// more digits than decimals gets leading zeros so that one digit stands before
// the point (5 -> 0.5, -25 -> -0.25, 7 -> 0.07).
std::string FormatScaled(std::int32_t n, int decimals);

// The value text under a slider for raw value `raw`.
std::string SliderText(const ControlRecord& record, std::uint8_t raw);

// One label per button; the group's title is the record's name.
std::vector<std::string> ButtonLabels(const ControlRecord& record);

// One field of a spin: a list of texts or a number printed with `format`.
struct SpinField {
    enum class Kind { List, Number };
    Kind kind = Kind::List;
    bool presetChoices = false;  // list filled later with PresetChoices
    std::vector<std::string> texts;
    double minimum = 0;
    double maximum = 0;
    double step = 0;
    std::string format = "%s";
};
SpinField SpinFieldSpec(const ControlRecord& record);

// "%" then "0" for zero padding (bit 3), the width (bits 0 to 2), ".0f".
std::string SpinNumberFormat(std::uint8_t format);
// A number field's text for `value`, as the spin shows it.
std::string FormatSpinNumber(std::uint8_t format, double value);
// A spin item of one record (not a preset choice) runs round at its ends.
bool SpinWraps(const ControlItem& item);
// Caption: underscores removed, runs of blanks made one blank.
std::string SpinCaption(const std::string& name);
// Text between two fields: the field's name without blanks.
std::string SpinSeparatorText(const std::string& name);
// A spin field's value as the raw byte to write: truncated toward zero, low byte.
std::uint8_t RawFromSpinValue(double value);

// "Off" and then the preset names in preset-list order.
std::vector<std::string> PresetChoices(const std::vector<std::string>& presetNames);
