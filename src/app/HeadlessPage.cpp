#include "app/HeadlessPage.h"

#include "description/ParamText.h"

CTextControl::CTextControl(std::vector<ControlRecord> records, bool hidden)
    : records_(std::move(records)), hidden_(hidden)
{
}

void CTextControl::SetDeviceValue(std::uint8_t raw)
{
    shown_ = raw;
}

std::string CTextControl::Text(const std::vector<std::string>& presetChoices) const
{
    if (records_.empty() || !shown_) return "";
    return ParamText(records_.front(), *shown_, presetChoices);
}

// Bound controls in the order the page builder makes them: a slider or a
// button group per item, one field per record of a spin.
CTextPage::CTextPage(const PageNode& node, std::string path) : path_(std::move(path))
{
    for (const ControlItem& item : node.items) {
        switch (item.Style()) {
        case ControlStyle::Slider:
        case ControlStyle::ButtonGroup:
            controls_.push_back(std::make_unique<CTextControl>(item.records, item.hidden));
            break;
        case ControlStyle::Spin:
            for (const ControlRecord& record : item.records) {
                ControlRecord field = record;
                field.controlStyle = ControlStyle::Spin;
                controls_.push_back(std::make_unique<CTextControl>(std::vector<ControlRecord>{field}, item.hidden));
            }
            break;
        case ControlStyle::None: break;
        }
    }
}

std::vector<IBoundControl*> CTextPage::BoundControls()
{
    std::vector<IBoundControl*> bound;
    for (auto& control : controls_) bound.push_back(control.get());
    return bound;
}
