#include "description/DescriptionBuilder.h"

#include "description/DescriptionWriter.h"

#include <stdexcept>

namespace {

constexpr std::uint8_t kDefaultMaxValue = 100;

void SetKind(ControlRecord& record, ValueKind kind, std::uint8_t maxValue) {
    record.valueKind = kind;
    record.maxValue = maxValue;
    record.minimum = 0;
    record.step = 0;
    record.format = 0;
    record.choices.clear();
}

}  // namespace

ControlRecord MakeRecord(ControlStyle style, std::string name, ParamAddress address) {
    ControlRecord record;
    record.a = address.a;
    record.b = address.b;
    record.c = address.c;
    record.name = std::move(name);
    record.controlStyle = style;
    record.valueKind = ValueKind::Numeric;
    record.step = 1;
    record.maxValue = kDefaultMaxValue;
    return record;
}

// ---- ItemBuilder

ControlItem& ItemBuilder::Item() { return owner_->NodeAt(page_).items.at(index_); }

ControlRecord& ItemBuilder::LastRecord() { return Item().records.back(); }

ItemBuilder& ItemBuilder::Unit(std::string unit) {
    LastRecord().unit = std::move(unit);
    return *this;
}

ItemBuilder& ItemBuilder::Numeric(int minimum, int step, std::uint8_t maxValue) {
    ControlRecord& record = LastRecord();
    const std::uint8_t format = record.valueKind == ValueKind::Numeric ? record.format : 0;
    SetKind(record, ValueKind::Numeric, maxValue);
    record.minimum = minimum;
    record.step = step;
    record.format = format;
    return *this;
}

ItemBuilder& ItemBuilder::Decimals(int decimals) {
    ControlRecord& record = LastRecord();
    record.format = static_cast<std::uint8_t>((record.format & 0x0F) | ((decimals & 0x0F) << 4));
    return *this;
}

ItemBuilder& ItemBuilder::FieldWidth(int width, bool zeroPad) {
    ControlRecord& record = LastRecord();
    record.format = static_cast<std::uint8_t>((record.format & 0xF0) | (width & 0x07) | (zeroPad ? 0x08 : 0));
    return *this;
}

ItemBuilder& ItemBuilder::Format(std::uint8_t format) {
    LastRecord().format = format;
    return *this;
}

ItemBuilder& ItemBuilder::Choices(std::vector<std::string> choices) {
    if (choices.empty() || choices.size() > 256) throw std::invalid_argument("1 to 256 choices");
    ControlRecord& record = LastRecord();
    SetKind(record, ValueKind::Choices, static_cast<std::uint8_t>(choices.size() - 1));
    record.choices = std::move(choices);
    return *this;
}

ItemBuilder& ItemBuilder::PresetChoice(std::uint8_t maxValue) {
    SetKind(LastRecord(), ValueKind::PresetChoice, maxValue);
    return *this;
}

ItemBuilder& ItemBuilder::OtherKind(std::uint8_t kind, std::uint8_t maxValue) {
    if (kind < 2 || kind > 7) throw std::invalid_argument("OtherKind takes value kinds 2 to 7");
    SetKind(LastRecord(), static_cast<ValueKind>(kind), maxValue);
    return *this;
}

ItemBuilder& ItemBuilder::Reserved(std::uint8_t reserved) {
    LastRecord().reserved = reserved;
    return *this;
}

ItemBuilder& ItemBuilder::Field(std::string name, ParamAddress address) {
    ControlItem& item = Item();
    ControlRecord record = MakeRecord(ControlStyle::None, std::move(name), address);
    record.drivesVisibility = item.records.front().drivesVisibility;
    item.records.push_back(std::move(record));
    return *this;
}

ItemBuilder& ItemBuilder::Cell(std::uint8_t width, std::uint8_t height, std::uint8_t x, std::uint8_t y) {
    ControlItem& item = Item();
    item.width = width;
    item.height = height;
    item.x = x;
    item.y = y;
    return *this;
}

ItemBuilder& ItemBuilder::Rule(ParamAddress driver, std::uint8_t low, std::uint8_t high) {
    ControlItem& item = Item();
    item.hasRule = true;
    item.rule = {driver.a, driver.b, driver.c, low, high};
    return *this;
}

ItemBuilder& ItemBuilder::DrivesVisibility(bool drives) {
    for (ControlRecord& record : Item().records) record.drivesVisibility = drives;
    return *this;
}

// ---- PageBuilder

PageNode& PageBuilder::Node() { return owner_->NodeAt(path_); }

PageBuilder PageBuilder::Page(std::string name) {
    PageNode& node = Node();
    node.children.push_back(PageNode{});
    node.children.back().name = std::move(name);
    std::vector<std::size_t> path = path_;
    path.push_back(node.children.size() - 1);
    return PageBuilder(owner_, std::move(path));
}

PageBuilder& PageBuilder::Rule(ParamAddress driver, std::uint8_t low, std::uint8_t high) {
    PageNode& node = Node();
    node.hasRule = true;
    node.rule = {driver.a, driver.b, driver.c, low, high};
    return *this;
}

ItemBuilder PageBuilder::Item(ControlStyle style, std::string name, ParamAddress address) {
    PageNode& node = Node();
    ControlItem item;
    item.records.push_back(MakeRecord(style, std::move(name), address));
    node.items.push_back(std::move(item));
    return ItemBuilder(owner_, path_, node.items.size() - 1);
}

ItemBuilder PageBuilder::Slider(std::string name, ParamAddress address) {
    return Item(ControlStyle::Slider, std::move(name), address);
}

ItemBuilder PageBuilder::Buttons(std::string name, ParamAddress address, std::vector<std::string> choices) {
    ItemBuilder item = Item(ControlStyle::ButtonGroup, std::move(name), address);
    if (choices.empty()) {
        item.Numeric(0, 1, 1);
    } else {
        item.Choices(std::move(choices));
    }
    return item;
}

ItemBuilder PageBuilder::Spin(std::string name, ParamAddress address) {
    return Item(ControlStyle::Spin, std::move(name), address);
}

// ---- DescriptionBuilder

PageNode& DescriptionBuilder::NodeAt(const std::vector<std::size_t>& path) {
    PageNode* node = &root_;
    for (std::size_t index : path) node = &node->children.at(index);
    return *node;
}

PageBuilder DescriptionBuilder::Page(std::string name) {
    return PageBuilder(this, {}).Page(std::move(name));
}

ItemBuilder DescriptionBuilder::ItemPage(ControlStyle style, std::string name, ParamAddress address) {
    PageBuilder page = Page(PageNameFromItemName(name));
    return page.Item(style, std::move(name), address);
}

ByteString DescriptionBuilder::Build() const { return DescriptionWriter::Write(root_, modelCode_); }
