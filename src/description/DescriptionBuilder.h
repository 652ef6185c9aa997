#pragma once

#include "common/ByteString.h"
#include "description/DescriptionTree.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A small fluent way to make control descriptions in code (tests, simulator):
//
//   DescriptionBuilder b(0x01);
//   auto main = b.Page("Main");
//   main.Slider("Level", {0, 1, 2}).Unit("dB").Numeric(-120, 5, 48).Decimals(1).Cell(8, 20, 3, 2);
//   main.Buttons("Mode", {0, 1, 3}, {"Off", "On"}).Cell(6, 5, 12, 2).DrivesVisibility();
//   main.Page("Gate").Rule({0, 1, 3}, 1, 1).Spin("Hold", {0, 2, 0}).Numeric(0, 1, 99);
//   ByteString bytes = b.Build();
//
// Page and item handles stay valid while more is added (they hold index paths,
// not pointers). A new record is numeric 0 to 100 in steps of 1 with a 0 x 0
// cell at 0, 0; the record setters act on the record added last.
class DescriptionBuilder;

class ItemBuilder {
public:
    ItemBuilder& Unit(std::string unit);
    // Value kind 0. `minimum` and `step` are the raw fields: the first shown
    // number is minimum / step (truncated), multiplied by step for display.
    ItemBuilder& Numeric(int minimum, int step, std::uint8_t maxValue);
    ItemBuilder& Decimals(int decimals);                      // format bits 4 to 7
    ItemBuilder& FieldWidth(int width, bool zeroPad = false);  // format bits 0 to 3
    ItemBuilder& Format(std::uint8_t format);
    // Value kind 1: maxValue becomes choices.size() - 1.
    ItemBuilder& Choices(std::vector<std::string> choices);
    // Value kind 2 (a spin field listing "Off" and the presets).
    ItemBuilder& PresetChoice(std::uint8_t maxValue);
    // Any value kind 2 to 7, with no fields beyond the reserved byte.
    ItemBuilder& OtherKind(std::uint8_t kind, std::uint8_t maxValue);
    ItemBuilder& Reserved(std::uint8_t reserved);
    // Another record in the same item (spin fields); 7 at most.
    ItemBuilder& Field(std::string name, ParamAddress address);

    ItemBuilder& Cell(std::uint8_t width, std::uint8_t height, std::uint8_t x, std::uint8_t y);
    ItemBuilder& Rule(ParamAddress driver, std::uint8_t low, std::uint8_t high);
    ItemBuilder& DrivesVisibility(bool drives = true);

    ControlItem& Item();
    ControlRecord& LastRecord();

private:
    friend class PageBuilder;
    friend class DescriptionBuilder;
    ItemBuilder(DescriptionBuilder* owner, std::vector<std::size_t> page, std::size_t index)
        : owner_(owner), page_(std::move(page)), index_(index) {}

    DescriptionBuilder* owner_;
    std::vector<std::size_t> page_;
    std::size_t index_;
};

class PageBuilder {
public:
    PageBuilder Page(std::string name);
    PageBuilder& Rule(ParamAddress driver, std::uint8_t low, std::uint8_t high);

    ItemBuilder Slider(std::string name, ParamAddress address);
    // Without choices the buttons are numbered (value kind 0, two by default).
    ItemBuilder Buttons(std::string name, ParamAddress address, std::vector<std::string> choices = {});
    ItemBuilder Spin(std::string name, ParamAddress address);
    ItemBuilder Item(ControlStyle style, std::string name, ParamAddress address);

    PageNode& Node();

private:
    friend class DescriptionBuilder;
    PageBuilder(DescriptionBuilder* owner, std::vector<std::size_t> path)
        : owner_(owner), path_(std::move(path)) {}

    DescriptionBuilder* owner_;
    std::vector<std::size_t> path_;
};

class DescriptionBuilder {
public:
    explicit DescriptionBuilder(std::uint8_t modelCode = 0x01) : modelCode_(modelCode) {}

    PageBuilder Page(std::string name);
    // An item record standing at the top level: the parser makes it a page named
    // after the item (without a leading "*", in capitals).
    ItemBuilder ItemPage(ControlStyle style, std::string name, ParamAddress address);

    const PageNode& Tree() const { return root_; }
    std::uint8_t ModelCode() const { return modelCode_; }
    // Throws std::invalid_argument for what the format cannot carry.
    ByteString Build() const;

private:
    friend class PageBuilder;
    friend class ItemBuilder;
    PageNode& NodeAt(const std::vector<std::size_t>& path);

    std::uint8_t modelCode_;
    PageNode root_;
};

// A record with the builder's defaults.
ControlRecord MakeRecord(ControlStyle style, std::string name, ParamAddress address);
