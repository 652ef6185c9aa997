#include "SkinControlsFixture.h"

#include "skin/ui/SkinStatic.h"
#include "skin/ui/SkinWnd.h"

#include <QTest>

#include <optional>

using namespace skinui;

namespace {

class SkinStaticTest : public LooseSkin {
protected:
    // A window with a striped face and a label element "Label" on it.
    void WriteLabel(const std::string& keys)
    {
        QImage face(80, 40, QImage::Format_RGB32);
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x)
                face.setPixelColor(x, y, QColor(x * 3, y * 6, (x + y) % 2 ? 200 : 40));
        Bitmap("Face.bmp", face);
        Write("IMAGE(Wnd::background, \"Face.bmp\")\n"
              "LONG(Label::offset_left, 10)\nLONG(Label::offset_top, 5)\n"
              "LONG(Label::width, 50)\nLONG(Label::height, 24)\n"
              "STRING(Label::font, \"DejaVu Sans\")\nLONG(Label::font_height, 16)\nLONG(Label::bold, 1)\n" +
              keys);
        Load();
        window.Create();
        label.Create(&window, 101);
    }

    CSkinWnd window{"Wnd", manager};
    CSkinStatic label{"Label", manager};
};

// The rightmost column holding a pixel other than the background colour.
std::optional<int> RightmostInk(const QImage& image, QColor background)
{
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) != background)
                return x;
    return std::nullopt;
}

TEST_F(SkinStaticTest, WithoutBoxOrColourShowsExactlyTheFaceBehindIt)
{
    WriteLabel("");
    EXPECT_EQ(label.geometry(), QRect(10, 5, 50, 24));
    EXPECT_TRUE(SamePixels(label.grab().toImage(), window.Face().copy(label.geometry())));
}

TEST_F(SkinStaticTest, NonZeroBackgroundColourFillsTheLabel)
{
    WriteLabel("LONG(Label::bkcolor, \"#102030\")\n");
    EXPECT_TRUE(SamePixels(label.grab().toImage(), Filled({50, 24}, QColor(0x10, 0x20, 0x30))));
}

TEST_F(SkinStaticTest, BoxIsStretchedAlongItsResizeLines)
{
    QImage box(10, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            box.setPixelColor(x, y, QColor(x * 20, y * 30, 90));
    Bitmap("Box.bmp", box);
    WriteLabel("IMAGE(Label::background, \"Box.bmp\")\nLONG(Label::resize_line_x, 4)\nLONG(Label::resize_line_y, 3)\n");
    const QImage shown = label.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), box.pixelColor(0, 0));
    EXPECT_EQ(shown.pixelColor(30, 10), box.pixelColor(4, 3));
    EXPECT_EQ(shown.pixelColor(49, 23), box.pixelColor(9, 7));
    // Placing the label elsewhere rebuilds the box at the new size.
    label.Place(QRect(0, 0, 20, 12));
    EXPECT_EQ(label.grab().toImage().pixelColor(19, 11), box.pixelColor(9, 7));
}

TEST_F(SkinStaticTest, ShadowFallsOnePixelRightOfTheText)
{
    // "Plain" is the same label without a shadow.
    std::string keys;
    for (const std::string element : {"Label", "Plain"})
        keys += "STRING(" + element + "::caption, \"I\")\nLONG(" + element + "::bkcolor, \"#000001\")\n" +
                "LONG(" + element + "::text_color, \"#FF0000\")\nLONG(" + element + "::font_alignment, 37)\n" +
                "LONG(" + element + "::width, 50)\nLONG(" + element + "::height, 24)\n" + "STRING(" + element +
                "::font, \"DejaVu Sans\")\nLONG(" + element + "::font_height, 16)\n";
    WriteLabel(keys + "LONG(Plain::bold, 1)\nLONG(Label::shadow_color, \"#00FF00\")\nLONG(Label::shadow_hor, 1)\n");
    CSkinStatic plain("Plain", manager);
    plain.Create(&window, 102);
    const QColor background(0, 0, 1);
    const QImage shadowed = label.grab().toImage();
    const auto right = RightmostInk(plain.grab().toImage(), background);
    ASSERT_TRUE(right.has_value());
    EXPECT_EQ(RightmostInk(shadowed, background), *right + 1);
    // The extra column is shadow only.
    for (int y = 0; y < shadowed.height(); ++y)
        EXPECT_EQ(shadowed.pixelColor(*right + 1, y).red(), 0);
}

TEST_F(SkinStaticTest, TextSetByTheProgramIsShownAndSurvivesANewSkin)
{
    WriteLabel("STRING(Label::caption, \"Skin text\")\nLONG(Label::text_color, \"#FFFFFF\")\n");
    EXPECT_EQ(label.Text(), "Skin text");
    EXPECT_EQ(label.accessibleName(), "Skin text");
    label.SetText("");
    EXPECT_TRUE(SamePixels(label.grab().toImage(), window.Face().copy(label.geometry())));
    label.SetText("Drive");
    label.Place(QRect(2, 2, 60, 20));
    ASSERT_TRUE(manager.LoadSkin("Test"));
    EXPECT_EQ(label.Text(), "Drive");
    EXPECT_EQ(label.accessibleName(), "Drive");
    EXPECT_EQ(label.geometry(), QRect(2, 2, 60, 20));
}

TEST(SkinStaticFlags, PlatformLayoutFlagsMapToQtFlags)
{
    EXPECT_EQ(CSkinStatic::TextFlags(0), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(CSkinStatic::TextFlags(1), Qt::AlignHCenter | Qt::AlignTop);
    EXPECT_EQ(CSkinStatic::TextFlags(17), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap);
    EXPECT_EQ(CSkinStatic::TextFlags(36), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine);
    EXPECT_EQ(CSkinStatic::TextFlags(37), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine);
    EXPECT_EQ(CSkinStatic::TextFlags(38), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine);
    EXPECT_EQ(CSkinStatic::TextFlags(273), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip);
    // Vertical placement needs a single line, as in the platform's own layout.
    EXPECT_EQ(CSkinStatic::TextFlags(4 | 8), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(CSkinStatic::TextFlags(32 | 8), Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine);
}

} // namespace
