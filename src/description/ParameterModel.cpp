#include "description/ParameterModel.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

int NumericLow(const ControlRecord& record) {
    return record.step == 0 ? 0 : record.minimum / record.step;
}

int Decimals(const ControlRecord& record) { return record.format >> 4; }

// A choice with an asterisk shows without it and without the unit.
std::string ChoiceText(const std::string& choice, const std::string& unit) {
    const std::size_t star = choice.find('*');
    if (star == std::string::npos) return choice + " " + unit;
    std::string text = choice;
    text.erase(star, 1);
    return text;
}

}  // namespace

SliderBounds SliderRange(const ControlRecord& record) {
    if (record.choices.empty()) {
        const int lo = NumericLow(record);
        return {lo, lo + record.maxValue};
    }
    const int count = static_cast<int>(record.choices.size());
    return {0, count == 1 ? 1 : count - 1};
}

int SliderPositionFromRaw(const ControlRecord& record, std::uint8_t raw) {
    return SliderRange(record).hi - raw;
}

std::uint8_t RawFromSliderPosition(const ControlRecord& record, int position) {
    return static_cast<std::uint8_t>(SliderRange(record).hi - position);
}

std::string FormatScaled(std::int32_t n, int decimals) {
    const std::int64_t wide = n;
    std::string digits = std::to_string(std::llabs(wide));
    if (decimals > 0) {
        const auto d = static_cast<std::size_t>(decimals);
        if (digits.size() <= d) digits.insert(0, d + 1 - digits.size(), '0');
        digits.insert(digits.size() - d, 1, '.');
    }
    return wide < 0 ? "-" + digits : digits;
}

std::string SliderText(const ControlRecord& record, std::uint8_t raw) {
    if (!record.choices.empty()) {
        const std::size_t index = std::min<std::size_t>(raw, record.choices.size() - 1);
        return ChoiceText(record.choices[index], record.unit);
    }
    const std::int32_t v = SliderRange(record).lo + raw;
    return FormatScaled(v * record.step, Decimals(record)) + " " + record.unit;
}

std::vector<std::string> ButtonLabels(const ControlRecord& record) {
    std::vector<std::string> labels;
    if (!record.choices.empty()) {
        for (const std::string& choice : record.choices) labels.push_back(ChoiceText(choice, record.unit));
        return labels;
    }
    const int lo = NumericLow(record);
    for (int i = lo; i <= lo + record.maxValue; ++i) labels.push_back(std::to_string(i));
    return labels;
}

SpinField SpinFieldSpec(const ControlRecord& record) {
    SpinField field;
    if (record.valueKind == ValueKind::PresetChoice) {
        field.presetChoices = true;
        return field;
    }
    if (!record.choices.empty()) {
        field.texts = record.choices;
        return field;
    }
    const int lo = NumericLow(record);
    field.kind = SpinField::Kind::Number;
    field.minimum = lo;
    field.maximum = lo + record.maxValue;
    field.step = record.step;
    field.format = SpinNumberFormat(record.format);
    return field;
}

std::string SpinNumberFormat(std::uint8_t format) {
    std::string text = "%";
    if (format & 0x08) text += '0';
    return text + std::to_string(format & 0x07) + ".0f";
}

std::string FormatSpinNumber(std::uint8_t format, double value) {
    // The format comes from SpinNumberFormat alone: one conversion, width under 8.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, SpinNumberFormat(format).c_str(), value);
    return buffer;
}

bool SpinWraps(const ControlItem& item) {
    return item.records.size() == 1 && item.records.front().valueKind != ValueKind::PresetChoice;
}

std::string SpinCaption(const std::string& name) {
    std::string caption;
    for (char ch : name) {
        if (ch == '_') continue;
        if (ch == ' ' && !caption.empty() && caption.back() == ' ') continue;
        caption += ch;
    }
    return caption;
}

std::string SpinSeparatorText(const std::string& name) {
    std::string text;
    for (char ch : name) {
        if (ch != ' ') text += ch;
    }
    return text;
}

std::uint8_t RawFromSpinValue(double value) {
    if (!std::isfinite(value)) return 0;
    const double truncated = std::trunc(std::fmod(value, 65536.0));
    return static_cast<std::uint8_t>(static_cast<std::int32_t>(truncated));
}

std::vector<std::string> PresetChoices(const std::vector<std::string>& presetNames) {
    std::vector<std::string> choices{"Off"};
    choices.insert(choices.end(), presetNames.begin(), presetNames.end());
    return choices;
}
