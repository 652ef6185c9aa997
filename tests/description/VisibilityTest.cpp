#include "description/Visibility.h"

#include "description/DescriptionBuilder.h"

#include <gtest/gtest.h>

namespace {

// Main: Mode (drives, 0,1,3), Level; Main > Gate (rule 0,1,3 in [1,1]) with a
// Hold spin (rule 0,1,3 in [2,2]); Other: a second Mode driver at 0,1,3.
DescriptionBuilder MakeDescription() {
    DescriptionBuilder b;
    auto main = b.Page("Main");
    main.Buttons("Mode", {0, 1, 3}, {"Off", "On", "Auto"}).DrivesVisibility();
    main.Slider("Level", {0, 1, 2}).Field("Trim", {0, 1, 3});
    auto gate = main.Page("Gate").Rule({0, 1, 3}, 1, 1);
    gate.Spin("Hold", {0, 2, 0}).Rule({0, 1, 3}, 2, 2);
    b.Page("Other").Buttons("Mode again", {0, 1, 3}, {"x", "y", "z"}).DrivesVisibility();
    return b;
}

TEST(StoreValue, SetsTheFirstRecordOfEveryItemAtTheAddressOnlyOnPages) {
    DescriptionBuilder b = MakeDescription();
    PageNode root = b.Tree();
    root.items.push_back(root.children[0].items[0]);  // the root itself is never written
    EXPECT_EQ(StoreValue(root, 0, 1, 3, 2), 2);
    EXPECT_EQ(root.children[0].items[0].records[0].value, 2);
    EXPECT_EQ(root.children[1].items[0].records[0].value, 2);
    EXPECT_EQ(root.children[0].items[1].records[1].value, 0);  // Trim: not a first record
    EXPECT_EQ(root.items[0].records[0].value, 0);
    EXPECT_EQ(StoreValue(root, 9, 9, 9, 1), 0);
}

TEST(FirstRecordAddresses, WalkAPagesItemsThenItsSubPages) {
    DescriptionBuilder b = MakeDescription();
    EXPECT_EQ(FirstRecordAddresses(b.Tree()),
              (std::vector<ParamAddress>{{0, 1, 3}, {0, 1, 2}, {0, 2, 0}, {0, 1, 3}}));
}

TEST(EvaluateVisibility, HidesOutsideTheRangeAndReportsWhatChanged) {
    DescriptionBuilder b = MakeDescription();
    PageNode root = b.Tree();
    StoreValue(root, 0, 1, 3, 0);
    VisibilityResult result = EvaluateVisibility(root);
    EXPECT_EQ(result.drivers, (std::vector<VisibilityDriver>{{{0, 1, 3}, 0}, {{0, 1, 3}, 0}}));
    EXPECT_TRUE(result.pagesChanged);
    EXPECT_TRUE(result.itemsChanged);
    EXPECT_TRUE(root.children[0].children[0].hidden);
    EXPECT_TRUE(root.children[0].children[0].items[0].hidden);  // items of hidden pages are evaluated too

    StoreValue(root, 0, 1, 3, 1);
    result = EvaluateVisibility(root);
    EXPECT_TRUE(result.pagesChanged);
    EXPECT_FALSE(result.itemsChanged);
    EXPECT_FALSE(root.children[0].children[0].hidden);

    StoreValue(root, 0, 1, 3, 2);
    result = EvaluateVisibility(root);
    EXPECT_TRUE(result.pagesChanged);
    EXPECT_TRUE(result.itemsChanged);
    EXPECT_TRUE(root.children[0].children[0].hidden);
    EXPECT_FALSE(root.children[0].children[0].items[0].hidden);

    result = EvaluateVisibility(root);
    EXPECT_FALSE(result.pagesChanged);
    EXPECT_FALSE(result.itemsChanged);
}

TEST(EvaluateVisibility, WithSeveralDriversOnOneAddressTheLastDecides) {
    DescriptionBuilder b = MakeDescription();
    PageNode root = b.Tree();
    // The two drivers disagree, as when only one of them was told a new value.
    root.children[0].items[0].records[0].value = 1;
    root.children[1].items[0].records[0].value = 0;
    VisibilityResult result = EvaluateVisibility(root);
    EXPECT_TRUE(root.children[0].children[0].hidden);
    EXPECT_TRUE(result.pagesChanged);

    root.children[0].items[0].records[0].value = 0;
    root.children[1].items[0].records[0].value = 1;
    result = EvaluateVisibility(root);
    EXPECT_FALSE(root.children[0].children[0].hidden);
    EXPECT_TRUE(result.pagesChanged);

    // Flipping the first one alone changes nothing: the last still says 1.
    root.children[0].items[0].records[0].value = 2;
    result = EvaluateVisibility(root);
    EXPECT_FALSE(root.children[0].children[0].hidden);
    EXPECT_FALSE(result.pagesChanged);
}

TEST(EvaluateVisibility, RulesWithoutAMatchingDriverAndOwnersWithoutRulesAreLeftAlone) {
    DescriptionBuilder b;
    auto page = b.Page("P").Rule({7, 7, 7}, 0, 0);
    page.Slider("s", {0, 0, 1});
    b.Page("Q").Slider("t", {0, 0, 2}).DrivesVisibility();
    PageNode root = b.Tree();
    root.children[0].hidden = true;
    root.children[1].hidden = true;
    root.children[1].items[0].records[0].value = 200;
    const VisibilityResult result = EvaluateVisibility(root);
    EXPECT_TRUE(root.children[0].hidden);
    EXPECT_TRUE(root.children[1].hidden);
    EXPECT_FALSE(result.pagesChanged);
    EXPECT_FALSE(result.itemsChanged);
    ASSERT_EQ(result.drivers.size(), 1u);
    EXPECT_EQ(result.drivers[0].value, 200);
}

}  // namespace
