#include "description/DescriptionWriter.h"

#include "description/DescriptionBuilder.h"
#include "description/DescriptionParser.h"

#include "DescriptionGenerator.h"
#include "DescriptionTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

PageNode Parse(const ByteString& data) {
    DescriptionParser parser;
    parser.LoadFromMemory(data);
    EXPECT_FALSE(parser.StoppedEarly());
    return *parser.Root();
}

TEST(DescriptionWriter, WorkedExampleFromTheBuilderIsTheSameBytesAsByHand) {
    DescriptionBuilder b(0x01);
    auto main = b.Page("Main");
    main.Slider("Level", {0, 1, 2}).Unit("dB").Numeric(-120, 5, 48).Decimals(1).Cell(8, 20, 3, 2);
    main.Buttons("Mode", {0, 1, 3}, {"Off", "On"}).Cell(6, 5, 12, 2);
    EXPECT_EQ(b.Build(), kWorkedExample);
    EXPECT_EQ(DescriptionWriter::Write(Parse(kWorkedExample), 0x01), kWorkedExample);
}

TEST(DescriptionWriter, LargeGeneratedDescriptionsComeBackAsTheSameTree) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const PageNode tree = DescriptionGenerator(seed).Tree(seed == 1 ? 3000 : 150, 5);
        const ByteString bytes = DescriptionWriter::Write(tree, static_cast<std::uint8_t>(seed));
        ASSERT_EQ(Parse(bytes), tree) << "seed " << seed;
        if (seed == 1) {
            EXPECT_GT(bytes.size(), 100000u);
        }
    }
}

TEST(DescriptionWriter, SharesEqualChoiceListsInTheStringTable) {
    DescriptionBuilder b;
    auto page = b.Page("P");
    page.Buttons("A", {0, 0, 1}, {"Off", "On", "Auto"});
    page.Buttons("B", {0, 0, 2}, {"On", "Auto"});
    page.Buttons("C", {0, 0, 3}, {"Auto", "Slow"});
    const ByteString bytes = b.Build();
    // The second list is inside the first; the third starts at the first's end.
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 19), std::string("Off\0On\0Auto\0Slow\0\0", 18));
    EXPECT_EQ(Parse(bytes), b.Tree());
}

TEST(DescriptionWriter, DescriptionWithoutChoicesHasAnEmptyTableAndStillParses) {
    DescriptionBuilder b(0x05);
    b.Page("Only").Spin("Hold", {5, 0, 1}).Numeric(0, 1, 99).FieldWidth(2, true);
    const ByteString bytes = b.Build();
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0x01);  // the first record follows the table's end at once
    EXPECT_EQ(Parse(bytes), b.Tree());
}

TEST(DescriptionWriter, SubPagesOfARuledPageGetTheirRulesBack) {
    const VisibilityRule outer{0, 1, 3, 1, 1};
    DescriptionBuilder b;
    auto top = b.Page("Top").Rule({0, 1, 3}, 1, 1);
    top.Slider("x", {0, 0, 1});
    top.Page("A").Rule({0, 1, 3}, 1, 1).Slider("a", {0, 0, 2});
    top.Page("B").Rule({0, 2, 0}, 0, 4).Slider("b", {0, 0, 3});
    top.Page("C").Rule({0, 1, 3}, 1, 1).Slider("c", {0, 0, 4});
    b.Page("After").Slider("d", {0, 0, 5});
    const PageNode parsed = Parse(b.Build());
    EXPECT_EQ(parsed, b.Tree());
    EXPECT_EQ(parsed.children[0].children[2].rule, outer);
    EXPECT_FALSE(parsed.children[1].hasRule);
}

TEST(DescriptionWriter, RefusesAPageThatWouldTakeOverAnotherPagesRule) {
    DescriptionBuilder b;
    auto top = b.Page("Top").Rule({0, 1, 3}, 1, 1);
    top.Page("A").Slider("a", {0, 0, 2});
    top.Page("B").Slider("b", {0, 0, 3});
    EXPECT_THROW(b.Build(), std::invalid_argument);

    // The last sub-page of a top-level ruled page can do without one.
    DescriptionBuilder ok;
    auto top2 = ok.Page("Top").Rule({0, 1, 3}, 1, 1);
    top2.Page("A").Rule({0, 1, 3}, 1, 1).Slider("a", {0, 0, 2});
    top2.Page("B").Slider("b", {0, 0, 3});
    EXPECT_EQ(Parse(ok.Build()), ok.Tree());
}

TEST(DescriptionWriter, ItemPagesAreWrittenAsBareItemRecordsAndStarredPageNamesSurvive) {
    DescriptionBuilder b;
    b.ItemPage(ControlStyle::ButtonGroup, "*gate mode", {1, 2, 3}).Choices({"Off", "On"}).Rule({0, 0, 1}, 1, 1);
    b.Page("*Star").Slider("s", {0, 0, 1});
    const ByteString bytes = b.Build();
    EXPECT_EQ(bytes[9], 0x16);  // after "Off", "On" and the table's end: an item with a rule
    const PageNode parsed = Parse(bytes);
    EXPECT_EQ(parsed, b.Tree());
    EXPECT_EQ(parsed.children[0].name, "GATE MODE");
    EXPECT_EQ(parsed.children[1].name, "*Star");
}

TEST(DescriptionWriter, RefusesWhatTheFormatCannotCarry) {
    const auto refuses = [](auto change) {
        DescriptionBuilder b;
        auto item = b.Page("P").Slider("s", {0, 0, 1});
        change(item);
        EXPECT_THROW(b.Build(), std::invalid_argument);
    };
    refuses([](ItemBuilder& i) { i.Numeric(-40000, 1, 10); });
    refuses([](ItemBuilder& i) { i.Numeric(0, 200, 10); });
    refuses([](ItemBuilder& i) { i.Choices({"a", "b"}).Item().records[0].maxValue = 5; });
    refuses([](ItemBuilder& i) { i.Choices({"a", ""}); });
    refuses([](ItemBuilder& i) { i.Unit(std::string("d\0B", 3)); });
    refuses([](ItemBuilder& i) { i.PresetChoice(3).Item().records[0].step = 1; });
    refuses([](ItemBuilder& i) {
        for (int n = 0; n < 7; ++n) i.Field("f", {0, 0, 2});
    });
    refuses([](ItemBuilder& i) { i.Item().records.clear(); });

    PageNode root;
    root.items.push_back(ControlItem{});
    EXPECT_THROW(DescriptionWriter::Write(root, 1), std::invalid_argument);
}

TEST(DescriptionWriter, LeavesOutPagesWithNothingInThem) {
    DescriptionBuilder b;
    b.Page("Empty").Page("Also empty");
    b.Page("Full").Slider("s", {0, 0, 1});
    const PageNode parsed = Parse(b.Build());
    ASSERT_EQ(parsed.children.size(), 1u);
    EXPECT_EQ(parsed.children[0].name, "Full");
}

}  // namespace
