#include "description/DescriptionParser.h"

#include "DescriptionTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <filesystem>
#include <fstream>

namespace {

PageNode Parse(const ByteString& data, IConfigErrorSink* sink = nullptr) {
    DescriptionParser parser(sink);
    parser.LoadFromMemory(data);
    return *parser.Root();
}

TEST(DescriptionParser, WorkedExampleGivesMainPageWithSliderAndButtonGroup) {
    DescriptionParser parser;
    parser.LoadFromMemory(kWorkedExample);
    ASSERT_NE(parser.Root(), nullptr);
    EXPECT_EQ(parser.ModelCode(), 0x01);
    EXPECT_FALSE(parser.StoppedEarly());
    const PageNode& root = *parser.Root();
    EXPECT_EQ(root.name, "");
    EXPECT_FALSE(root.hasRule);
    EXPECT_TRUE(root.items.empty());
    ASSERT_EQ(root.children.size(), 1u);

    const PageNode& main = root.children[0];
    EXPECT_EQ(main.name, "Main");
    EXPECT_FALSE(main.hasRule);
    EXPECT_FALSE(main.hidden);
    EXPECT_TRUE(main.children.empty());
    ASSERT_EQ(main.items.size(), 2u);

    const ControlItem& slider = main.items[0];
    EXPECT_FALSE(slider.hasRule);
    EXPECT_EQ(std::vector<int>({slider.width, slider.height, slider.x, slider.y}), std::vector<int>({8, 20, 3, 2}));
    ASSERT_EQ(slider.records.size(), 1u);
    const ControlRecord& level = slider.records[0];
    EXPECT_EQ(level.Address(), (ParamAddress{0, 1, 2}));
    EXPECT_EQ(level.name, "Level");
    EXPECT_EQ(level.unit, "dB");
    EXPECT_EQ(level.maxValue, 48);
    EXPECT_EQ(level.minimum, -120);
    EXPECT_EQ(level.step, 5);
    EXPECT_EQ(level.format, 0x10);
    EXPECT_EQ(level.valueKind, ValueKind::Numeric);
    EXPECT_EQ(level.controlStyle, ControlStyle::Slider);
    EXPECT_FALSE(level.drivesVisibility);
    EXPECT_TRUE(level.choices.empty());
    EXPECT_EQ(level.value, 0);

    const ControlItem& buttons = main.items[1];
    EXPECT_EQ(std::vector<int>({buttons.width, buttons.height, buttons.x, buttons.y}), std::vector<int>({6, 5, 12, 2}));
    ASSERT_EQ(buttons.records.size(), 1u);
    const ControlRecord& mode = buttons.records[0];
    EXPECT_EQ(mode.Address(), (ParamAddress{0, 1, 3}));
    EXPECT_EQ(mode.name, "Mode");
    EXPECT_EQ(mode.unit, "");
    EXPECT_EQ(mode.valueKind, ValueKind::Choices);
    EXPECT_EQ(mode.controlStyle, ControlStyle::ButtonGroup);
    EXPECT_EQ(mode.choices, (std::vector<std::string>{"Off", "On"}));
    EXPECT_EQ(mode.minimum, 0);
    EXPECT_EQ(mode.step, 0);
}

TEST(DescriptionParser, LoadReadsTheFileWithItsTransferPaddingAndFailsOnlyWhenItCannotOpen) {
    const auto dir = std::filesystem::temp_directory_path() / ("vexlor-desc-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / "pccontrol.bin";
    {
        ByteString padded = kWorkedExample;
        padded.resize(128, 0);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(padded.data()), 128);
    }
    DescriptionParser parser;
    ASSERT_TRUE(parser.Load(path));
    ASSERT_NE(parser.Root(), nullptr);
    EXPECT_EQ(*parser.Root(), Parse(kWorkedExample));

    EXPECT_FALSE(parser.Load(dir / "missing.bin"));
    EXPECT_EQ(parser.Root(), nullptr);

    // A file that opens always gives a tree, however little is in it.
    std::ofstream(path, std::ios::binary | std::ios::trunc).close();
    EXPECT_TRUE(parser.Load(path));
    ASSERT_NE(parser.Root(), nullptr);
    EXPECT_TRUE(parser.Root()->children.empty());
    std::filesystem::remove_all(dir);
}

TEST(DescriptionParser, ModelByteAndEmptyTableGiveARootWithoutPages) {
    EXPECT_TRUE(Parse({0x07, 0x00}).children.empty());
    EXPECT_TRUE(Parse({0x07, 0x00, 0x00, 0x00}).children.empty());
}

TEST(DescriptionParser, ChoiceRecordTakesMaxValuePlusOneStringsFromItsFirstIndex) {
    const PageNode root = Parse(RawDescription({"a", "b", "c", "d", "e", "f"}).Group("P", 1).ChoiceItem("C", 3, 1).data);
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].items[0].records[0].choices, (std::vector<std::string>{"b", "c", "d", "e"}));
}

TEST(DescriptionParser, IndexPastTheTableStoresReplacementsAndReportsOnceInTheParsersLife) {
    const std::vector<std::string> ten{"s0", "s1", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9"};
    RawDescription raw(ten);
    raw.Group("P", 2).ChoiceItem("C", 3, 8);
    const std::size_t afterIndex = raw.data.size() - 4;  // the cell follows the index
    raw.ChoiceItem("Neg", 1, -1);

    CapturedConfigErrors errors;
    DescriptionParser parser(&errors);
    parser.LoadFromMemory(raw.data);
    const PageNode& page = parser.Root()->children.at(0);
    EXPECT_EQ(page.items[0].records[0].choices,
              (std::vector<std::string>{"s8", "s9", "Incorect Index", "Incorect Index"}));
    EXPECT_EQ(page.items[1].records[0].choices, (std::vector<std::string>{"Incorect Index", "s0"}));

    char hex[16];
    std::snprintf(hex, sizeof hex, "%zx", afterIndex);
    ASSERT_EQ(errors.shown.size(), 1u);
    EXPECT_EQ(errors.shown[0].second, "Config Error");
    EXPECT_EQ(errors.shown[0].first,
              std::string("Index Error.\n Asked index : 10. Max possible index : 9\nAddress in config file : ") + hex);

    parser.LoadFromMemory(raw.data);
    EXPECT_EQ(errors.shown.size(), 1u);
    EXPECT_EQ(parser.Root()->children.at(0).items[0].records[0].choices[3], "Incorect Index");
}

TEST(DescriptionParser, TopLevelItemBecomesAPageNamedInCapitalsWithoutTheAsterisk) {
    RawDescription raw;
    raw.NumericItem("*gate mode", 1).NumericItem("Hold time", 2, 0x06);
    CapturedConfigErrors errors;
    const PageNode root = Parse(raw.data, &errors);
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].name, "GATE MODE");
    EXPECT_EQ(root.children[0].items.at(0).records.at(0).name, "*gate mode");
    EXPECT_FALSE(root.children[0].hasRule);
    // With a rule in the item the name sits five bytes further on.
    EXPECT_EQ(root.children[1].name, "HOLD TIME");
    EXPECT_FALSE(root.children[1].hasRule);
    EXPECT_TRUE(root.children[1].items.at(0).hasRule);
    EXPECT_EQ(root.children[1].items[0].rule, (VisibilityRule{9, 9, 9, 1, 2}));
}

TEST(DescriptionParser, GroupNameLosesOneLeadingAsteriskRecordNameKeepsIt) {
    const PageNode root = Parse(RawDescription().Group("**Deep", 1).NumericItem("*x", 1).data);
    EXPECT_EQ(root.children.at(0).name, "*Deep");
    EXPECT_EQ(root.children[0].items.at(0).records.at(0).name, "*x");
}

TEST(DescriptionParser, LayoutByteGivesRecordCountAndVisibilityDriving) {
    RawDescription raw;
    raw.Group("P", 3).NumericItem("one", 1, 0x22, 0x00).NumericItem("seven", 2, 0x22, 0x38, 7);
    raw.NumericItem("drives", 3, 0x22, 0x48);
    const PageNode root = Parse(raw.data);
    const auto& items = root.children.at(0).items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].records.size(), 1u);
    ASSERT_EQ(items[1].records.size(), 7u);
    EXPECT_EQ(items[1].records[6].name, "seven7");
    EXPECT_EQ(items[1].records[0].controlStyle, ControlStyle::Spin);
    EXPECT_EQ(items[1].records[1].controlStyle, ControlStyle::None);
    ASSERT_EQ(items[2].records.size(), 1u);
    EXPECT_TRUE(items[2].records[0].drivesVisibility);
    EXPECT_FALSE(items[0].records[0].drivesVisibility);
}

TEST(DescriptionParser, ItemFlagsGiveRuleAndStyleAndStylesAboveTwoGiveNone) {
    RawDescription raw;
    raw.Group("P", 3).NumericItem("spin", 1, 0x26).NumericItem("odd", 2, 0x32).NumericItem("f", 3, 0xF2);
    const PageNode root = Parse(raw.data);
    const auto& items = root.children.at(0).items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_TRUE(items[0].hasRule);
    EXPECT_EQ(items[0].Style(), ControlStyle::Spin);
    EXPECT_EQ(items[1].Style(), ControlStyle::None);
    EXPECT_EQ(items[2].Style(), ControlStyle::None);
}

TEST(DescriptionParser, ItemWithoutPresentBitIsOneByteAndEmptyPagesAreDropped) {
    RawDescription raw;
    raw.Bytes({0x00});                              // top-level: nothing
    raw.Group("Empty", 1).Bytes({0x40});            // its only child yields nothing
    raw.Group("Kept", 2).Bytes({0x10}).NumericItem("x", 1);
    const PageNode root = Parse(raw.data);
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].name, "Kept");
    EXPECT_EQ(root.children[0].items.size(), 1u);
}

// ---- rules passed on by the rule counter

const VisibilityRule kRule{5, 1, 2, 0, 3};

TEST(DescriptionParserRules, FirstOfTwoChildGroupsTakesTheParentsRuleTheSecondDoesNot) {
    RawDescription raw;
    raw.RuledGroup("Top", 2, kRule).Group("A", 1).NumericItem("a", 1).Group("B", 1).NumericItem("b", 2);
    const PageNode root = Parse(raw.data);
    const PageNode& top = root.children.at(0);
    EXPECT_TRUE(top.hasRule);
    EXPECT_EQ(top.rule, kRule);
    ASSERT_EQ(top.children.size(), 2u);
    EXPECT_TRUE(top.children[0].hasRule);
    EXPECT_EQ(top.children[0].rule, kRule);
    EXPECT_FALSE(top.children[1].hasRule);
    EXPECT_FALSE(top.children[0].items[0].hasRule);  // items never take a passed-on rule
}

TEST(DescriptionParserRules, AnItemBeforeTheChildGroupUsesUpTheCount) {
    RawDescription raw;
    raw.RuledGroup("Top", 2, kRule).NumericItem("i", 1).Group("A", 1).NumericItem("a", 2);
    const PageNode root = Parse(raw.data);
    const PageNode& top = root.children.at(0);
    ASSERT_EQ(top.children.size(), 1u);
    EXPECT_FALSE(top.children[0].hasRule);
    EXPECT_FALSE(top.items.at(0).hasRule);
}

TEST(DescriptionParserRules, GroupsInsideARuledChildTakeItsRuleAndAnOwnRuleReplacesTheLastRule) {
    const VisibilityRule inner{7, 7, 7, 4, 4};
    RawDescription raw;
    raw.RuledGroup("Top", 4, kRule);
    raw.Group("A", 2).Group("A1", 1).NumericItem("a1", 1).Group("A2", 1).NumericItem("a2", 2);
    raw.RuledGroup("B", 1, inner).NumericItem("b", 3);
    raw.Group("C", 1).NumericItem("c", 4);
    raw.Group("D", 1).NumericItem("d", 5);
    const PageNode root = Parse(raw.data);
    const PageNode& top = root.children.at(0);
    ASSERT_EQ(top.children.size(), 4u);
    const PageNode& a = top.children[0];
    EXPECT_EQ(a.rule, kRule);
    ASSERT_EQ(a.children.size(), 2u);
    EXPECT_TRUE(a.children[0].hasRule);
    EXPECT_TRUE(a.children[1].hasRule);  // A's count still runs when A2 is reached
    EXPECT_EQ(a.children[1].rule, kRule);
    EXPECT_EQ(top.children[1].rule, inner);
    // C still sees a count from Top, and the last rule is now B's; the count
    // is used up when the last child D is reached.
    EXPECT_TRUE(top.children[2].hasRule);
    EXPECT_EQ(top.children[2].rule, inner);
    EXPECT_FALSE(top.children[3].hasRule);
}

TEST(DescriptionParserRules, CounterIsBackToZeroAfterATopLevelGroupAndLoadsDoNotShareIt) {
    RawDescription raw;
    raw.RuledGroup("Top", 1, kRule).NumericItem("i", 1);
    raw.Group("Next", 1).NumericItem("n", 2);
    DescriptionParser parser;
    parser.LoadFromMemory(raw.data);
    EXPECT_FALSE(parser.Root()->children.at(1).hasRule);

    // A ruled group with no children leaves the count below zero; the next load
    // starts afresh and reads its first page as it would on its own.
    RawDescription odd;
    odd.RuledGroup("Nothing", 0, kRule);
    parser.LoadFromMemory(odd.data);
    RawDescription next;
    next.RuledGroup("Top", 2, kRule).Group("A", 1).NumericItem("a", 1).Group("B", 1).NumericItem("b", 2);
    parser.LoadFromMemory(next.data);
    EXPECT_TRUE(parser.Root()->children.at(0).children.at(0).hasRule);
}

}  // namespace
