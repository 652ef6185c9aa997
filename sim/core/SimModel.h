#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A processor model as the simulator knows it: the page tree it describes to the
// application, the parameters behind it and its preset bank. The model files in
// sim/models/ build one of these each; the description bytes are encoded from it.
namespace vsim {

struct Address {
    std::uint8_t a = 0, b = 0, c = 0;
    auto operator<=>(const Address&) const = default;
};

struct Rule {
    Address driver;
    std::uint8_t low = 0;
    std::uint8_t high = 0;
};

enum class RecordKind : std::uint8_t { Numeric = 0, Choice = 1, PresetChoice = 2 };
enum class ItemStyle : std::uint8_t { Slider = 0, Buttons = 1, Spin = 2 };

struct Record {
    RecordKind kind = RecordKind::Numeric;
    Address address;
    std::string name;
    std::string unit;
    std::uint8_t maxValue = 0;
    std::int16_t minimum = 0;
    std::int8_t step = 1;
    std::uint8_t format = 0;  // bits 0-2 width, bit 3 zero padding, bits 4-7 decimals
    std::vector<std::string> choices;
    std::uint8_t defaultRaw = 0;
};

// Cell on the page in 10-pixel units.
struct Cell {
    std::uint8_t x = 0, y = 0, w = 0, h = 0;
};

struct Item {
    ItemStyle style = ItemStyle::Slider;
    std::vector<Record> records;
    std::optional<Rule> rule;
    bool drivesVisibility = false;
    Cell cell;

    // Shown only while the driver's value lies in [low, high].
    Item& When(Address driver, std::uint8_t low, std::uint8_t high)
    {
        rule = Rule{driver, low, high};
        return *this;
    }
    Item& Drives()
    {
        drivesVisibility = true;
        return *this;
    }
    Item& Default(std::uint8_t raw)
    {
        records.front().defaultRaw = raw;
        return *this;
    }
};

struct Page {
    std::string name;
    std::optional<Rule> rule;
    std::vector<Item> items;
    std::vector<Page> children;

    Page& When(Address driver, std::uint8_t low, std::uint8_t high)
    {
        rule = Rule{driver, low, high};
        return *this;
    }
};

enum class MeterLayout { None, Columns13, Leveler, LevelerLeft, Lite, Stereo, Rows };

struct Model {
    std::uint8_t code = 0;
    std::string name;
    std::uint8_t userPresets = 8;
    std::array<char, 3> version{'1', '0', '0'};
    std::vector<std::string> factoryPresets;
    std::vector<Page> pages;
    MeterLayout meters = MeterLayout::None;
    bool withMpx = false;  // the layout's MPX column and carrier are present

    std::size_t PresetCount() const { return userPresets + factoryPresets.size(); }
};

// Address groups with a meaning to the application: group 0 is locked while
// comparing (and is what a preset stores), group 5 is re-read every second.
constexpr std::uint8_t kPresetGroup = 0;
constexpr std::uint8_t kSystemGroup = 2;
constexpr std::uint8_t kLiveGroup = 5;

// Visits every item of the tree, depth first: a page's items, then its children.
template <typename F>
void ForEachItem(const std::vector<Page>& pages, F&& f)
{
    for (const Page& p : pages) {
        for (const Item& item : p.items)
            f(p, item);
        ForEachItem(p.children, f);
    }
}

}  // namespace vsim

namespace vsim {
// Parameters the processor itself acts on.
constexpr Address kMarkerTR{kSystemGroup, 2, 0};
constexpr Address kMarkerDP{kSystemGroup, 2, 1};
constexpr Address kMarkerDEF{kSystemGroup, 2, 2};
constexpr Address kClockHours{kLiveGroup, 0, 0};
constexpr Address kClockMinutes{kLiveGroup, 0, 1};
constexpr Address kClockSeconds{kLiveGroup, 0, 2};
constexpr Address kAgcGain{kLiveGroup, 1, 0};
constexpr Address kInputPeak{kLiveGroup, 1, 1};
constexpr Address kTemperature{kLiveGroup, 1, 2};
}  // namespace vsim
