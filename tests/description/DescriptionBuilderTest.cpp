#include "description/DescriptionBuilder.h"

#include <gtest/gtest.h>

namespace {

TEST(DescriptionBuilder, HandlesStayValidWhileMorePagesAndItemsAreAdded) {
    DescriptionBuilder b;
    auto first = b.Page("First");
    auto item = first.Slider("s", {0, 0, 1});
    for (int i = 0; i < 50; ++i) {
        b.Page("p" + std::to_string(i));
        first.Page("sub" + std::to_string(i)).Slider("x", {0, 0, 2});
        first.Slider("t", {0, 0, 3});
    }
    item.Unit("ms").Cell(4, 20, 1, 2);
    EXPECT_EQ(b.Tree().children.at(0).items.at(0).records.at(0).unit, "ms");
    EXPECT_EQ(b.Tree().children.at(0).items.at(0).width, 4);
    EXPECT_EQ(b.Tree().children.at(0).children.size(), 50u);
}

TEST(DescriptionBuilder, FieldsAddRecordsAndSettersActOnTheLastRecord) {
    DescriptionBuilder b;
    auto spin = b.Page("P").Spin("Time", {5, 0, 1}).Numeric(0, 1, 23).FieldWidth(2, true);
    spin.Field("Minutes", {5, 0, 2}).Numeric(0, 1, 59).FieldWidth(2, true).DrivesVisibility();
    spin.Field("Preset", {5, 0, 3}).PresetChoice(16);
    const ControlItem& item = spin.Item();
    ASSERT_EQ(item.records.size(), 3u);
    EXPECT_EQ(item.Style(), ControlStyle::Spin);
    EXPECT_EQ(item.records[0].maxValue, 23);
    EXPECT_EQ(item.records[1].maxValue, 59);
    EXPECT_EQ(item.records[1].format, 0x0A);
    EXPECT_EQ(item.records[2].valueKind, ValueKind::PresetChoice);
    EXPECT_EQ(item.records[2].step, 0);
    EXPECT_EQ(item.records[1].controlStyle, ControlStyle::None);
    for (const ControlRecord& record : item.records) EXPECT_TRUE(record.drivesVisibility);
}

TEST(DescriptionBuilder, DecimalsAndWidthShareTheFormatByte) {
    DescriptionBuilder b;
    auto item = b.Page("P").Slider("s", {0, 0, 1}).Decimals(2).FieldWidth(3, true);
    EXPECT_EQ(item.LastRecord().format, 0x2B);
    item.Numeric(-10, 2, 20);
    EXPECT_EQ(item.LastRecord().format, 0x2B);
    EXPECT_EQ(item.LastRecord().minimum, -10);
}

TEST(DescriptionBuilder, ButtonsWithoutChoicesAreNumbered) {
    DescriptionBuilder b;
    const ControlRecord& record = b.Page("P").Buttons("B", {0, 0, 1}).LastRecord();
    EXPECT_EQ(record.valueKind, ValueKind::Numeric);
    EXPECT_EQ(record.maxValue, 1);
    EXPECT_EQ(record.step, 1);
}

}  // namespace
