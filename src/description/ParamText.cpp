#include "description/ParamText.h"

#include "description/ParameterModel.h"

namespace {

std::string Pick(const std::vector<std::string>& texts, std::uint8_t raw)
{
    return raw < texts.size() ? texts[raw] : std::to_string(raw);
}

}  // namespace

std::string ParamText(const ControlRecord& record, std::uint8_t raw, const std::vector<std::string>& presetChoices)
{
    switch (record.controlStyle) {
    case ControlStyle::Slider: return SliderText(record, raw);
    case ControlStyle::ButtonGroup: return Pick(ButtonLabels(record), raw);
    case ControlStyle::Spin: {
        const SpinField field = SpinFieldSpec(record);
        if (field.presetChoices) return Pick(presetChoices, raw);
        if (field.kind == SpinField::Kind::List) return Pick(field.texts, raw);
        return FormatSpinNumber(record.format, raw);
    }
    case ControlStyle::None: break;
    }
    return std::to_string(raw);
}
