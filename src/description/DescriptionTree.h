#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The control description as a tree: pages (PageNode) holding control items
// (ControlItem), each holding 1 to 7 parameter records (ControlRecord).
// Plain records; the parser fills them, the parameter model reads and updates them.

// Three-byte address of a processor parameter, in wire order.
struct ParamAddress {
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    std::uint8_t c = 0;
    bool operator==(const ParamAddress&) const = default;
};

// How an item is shown; the numbers are the style nibble of the item flags.
// None stands for nibbles 3 to 15, for which no control is built.
enum class ControlStyle : int { None = -1, Slider = 0, ButtonGroup = 1, Spin = 2 };

// Value kind of a record (bits 0 to 2 of its first byte). Kinds 3 to 7 carry no
// extra bytes and have no name.
enum class ValueKind : std::uint8_t { Numeric = 0, Choices = 1, PresetChoice = 2 };

// Hides its owner unless the driver parameter's value lies in [low, high].
struct VisibilityRule {
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    std::uint8_t c = 0;
    std::uint8_t low = 0;
    std::uint8_t high = 0;

    ParamAddress Driver() const { return {a, b, c}; }
    bool operator==(const VisibilityRule&) const = default;
};

struct ControlRecord {
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    std::uint8_t c = 0;
    bool drivesVisibility = false;
    std::string name;
    std::string unit;
    std::uint8_t maxValue = 0;
    std::uint8_t reserved = 0;
    // Meaningful in the first record of an item only.
    ControlStyle controlStyle = ControlStyle::None;
    std::vector<std::string> choices;  // value kind 1 only
    std::int32_t minimum = 0;          // value kind 0 only
    std::int32_t step = 0;             // value kind 0 only
    std::uint8_t format = 0;           // value kind 0 only
    ValueKind valueKind = ValueKind::Numeric;
    std::uint8_t value = 0;  // current raw value, 0 until the processor reports it

    ParamAddress Address() const { return {a, b, c}; }
    bool operator==(const ControlRecord&) const = default;
};

struct ControlItem {
    std::vector<ControlRecord> records;  // 1 to 7
    bool hidden = false;
    bool hasRule = false;
    VisibilityRule rule;
    // Cell on the page, in units of 10 pixels.
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t x = 0;
    std::uint8_t y = 0;

    // The style of the item, kept in its first record.
    ControlStyle Style() const {
        return records.empty() ? ControlStyle::None : records.front().controlStyle;
    }
    bool operator==(const ControlItem&) const = default;
};

struct PageNode {
    std::string name;
    bool hidden = false;
    bool hasRule = false;
    VisibilityRule rule;
    std::vector<ControlItem> items;
    std::vector<PageNode> children;

    bool operator==(const PageNode&) const = default;
};

// Name of the page that an item record standing at the top level becomes: its
// first record's name without a leading "*", letters a to z in capitals.
std::string PageNameFromItemName(const std::string& recordName);
