#include "description/PageGeometry.h"

namespace {

constexpr int kTrackWidth = 40;
constexpr int kSliderTextHeight = 13;  // caption band
constexpr int kSliderHeadHeight = 40;  // caption and value above the track
constexpr int kGroupRaise = 6;         // a group's frame starts above its cell
constexpr int kSpinCaptionHeight = 13;
constexpr int kFieldInset = 2;

unsigned Sum(std::uint8_t a, std::uint8_t b)
{
    return static_cast<unsigned>(a) + b;
}

}  // namespace

int GridScale(unsigned units)
{
    return static_cast<int>(units % 256u) * 10;
}

SliderCell SliderCellLayout(const ControlItem& item)
{
    const int x = GridScale(item.x);
    const int y = GridScale(item.y);
    const int w = GridScale(item.width);
    const int right = GridScale(Sum(item.x, item.width));
    SliderCell cell;
    // Signed halving: a cell narrower than the track leaves it centred and
    // overhanging rather than thrown far to the right.
    cell.track = {x + (w - kTrackWidth) / 2, y + kSliderHeadHeight, x + (w + kTrackWidth) / 2,
                  GridScale(Sum(item.y, item.height))};
    cell.caption = {x, y, right, y + kSliderTextHeight};
    cell.value = {x, y + kSliderTextHeight, right, y + kSliderHeadHeight};
    return cell;
}

GroupCell GroupCellLayout(const ControlItem& item)
{
    return {GridScale(item.x), GridScale(item.y) - kGroupRaise, GridScale(item.width)};
}

SpinCell SpinCellLayout(const ControlItem& item)
{
    const int x = GridScale(item.x);
    const int y = GridScale(item.y);
    SpinCell cell;
    cell.spin = {x, y, x + GridScale(item.width), y + GridScale(item.height)};
    cell.caption = {x, y - kSpinCaptionHeight, GridScale(Sum(item.x, item.width)), y};
    return cell;
}

std::vector<SpinFieldCell> SpinFieldLayout(const PixelRect& area, int fieldCount)
{
    std::vector<SpinFieldCell> fields;
    if (fieldCount <= 0) return fields;
    const int fw = (area.Width() - 2 * kFieldInset) / fieldCount;
    const int top = area.top + kFieldInset;
    const int bottom = area.bottom - kFieldInset;
    for (int i = 0; i < fieldCount; ++i) {
        SpinFieldCell f;
        const int x = area.left + fw * i;
        f.edit = {x + kFieldInset, top, x + kFieldInset + fw - 1, bottom};
        f.hasSeparator = i > 0;
        if (f.hasSeparator) f.separator = {x, top, x + 2, bottom};
        f.fieldIndex = fieldCount - 1 - i;
        fields.push_back(f);
    }
    return fields;
}

std::vector<std::string> CaptionParts(const std::string& path)
{
    std::vector<std::string> parts;
    std::string rest = path;
    while (!rest.empty()) {
        const auto cut = rest.find('>');
        std::string part = rest.substr(0, cut);
        // The blank before ">" belongs to the separator, not to the part.
        if (cut != std::string::npos && !part.empty() && part.back() == ' ') part.pop_back();
        parts.push_back(part);
        rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    }
    return parts;
}
