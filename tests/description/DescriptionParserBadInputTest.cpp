// The description arrives over the link, so every malformed file must load
// without reading past its end and keep what was complete.
#include "description/DescriptionParser.h"

#include "description/DescriptionBuilder.h"
#include "description/DescriptionWriter.h"

#include "DescriptionGenerator.h"
#include "DescriptionTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct Loaded {
    PageNode root;
    bool stoppedEarly = false;
};

// Copies into a buffer of exactly `size` bytes so that AddressSanitizer sees
// any read past the end.
Loaded Load(const ByteString& data, std::size_t size, DescriptionParser& parser) {
    const ByteString exact(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size));
    parser.LoadFromMemory(exact);
    return {*parser.Root(), parser.StoppedEarly()};
}

Loaded Load(const ByteString& data) {
    DescriptionParser parser;
    return Load(data, data.size(), parser);
}

std::vector<const ControlItem*> Items(const PageNode& root) {
    std::vector<const ControlItem*> items;
    CollectItems(root, items);
    return items;
}

// What every tree from any input must satisfy.
void CheckShape(const PageNode& node, int depth) {
    ASSERT_LE(depth, DescriptionParser::kMaxPageDepth);
    ASSERT_LE(node.name.size(), DescriptionParser::kMaxStringLength);
    if (depth > 0) {
        ASSERT_FALSE(node.items.empty() && node.children.empty());
    }
    for (const ControlItem& item : node.items) {
        ASSERT_GE(item.records.size(), 1u);
        ASSERT_LE(item.records.size(), 7u);
        for (const ControlRecord& record : item.records) {
            ASSERT_LE(record.name.size(), DescriptionParser::kMaxStringLength);
            ASSERT_LE(record.unit.size(), DescriptionParser::kMaxStringLength);
            if (record.valueKind == ValueKind::Choices) {
                ASSERT_EQ(record.choices.size(), record.maxValue + 1u);
            } else {
                ASSERT_TRUE(record.choices.empty());
            }
        }
    }
    for (const PageNode& child : node.children) CheckShape(child, depth + 1);
}

TEST(DescriptionParserBadInput, TruncationAtEveryLengthKeepsTheCompletedItemsInOrder) {
    const PageNode tree = DescriptionGenerator(7).Tree(30, 4);
    const ByteString full = DescriptionWriter::Write(tree, 0x02);
    const std::vector<const ControlItem*> all = Items(tree);
    DescriptionParser parser;
    std::size_t previous = 0;
    for (std::size_t length = 0; length <= full.size(); ++length) {
        const Loaded loaded = Load(full, length, parser);
        CheckShape(loaded.root, 0);
        const std::vector<const ControlItem*> kept = Items(loaded.root);
        ASSERT_LE(kept.size(), all.size());
        ASSERT_GE(kept.size(), previous) << "length " << length;
        for (std::size_t i = 0; i < kept.size(); ++i) ASSERT_EQ(*kept[i], *all[i]) << "length " << length;
        previous = kept.size();
    }
    EXPECT_EQ(previous, all.size());
}

TEST(DescriptionParserBadInput, ChildCountRunningPastTheEndKeepsTheChildrenThatAreThere) {
    RawDescription raw;
    raw.Group("P", 5).NumericItem("a", 1).NumericItem("b", 2);
    const Loaded loaded = Load(raw.data);
    EXPECT_TRUE(loaded.stoppedEarly);
    ASSERT_EQ(loaded.root.children.size(), 1u);
    EXPECT_EQ(loaded.root.children[0].items.size(), 2u);
}

TEST(DescriptionParserBadInput, ItemCutInsideItsCellOrAStringIsDroppedWhole) {
    RawDescription raw;
    raw.Group("P", 2).NumericItem("a", 1).NumericItem("b", 2);
    ByteString cut = raw.data;
    cut.pop_back();
    Loaded loaded = Load(cut);
    EXPECT_TRUE(loaded.stoppedEarly);
    ASSERT_EQ(loaded.root.children.at(0).items.size(), 1u);
    EXPECT_EQ(loaded.root.children[0].items[0].records[0].name, "a");

    // A string without its terminating zero at the end of the data.
    RawDescription open;
    open.Group("P", 1).Bytes({0x02, 0x00, 0x00, 0, 0, 1, 'L', 'e', 'v'});
    loaded = Load(open.data);
    EXPECT_TRUE(loaded.stoppedEarly);
    EXPECT_TRUE(loaded.root.children.empty());

    // A page name without its zero.
    loaded = Load({0x01, 0x00, 0x01, 0x01, 'M', 'a'});
    EXPECT_TRUE(loaded.root.children.empty());
}

TEST(DescriptionParserBadInput, ZerosAtTheEndArePaddingButMayCloseTheLastRecord) {
    DescriptionBuilder b;
    b.Page("P").Slider("s", {0, 0, 1}).Cell(4, 20, 0, 0);
    const ByteString bytes = b.Build();
    ASSERT_EQ(bytes.back(), 0);
    Loaded loaded = Load(bytes);
    EXPECT_FALSE(loaded.stoppedEarly);
    ASSERT_EQ(loaded.root, b.Tree());

    ByteString padded = bytes;
    padded.resize(padded.size() + 300, 0);
    loaded = Load(padded);
    EXPECT_EQ(loaded.root, b.Tree());
}

TEST(DescriptionParserBadInput, FilesOfOnlyZerosOrNothingGiveAnEmptyRoot) {
    for (std::size_t size : {0u, 1u, 2u, 3u, 1000u}) {
        const Loaded loaded = Load(ByteString(size, 0));
        EXPECT_TRUE(loaded.root.children.empty()) << size;
    }
    EXPECT_TRUE(Load({0x01}).root.children.empty());
    EXPECT_TRUE(Load({0x01, 'A', 'B'}).root.children.empty());  // table without its end
}

TEST(DescriptionParserBadInput, DeepNestingStopsAtTheDepthLimitWithoutExhaustingTheStack) {
    RawDescription raw;
    for (int i = 0; i < 20000; ++i) raw.Group("g", 1);
    raw.NumericItem("deep", 1);
    const Loaded loaded = Load(raw.data);
    EXPECT_TRUE(loaded.stoppedEarly);
    CheckShape(loaded.root, 0);

    RawDescription ok;
    for (int i = 0; i < DescriptionParser::kMaxPageDepth; ++i) ok.Group("g", 1);
    ok.NumericItem("deep", 1);
    const Loaded fits = Load(ok.data);
    EXPECT_FALSE(fits.stoppedEarly);
    EXPECT_EQ(Items(fits.root).size(), 1u);
}

TEST(DescriptionParserBadInput, ChoiceTextsAreCappedPerLoad) {
    // 300 items of 256 choices each would copy the table 300 times over.
    RawDescription raw({"x"});
    raw.Group("P", 255);
    for (int i = 0; i < 255; ++i) raw.ChoiceItem("c", 255, 0);
    raw.Group("Q", 45);
    for (int i = 0; i < 45; ++i) raw.ChoiceItem("c", 255, 0);
    const Loaded loaded = Load(raw.data);
    EXPECT_TRUE(loaded.stoppedEarly);
    EXPECT_EQ(Items(loaded.root).size(), DescriptionParser::kMaxChoicesPerLoad / 256);
}

TEST(DescriptionParserBadInput, LongStringsAreKeptToTheirFirst255Characters) {
    const std::string longName(1000, 'n');
    RawDescription raw({std::string(3000, 'c')});
    raw.Group(longName, 2).NumericItem(longName, 1).ChoiceItem("c", 0, 0);
    const Loaded loaded = Load(raw.data);
    EXPECT_FALSE(loaded.stoppedEarly);
    const PageNode& page = loaded.root.children.at(0);
    EXPECT_EQ(page.name, longName.substr(0, 255));
    EXPECT_EQ(page.items.at(0).records[0].name, longName.substr(0, 255));
    EXPECT_EQ(page.items.at(1).records[0].choices.at(0), std::string(255, 'c'));
}

TEST(DescriptionParserBadInput, OnlyTheFirstMegabyteIsRead) {
    ByteString big = kWorkedExample;
    big.resize(DescriptionParser::kMaxDescriptionBytes + 10, 0x01);
    DescriptionParser parser;
    parser.LoadFromMemory(big);
    EXPECT_TRUE(parser.StoppedEarly());
    ASSERT_NE(parser.Root(), nullptr);
    EXPECT_EQ(parser.Root()->children.at(0).name, "Main");
}

// Deterministic mutation run: mutated descriptions must load without faults
// (AddressSanitizer watches in the sanitizer build) and give well-formed trees.
TEST(DescriptionParserBadInput, HundredThousandMutatedDescriptionsLoadSafely) {
    // Small seeds keep the run to a few seconds under the sanitizers.
    std::vector<ByteString> seeds{kWorkedExample, DescriptionWriter::Write(DescriptionGenerator(1).Tree(12, 3), 1),
                                  DescriptionWriter::Write(DescriptionGenerator(9).Tree(12, 3), 1)};
    RawDescription rules({"a", "b", "c"});
    rules.RuledGroup("Top", 3, {5, 1, 2, 0, 3}).Group("A", 1).NumericItem("a", 1, 0x26, 0x48);
    rules.Group("B", 1).ChoiceItem("b", 3, 1).NumericItem("*gate mode", 1, 0x12, 0x38, 7);
    seeds.push_back(rules.data);

    std::mt19937 random(20261207);
    const auto below = [&](std::size_t bound) { return bound == 0 ? 0 : random() % bound; };
    CapturedConfigErrors errors;
    DescriptionParser parser(&errors);
    constexpr int kRuns = 100000;
    for (int run = 0; run < kRuns; ++run) {
        ByteString data = seeds[below(seeds.size())];
        const std::size_t edits = 1 + below(4);
        for (std::size_t e = 0; e < edits; ++e) {
            const std::size_t at = below(data.size() + 1);
            switch (below(6)) {
                case 0:
                    if (at < data.size()) data[at] ^= static_cast<std::uint8_t>(1u << below(8));
                    break;
                case 1:
                    if (at < data.size()) data[at] = static_cast<std::uint8_t>(below(3) == 0 ? 0 : random());
                    break;
                case 2:
                    data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), 1 + below(8),
                                static_cast<std::uint8_t>(random()));
                    break;
                case 3:
                    data.erase(data.begin() + static_cast<std::ptrdiff_t>(at),
                               data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), at + 1 + below(8))));
                    break;
                case 4:
                    data.resize(at);
                    break;
                default:
                    if (at < data.size()) data[at] = static_cast<std::uint8_t>(0xFF);
                    break;
            }
        }
        data.shrink_to_fit();
        parser.LoadFromMemory(data);
        ASSERT_NE(parser.Root(), nullptr);
        CheckShape(*parser.Root(), 0);
        if (HasFatalFailure()) FAIL() << "run " << run;
    }
    EXPECT_LE(errors.shown.size(), 1u);
}

}  // namespace
