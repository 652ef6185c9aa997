#pragma once

#include "common/ByteString.h"
#include "description/DescriptionTree.h"
#include "description/IConfigErrorSink.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// The worked example of the description format, byte for byte: a page "Main"
// with a level slider and an Off/On button group.
inline const ByteString kWorkedExample = {
    0x01,                                            // model code
    0x4F, 0x66, 0x66, 0x00, 0x4F, 0x6E, 0x00, 0x00,  // "Off", "On", end of table
    0x01, 0x02, 0x4D, 0x61, 0x69, 0x6E, 0x00,        // group, 2 children, "Main"
    0x02, 0x00, 0x00, 0x00, 0x01, 0x02,              // slider item, one numeric record at 0,1,2
    0x4C, 0x65, 0x76, 0x65, 0x6C, 0x00, 0x64, 0x42, 0x00,  // "Level", "dB"
    0x30, 0x00, 0xFF, 0x88, 0x05, 0x10,              // max 48, reserved, min -120, step 5, 1 decimal
    0x08, 0x14, 0x03, 0x02,                          // cell
    0x12, 0x00, 0x01, 0x00, 0x01, 0x03,              // button group item, one choice record at 0,1,3
    0x4D, 0x6F, 0x64, 0x65, 0x00, 0x00,              // "Mode", ""
    0x01, 0x00, 0x00, 0x00,                          // max 1, reserved, first string 0
    0x06, 0x05, 0x0C, 0x02,                          // cell
};

class CapturedConfigErrors : public IConfigErrorSink {
public:
    void ShowConfigError(const std::string& text, const std::string& caption) override {
        shown.emplace_back(text, caption);
    }
    std::vector<std::pair<std::string, std::string>> shown;  // text, caption
};

// Hand-assembles description bytes for cases the writer would never produce
// (rules passed on by the counter, bad indices, odd flags).
class RawDescription {
public:
    explicit RawDescription(const std::vector<std::string>& strings = {}, std::uint8_t model = 0x01) {
        data.push_back(model);
        for (const std::string& text : strings) Str(text);
        data.push_back(0);
    }
    RawDescription& Bytes(std::initializer_list<std::uint8_t> bytes) {
        data.insert(data.end(), bytes);
        return *this;
    }
    RawDescription& Str(const std::string& text) {
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
        return *this;
    }
    RawDescription& Group(const std::string& name, std::uint8_t count) {
        return Bytes({0x01, count}).Str(name);
    }
    RawDescription& RuledGroup(const std::string& name, std::uint8_t count, VisibilityRule rule) {
        return Bytes({0x05, rule.a, rule.b, rule.c, rule.low, rule.high, count}).Str(name);
    }
    // An item of `records` numeric records named name, name2, ... at address (0, 0, c).
    RawDescription& NumericItem(const std::string& name, std::uint8_t c, std::uint8_t flags = 0x02,
                                std::uint8_t layout = 0x00, int records = 1) {
        Bytes({flags});
        if (flags & 0x04) Bytes({9, 9, 9, 1, 2});
        Bytes({layout});
        for (int i = 0; i < records; ++i) {
            Bytes({0x00, 0x00, 0x00, c}).Str(i == 0 ? name : name + std::to_string(i + 1)).Str("");
            Bytes({10, 0, 0x00, 0x00, 1, 0});
        }
        return Bytes({8, 20, 1, 1});
    }
    // An item of one choice record reading maxValue + 1 strings from `first`.
    RawDescription& ChoiceItem(const std::string& name, std::uint8_t maxValue, std::int16_t first) {
        const auto bits = static_cast<std::uint16_t>(first);
        Bytes({0x12, 0x00, 0x01, 0x00, 0x00, 0x07}).Str(name).Str("");
        return Bytes({maxValue, 0, static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits), 6, 5, 0, 0});
    }

    ByteString data;
};

// Depth-first list of every item (a page's items, then its sub-pages).
inline void CollectItems(const PageNode& node, std::vector<const ControlItem*>& out) {
    for (const ControlItem& item : node.items) out.push_back(&item);
    for (const PageNode& child : node.children) CollectItems(child, out);
}
