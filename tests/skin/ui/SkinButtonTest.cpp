#include "SkinControlsFixture.h"

#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinWnd.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

using namespace skinui;
using Face = CSkinButton::Face;

namespace {

class SkinButtonShipped : public ShippedSkin {
protected:
    void SetUp() override
    {
        ShippedSkin::SetUp();
        window.Create();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    CSkinWnd window{"DlgMain", manager};
};

TEST_F(SkinButtonShipped, ShowsItsUpFaceExactlyInsideItsShape)
{
    CSkinButton button("BtnMinimize", manager);
    button.Create(&window, 1001);
    const QImage up = manager.Skin()->GetImage("BtnMinimize", "up", &button);
    ASSERT_EQ(button.geometry(), QRect(QPoint(717, 12), up.size()));
    const QImage shown = button.grab().toImage();
    const QRegion shape = RegionFromBitmap(up, 0xFF00FF);
    ASSERT_EQ(button.Shape(), shape);
    int compared = 0;
    for (int y = 0; y < up.height(); ++y)
        for (int x = 0; x < up.width(); ++x)
            if (shape.contains(QPoint(x, y))) {
                ASSERT_EQ(shown.pixel(x, y), up.pixel(x, y)) << x << ',' << y;
                ++compared;
            }
    EXPECT_GT(compared, up.width() * up.height() / 2);
}

TEST_F(SkinButtonShipped, CaptionOrTipNamesTheButton)
{
    CSkinButton connect("BtnConnect", manager);
    connect.Create(&window, 1001);
    CSkinButton load("PresetIconLoad", manager);
    load.Create(&window, 1002);
    EXPECT_EQ(connect.text(), "Connect");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&connect)->text(QAccessible::Name), "Connect");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&load)->text(QAccessible::Name), "Load preset");
    EXPECT_EQ(load.toolTip(), "Load preset");
    // Switching the element takes the other caption at once.
    connect.SetElement("BtnDisconnect");
    EXPECT_EQ(connect.text(), "Disconnect");
}

TEST_F(SkinButtonShipped, SpaceAndEnterPressTheFocusedButtonAndTheFocusIsMarked)
{
    CSkinButton a("BtnA", manager);
    a.Create(&window, 1001);
    CSkinButton b("BtnB", manager);
    b.Create(&window, 1002);
    QSignalSpy clicks(&b, &QAbstractButton::clicked);
    a.setFocus();
    const QImage unfocused = b.grab().toImage();
    QTest::keyClick(&a, Qt::Key_Tab);
    ASSERT_TRUE(b.hasFocus());
    EXPECT_NE(b.grab().toImage(), unfocused);
    QTest::keyClick(&b, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(b.IsStuck()); // BtnB sticks
    QTest::keyClick(&b, Qt::Key_Return);
    EXPECT_TRUE(clicks.wait(2000));
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(SkinButtonShipped, TextSizeAddsTheSkinMargins)
{
    CSkinButton button("Button", manager);
    button.Create(&window, 1001);
    const QFontMetrics metrics(button.font());
    EXPECT_EQ(button.GetTextSize("Ethernet"), QSize(metrics.horizontalAdvance("Ethernet") + 16, metrics.height() + 8));
}

// Buttons of element "Btn" with distinct plain faces, on a plain window.
class SkinButtonLoose : public LooseSkin {
protected:
    void WriteButton(const std::string& keys, bool withDisabled = true)
    {
        QImage up = Filled({30, 20}, QColor(10, 10, 10));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 5; ++x)
                up.setPixelColor(x, y, Qt::magenta); // a cut-out strip on the left
        for (int x = 5; x < 30; ++x)
            up.setPixelColor(x, 0, QColor(x * 8, 100, 0)); // a graded top edge
        Bitmap("Up.bmp", up);
        Bitmap("Down.bmp", Filled({30, 20}, QColor(20, 20, 20)));
        Bitmap("Over.bmp", Filled({30, 20}, QColor(30, 30, 30)));
        std::string faces = "IMAGE(Btn::up, \"Up.bmp\")\nIMAGE(Btn::down, \"Down.bmp\")\nIMAGE(Btn::over, \"Over.bmp\")\n";
        if (withDisabled) {
            Bitmap("Disabled.bmp", Filled({30, 20}, QColor(40, 40, 40)));
            Bitmap("DownDisabled.bmp", Filled({30, 20}, QColor(50, 50, 50)));
            faces += "IMAGE(Btn::disabled, \"Disabled.bmp\")\nIMAGE(Btn::down_disabled, \"DownDisabled.bmp\")\n";
        }
        Write(faces + "LONG(Btn::offset_left, 20)\nLONG(Btn::offset_top, 10)\nLONG(Btn::bkcolormask, \"#FF00FF\")\n"
                      "LONG(Btn::text_color_disabled, \"#010203\")\n"
                      "LONG(Btn::text_color_down_disabled, \"#040506\")\n" +
              keys);
        Load();
        window.resize(200, 100);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        button.Create(&window, 1001);
    }

    QColor Shown() { return button.grab().toImage().pixelColor(15, 10); }

    QWidget window;
    CSkinButton button{"Btn", manager};
};

TEST_F(SkinButtonLoose, WidthZeroTakesTheUpFaceSizeAndAGivenSizeStretchesTheFaces)
{
    WriteButton("LONG(Btn::width, 0)\nLONG(Btn::height, 0)\n");
    EXPECT_EQ(button.geometry(), QRect(20, 10, 30, 20));

    Write("IMAGE(Btn::up, \"Up.bmp\")\nLONG(Btn::width, 100)\nLONG(Btn::height, 20)\n"
          "LONG(Btn::resize_line_x, 12)\nLONG(Btn::resize_line_y, 0)\nLONG(Btn::rgn_rect, 1)\n");
    Load();
    EXPECT_EQ(button.geometry(), QRect(0, 0, 100, 20));
    const QImage up = manager.Skin()->GetImage("Btn", "up", &button);
    const QImage expected = StretchByResizeLines(up, 12, 0, 100, 20);
    EXPECT_TRUE(SamePixels(button.grab().toImage(), expected));
    EXPECT_EQ(button.Shape(), QRegion(0, 0, 100, 20));
}

TEST_F(SkinButtonLoose, AbsurdSkinNumbersGiveABoundedButton)
{
    WriteButton("LONG(Btn::width, 2147483647)\nLONG(Btn::height, -2147483647)\nLONG(Btn::offset_left, -2147483647)\n");
    EXPECT_LE(button.width(), kMaxStretchSide);
    EXPECT_EQ(button.height(), 0);
    EXPECT_GE(button.x(), -(1 << 16));
    button.grab(); // paints without faces
}

TEST_F(SkinButtonLoose, MissingFaceFallsBackToTheStateBeforeIt)
{
    WriteButton("", false);
    EXPECT_EQ(button.FaceImage(Face::Disabled), button.FaceImage(Face::Over));
    EXPECT_EQ(button.FaceImage(Face::DownDisabled), button.FaceImage(Face::Over));
    button.setEnabled(false);
    EXPECT_EQ(Shown(), QColor(30, 30, 30));
}

TEST_F(SkinButtonLoose, HoverOnlyInsideTheShape)
{
    WriteButton("");
    EXPECT_FALSE(button.Shape().contains(QPoint(2, 10)));
    QTest::mouseMove(&window, QPoint(22, 20)); // over the cut-out strip
    EXPECT_FALSE(button.IsHover());
    EXPECT_EQ(button.CurrentFace(), Face::Up);
    QTest::mouseMove(&window, QPoint(35, 20));
    EXPECT_TRUE(button.IsHover());
    EXPECT_EQ(Shown(), QColor(30, 30, 30));
    QTest::mouseMove(&window, QPoint(22, 20));
    EXPECT_FALSE(button.IsHover());
    QTest::mouseMove(&window, QPoint(35, 20));
    QTest::mouseMove(&window, QPoint(150, 80));
    EXPECT_FALSE(button.IsHover());
}

TEST_F(SkinButtonLoose, TipAppearsAfterTheSkinsDelayWhileHoveringAndGoesWithTheMouse)
{
    WriteButton("STRING(Btn::tip, \"Save preset\")\nLONG(Btn::tip_delay, 1)\n");
    EXPECT_EQ(button.accessibleName(), "Save preset");
    QTest::mouseMove(&window, QPoint(35, 20));
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000));
    EXPECT_EQ(QToolTip::text(), "Save preset");
    QTest::mouseMove(&window, QPoint(150, 80));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

TEST_F(SkinButtonLoose, ClicksCountOnlyInsideTheShape)
{
    WriteButton("");
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(2, 10));
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(15, 10));
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(SkinButtonLoose, StickingButtonStaysDownUntilReleasedByTheProgram)
{
    WriteButton("LONG(Btn::stick, 1)\n");
    QTest::mouseMove(&window, QPoint(35, 20));
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(15, 10));
    EXPECT_TRUE(button.IsStuck());
    QTest::mouseMove(&window, QPoint(150, 80));
    EXPECT_EQ(button.CurrentFace(), Face::Down);
    EXPECT_EQ(Shown(), QColor(20, 20, 20));
    button.SetStuck(false);
    button.update();
    EXPECT_EQ(Shown(), QColor(10, 10, 10));
}

TEST_F(SkinButtonLoose, ButtonWithoutStickDoesNotStick)
{
    WriteButton("");
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(15, 10));
    EXPECT_FALSE(button.IsStuck());
    EXPECT_EQ(button.CurrentFace(), Face::Up);
}

TEST_F(SkinButtonLoose, DisabledFacesAndTextColoursFollowTheStuckFlag)
{
    WriteButton("");
    button.setEnabled(false);
    EXPECT_EQ(button.CurrentFace(), Face::Disabled);
    EXPECT_EQ(button.TextColour(Face::Disabled), QColor(1, 2, 3));
    EXPECT_EQ(Shown(), QColor(40, 40, 40));
    button.SetStuck(true);
    EXPECT_EQ(button.CurrentFace(), Face::DownDisabled);
    EXPECT_EQ(button.TextColour(Face::DownDisabled), QColor(4, 5, 6));
    EXPECT_EQ(Shown(), QColor(50, 50, 50));
}

} // namespace
