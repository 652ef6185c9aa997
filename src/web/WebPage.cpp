#include "web/WebPage.h"

#include "app/PageTreeModel.h"
#include "description/PageGeometry.h"
#include "description/ParameterModel.h"

using nlohmann::json;

namespace {

json Rect(const PixelRect& r)
{
    return {r.left, r.top, r.Width(), r.Height()};
}

json Address(const ControlRecord& r)
{
    return {r.a, r.b, r.c};
}

// Slider positions from top to bottom, each with the raw value it writes and
// the value text shown under the slider.
json SliderItem(const ControlItem& item)
{
    const ControlRecord& r = item.records.front();
    const SliderCell cell = SliderCellLayout(item);
    const SliderBounds range = SliderRange(r);
    json raws = json::array();
    json texts = json::array();
    for (int p = range.lo; p <= range.hi; ++p) {
        const std::uint8_t raw = RawFromSliderPosition(r, p);
        raws.push_back(raw);
        texts.push_back(SliderText(r, raw));
    }
    return {{"kind", "slider"}, {"caption", r.name}, {"track", Rect(cell.track)},
            {"captionRect", Rect(cell.caption)}, {"valueRect", Rect(cell.value)},
            {"lo", range.lo}, {"raws", raws}, {"texts", texts}, {"address", Address(r)}};
}

json GroupItem(const ControlItem& item)
{
    const ControlRecord& r = item.records.front();
    const GroupCell cell = GroupCellLayout(item);
    return {{"kind", "group"}, {"caption", r.name}, {"left", cell.left}, {"top", cell.top},
            {"width", cell.width}, {"labels", ButtonLabels(r)}, {"address", Address(r)}};
}

json SpinFieldJson(const ControlRecord& r, const SpinFieldCell& cell,
                   const std::vector<std::string>& presetChoices)
{
    const SpinField spec = SpinFieldSpec(r);
    json field = {{"address", Address(r)}, {"edit", Rect(cell.edit)}};
    if (cell.hasSeparator) {
        field["separator"] = SpinSeparatorText(r.name);
        field["separatorRect"] = Rect(cell.separator);
    }
    if (spec.kind == SpinField::Kind::List) {
        field["texts"] = spec.presetChoices ? presetChoices : spec.texts;
        return field;
    }
    // Number fields: every value the spin can take, with its text.
    json values = json::array();
    json texts = json::array();
    for (double v = spec.minimum; v <= spec.maximum && values.size() < 256; v += spec.step > 0 ? spec.step : 1) {
        values.push_back(RawFromSpinValue(v));
        texts.push_back(FormatSpinNumber(r.format, v));
    }
    field["raws"] = values;
    field["texts"] = texts;
    return field;
}

json SpinItem(const ControlItem& item, const std::vector<std::string>& presetChoices)
{
    const SpinCell cell = SpinCellLayout(item);
    const int n = static_cast<int>(item.records.size());
    // The browser's arrows take a fixed 16-pixel column at the right, as the skin's do.
    constexpr int kArrowColumn = 16;
    const PixelRect area{0, 0, std::max(cell.spin.Width() - kArrowColumn, 0), cell.spin.Height()};
    const std::vector<SpinFieldCell> cells = SpinFieldLayout(area, n);
    json fields = json::array();
    for (int i = 0; i < n; ++i)
        fields.push_back(SpinFieldJson(item.records[static_cast<std::size_t>(i)],
                                       cells[static_cast<std::size_t>(i)], presetChoices));
    return {{"kind", "spin"}, {"caption", SpinCaption(item.records.front().name)},
            {"rect", Rect(cell.spin)}, {"captionRect", Rect(cell.caption)},
            {"wraps", SpinWraps(item)}, {"fields", fields}};
}

}  // namespace

std::bitset<256> AllowedRaws(const ControlRecord& record, ControlStyle style, std::size_t presetCount)
{
    std::bitset<256> allowed;
    auto allowCount = [&](std::size_t count) {
        for (std::size_t i = 0; i < count && i < 256; ++i) allowed.set(i);
    };
    switch (style) {
    case ControlStyle::Slider: {
        const SliderBounds range = SliderRange(record);
        for (int p = range.lo; p <= range.hi; ++p) allowed.set(RawFromSliderPosition(record, p));
        break;
    }
    case ControlStyle::ButtonGroup: allowCount(ButtonLabels(record).size()); break;
    case ControlStyle::Spin: {
        const SpinField spec = SpinFieldSpec(record);
        if (spec.presetChoices) allowCount(presetCount);
        else if (spec.kind == SpinField::Kind::List) allowCount(spec.texts.size());
        else
            for (double v = spec.minimum; v <= spec.maximum; v += spec.step > 0 ? spec.step : 1)
                allowed.set(RawFromSpinValue(v));
        break;
    }
    case ControlStyle::None: break;
    }
    return allowed;
}

json PageTreeJson(const CPageTreeModel& tree)
{
    json pages = json::array();
    for (const PageTreeRecord& r : tree.Records())
        pages.push_back({{"name", r.node ? r.node->name : std::string()}, {"path", r.path},
                         {"parent", r.parent}, {"hasPage", r.hasPage}, {"hidden", r.hidden}});
    return pages;
}

json PageJson(const PageNode& node, const std::string& path, const std::vector<std::string>& presetChoices)
{
    json items = json::array();
    for (const ControlItem& item : node.items) {
        json made;
        switch (item.Style()) {
        case ControlStyle::Slider: made = SliderItem(item); break;
        case ControlStyle::ButtonGroup: made = GroupItem(item); break;
        case ControlStyle::Spin: made = SpinItem(item, presetChoices); break;
        case ControlStyle::None: continue;
        }
        made["hidden"] = item.hidden;
        items.push_back(std::move(made));
    }
    return {{"path", path}, {"caption", CaptionParts(path)}, {"items", items}};
}
