#include "description/PageGeometry.h"

#include <gtest/gtest.h>

namespace {

ControlItem Cell(std::uint8_t x, std::uint8_t y, std::uint8_t w, std::uint8_t h)
{
    ControlItem item;
    item.x = x;
    item.y = y;
    item.width = w;
    item.height = h;
    return item;
}

}  // namespace

TEST(PageGeometry, SliderCellCentresTheTrackBelowCaptionAndValue)
{
    const SliderCell cell = SliderCellLayout(Cell(3, 2, 8, 20));
    EXPECT_EQ(cell.track, (PixelRect{50, 60, 90, 220}));
    EXPECT_EQ(cell.caption, (PixelRect{30, 20, 110, 33}));
    EXPECT_EQ(cell.value, (PixelRect{30, 33, 110, 60}));
}

TEST(PageGeometry, SumsOfCellValuesWrapAt256BeforeScaling)
{
    // X + W = 260 wraps to 4 units: the caption's right edge is 40 pixels.
    const SliderCell cell = SliderCellLayout(Cell(250, 0, 10, 20));
    EXPECT_EQ(cell.caption.right, 40);
    EXPECT_EQ(cell.caption.left, 2500);
    EXPECT_EQ(GridScale(256), 0);
    EXPECT_EQ(GridScale(255), 2550);
    // The spin's own rectangle adds scaled values; only its caption wraps.
    const SpinCell spin = SpinCellLayout(Cell(250, 3, 10, 2));
    EXPECT_EQ(spin.spin, (PixelRect{2500, 30, 2600, 50}));
    EXPECT_EQ(spin.caption, (PixelRect{2500, 17, 40, 30}));
}

TEST(PageGeometry, NarrowSliderCellKeepsItsTrackCentred)
{
    const SliderCell cell = SliderCellLayout(Cell(10, 0, 2, 20));
    EXPECT_EQ(cell.track.left, 100 - 10);
    EXPECT_EQ(cell.track.right, 100 + 30);
}

TEST(PageGeometry, GroupStartsSixPixelsAboveItsCell)
{
    const GroupCell group = GroupCellLayout(Cell(2, 4, 20, 4));
    EXPECT_EQ(group.left, 20);
    EXPECT_EQ(group.top, 34);
    EXPECT_EQ(group.width, 200);
}

TEST(PageGeometry, ThreeFieldsShareNinetyPixelsInReversedFieldOrder)
{
    const auto fields = SpinFieldLayout(PixelRect{5, 0, 95, 20}, 3);
    ASSERT_EQ(fields.size(), 3u);
    const int lefts[] = {7, 35, 63};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(fields[i].edit.left, lefts[i]);
        EXPECT_EQ(fields[i].edit.Width(), 27);
        EXPECT_EQ(fields[i].edit.top, 2);
        EXPECT_EQ(fields[i].edit.Height(), 16);
        EXPECT_EQ(fields[i].fieldIndex, 2 - static_cast<int>(i));
    }
    EXPECT_FALSE(fields[0].hasSeparator);
    EXPECT_EQ(fields[1].separator, (PixelRect{33, 2, 35, 18}));
    EXPECT_EQ(fields[2].separator, (PixelRect{61, 2, 63, 18}));
    EXPECT_TRUE(SpinFieldLayout(PixelRect{0, 0, 90, 20}, 0).empty());
}

TEST(PageGeometry, CaptionPathSplitsAtEveryGreaterThanSign)
{
    EXPECT_EQ(CaptionParts("Dynamics > Limiter"), (std::vector<std::string>{"Dynamics", " Limiter"}));
    EXPECT_EQ(CaptionParts("Output"), (std::vector<std::string>{"Output"}));
    EXPECT_EQ(CaptionParts("A > B > C"), (std::vector<std::string>{"A", " B", " C"}));
    EXPECT_TRUE(CaptionParts("").empty());
    // A ">" inside a name without the joining blanks loses no letter.
    EXPECT_EQ(CaptionParts("In>Out"), (std::vector<std::string>{"In", "Out"}));
}
