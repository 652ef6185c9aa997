#include "SkinControlsFixture.h"

#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinButtonGroup.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinSlider.h"
#include "skin/ui/SkinSpin.h"
#include "skin/ui/SkinStatic.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace {

QImage Pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 9 + 1, y * 11 + 2, (x * 5 + y * 3) & 0xFF));
    return image;
}

} // namespace

// Resize lines come from the skin file as any 32-bit number. Past the edges of
// the bitmap every further step changes nothing, so the extremes must draw
// exactly what the nearest lines beyond the edges draw.
TEST(StretchLimits, ExtremeResizeLinesDrawLikeLinesJustPastTheEdges)
{
    const QImage source = Pattern(20, 10);
    for (const QSize target : {QSize(50, 30), QSize(12, 6)}) {
        const int far = std::max(source.width(), target.width()) + 5;
        const int farY = std::max(source.height(), target.height()) + 5;
        EXPECT_EQ(StretchByResizeLines(source, INT_MAX, 4, target.width(), target.height()),
                  StretchByResizeLines(source, far, 4, target.width(), target.height()));
        EXPECT_EQ(StretchByResizeLines(source, INT_MIN, 4, target.width(), target.height()),
                  StretchByResizeLines(source, -5, 4, target.width(), target.height()));
        EXPECT_EQ(StretchByResizeLines(source, 7, INT_MAX, target.width(), target.height()),
                  StretchByResizeLines(source, 7, farY, target.width(), target.height()));
        EXPECT_EQ(StretchByResizeLines(source, 7, INT_MIN, target.width(), target.height()),
                  StretchByResizeLines(source, 7, -5, target.width(), target.height()));
    }
}

namespace {

class HostileSkinNumbers : public skinui::LooseSkin {};

bool Sane(const QRect& rect)
{
    constexpr int kFar = 1 << 18;
    return std::abs(rect.left()) < kFar && std::abs(rect.top()) < kFar && std::abs(rect.width()) < kFar &&
           std::abs(rect.height()) < kFar;
}

} // namespace

// Skin numbers are any 32-bit value (larger ones are clamped to it by the
// parser): offsets, margins and font sizes at the extremes still give places
// and sizes on the screen, with no arithmetic overflowing on the way.
TEST_F(HostileSkinNumbers, ExtremeOffsetsMarginsAndFontSizesStayOnTheScreen)
{
    Bitmap("Face.bmp", skinui::Filled({16, 40}, Qt::darkGray));
    std::string ini;
    for (const char* element : {"Slider", "Spin", "Group", "Btn"})
        for (const char* image : {"background", "down", "up", "thumb_disabled", "up_up", "down_up"})
            ini += std::string("IMAGE(") + element + "::" + image + ", \"Face.bmp\")\n";
    const char* far[] = {"-9999999999", "9999999999"};
    int i = 0;
    for (const char* key : {"Label::font_height", "Label::font_width", "Slider::thumb_center", "Slider::offset_top",
                            "Slider::offset_bottom", "Spin::up_ofs_right", "Spin::down_ofs_right", "Spin::up_ofs_top",
                            "Spin::down_ofs_bottom", "Group::buttons_ofs_left", "Group::buttons_ofs_top",
                            "Group::buttons_ofs_right", "Group::buttons_ofs_bottom", "Button::x_margin",
                            "Button::y_margin"})
        ini += std::string("LONG(") + key + ", " + far[i++ % 2] + ")\n";
    Write(ini);
    Load();

    QWidget parent;
    CSkinStatic label("Label", manager);
    label.Create(&parent, 1);
    EXPECT_EQ(SkinFont(label).pixelSize(), 200);

    CSkinSlider slider("Slider", manager);
    slider.Create(&parent, 2);
    slider.setGeometry(0, 0, 40, 200);
    slider.setRange(0, 10);
    for (const int value : {0, 5, 10}) {
        slider.setValue(value);
        EXPECT_TRUE(Sane(slider.ThumbRect())) << value;
    }

    CSkinSpin spin("Spin", manager);
    spin.Create(&parent, 3);
    spin.Place(QRect(0, 0, 60, 20));
    EXPECT_TRUE(Sane(spin.UpRect()));
    EXPECT_TRUE(Sane(spin.DownRect()));

    CSkinButtonGroup group("Group", manager);
    group.Create(&parent, 0);
    group.Place(QRect(0, 0, 100, -1));
    group.SetButtons({"A", "B"});
    EXPECT_TRUE(Sane(group.geometry()));
    for (int b = 0; b < group.ButtonCount(); ++b)
        EXPECT_TRUE(Sane(group.ButtonRect(b))) << b;
}
