// The skinned controls on a screen with two device pixels per logical pixel,
// and on the move to a plain screen. The program's main sets up two offscreen
// screens: "wide" at device pixel ratio 2 (at the origin, where windows open)
// and "plain" at 1.
#include "SkinControlsFixture.h"

#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinWnd.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

using namespace skinui;

namespace {

QScreen* ScreenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name)
            return screen;
    return nullptr;
}

// Every pixel of `shape` (logical) in the grab of a widget at `scale` equals
// the face's own device pixel there; the number of pixels compared.
int ExpectFacePixels(const QImage& shown, const QImage& face, const QRegion& shape, int scale)
{
    int compared = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            if (!shape.contains(QPoint(x / scale, y / scale)))
                continue;
            if (shown.pixel(x, y) != face.pixel(x, y)) {
                ADD_FAILURE() << "device pixel " << x << ',' << y;
                return compared;
            }
            ++compared;
        }
    return compared;
}

class HiDpiShipped : public ShippedSkin {
protected:
    void SetUp() override
    {
        ShippedSkin::SetUp();
        QScreen* wide = ScreenNamed("wide");
        ASSERT_NE(wide, nullptr);
        window.setScreen(wide);
        window.Create();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_EQ(window.devicePixelRatio(), 2);
    }

    CSkinWnd window{"DlgMain", manager};
};

TEST_F(HiDpiShipped, ButtonShowsTheTwinOfItsFacePixelForPixel)
{
    CSkinButton button("BtnMinimize", manager);
    button.Create(&window, 1001);
    // Only the twins were read.
    EXPECT_TRUE(manager.Skin()->IsImageLoaded("BtnMinimize", "up", 2));
    EXPECT_FALSE(manager.Skin()->IsImageLoaded("BtnMinimize", "up"));
    const QImage twin = manager.Skin()->GetImage("BtnMinimize", "up", nullptr, 2);
    ASSERT_EQ(twin.devicePixelRatio(), 2.0);
    // Geometry stays logical: the button has the size of the face at scale 1.
    const QImage plain = manager.Skin()->GetImage("BtnMinimize", "up", nullptr);
    EXPECT_EQ(button.size(), plain.size());
    const QImage shown = button.grab().toImage();
    ASSERT_EQ(shown.size(), twin.size());
    EXPECT_GT(ExpectFacePixels(shown, twin, button.Shape(), 2), twin.width() * twin.height() / 2);
    EXPECT_TRUE(errors.texts.empty());
}

TEST_F(HiDpiShipped, WindowHasTheLogicalSizeAndItsTwinBackground)
{
    const QImage twin = manager.Skin()->GetImage("DlgMain", "background", nullptr, 2);
    EXPECT_EQ(window.size(), QSize(783, 470));
    const QImage shown = window.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(1566, 940));
    EXPECT_GT(ExpectFacePixels(shown, twin, window.mask(), 2), 1566 * 900);
}

TEST_F(HiDpiShipped, AMoveToAPlainScreenTakesTheFacesAtScaleOne)
{
    QScreen* plainScreen = ScreenNamed("plain");
    ASSERT_NE(plainScreen, nullptr);
    CSkinButton button("BtnMinimize", manager);
    button.Create(&window, 1001);
    window.windowHandle()->setScreen(plainScreen);
    ASSERT_EQ(window.devicePixelRatio(), 1);
    const QImage plain = manager.Skin()->GetImage("BtnMinimize", "up", nullptr);
    const QImage shown = button.grab().toImage();
    ASSERT_EQ(shown.size(), plain.size());
    EXPECT_GT(ExpectFacePixels(shown, plain, button.Shape(), 1), plain.width() * plain.height() / 2);
    EXPECT_EQ(button.Shape(), RegionFromBitmap(plain, 0xFF00FF));

    // And back again.
    window.windowHandle()->setScreen(ScreenNamed("wide"));
    const QImage twin = manager.Skin()->GetImage("BtnMinimize", "up", nullptr, 2);
    EXPECT_EQ(button.grab().toImage().size(), twin.size());
    EXPECT_GT(ExpectFacePixels(button.grab().toImage(), twin, button.Shape(), 2), 0);
}

class HiDpiLoose : public LooseSkin {};

TEST_F(HiDpiLoose, ASkinWithoutTwinsDrawsItsFacesScaledUpWithoutAnError)
{
    QImage up = Filled({30, 20}, QColor(10, 200, 10));
    for (int y = 0; y < 20; ++y)
        up.setPixelColor(0, y, Qt::magenta);
    Bitmap("Up.bmp", up);
    Write("IMAGE(Btn::up, \"Up.bmp\")\nLONG(Btn::offset_left, 20)\nLONG(Btn::offset_top, 10)\n"
          "LONG(Btn::bkcolormask, \"#FF00FF\")\n");
    Load();
    QWidget window;
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CSkinButton button("Btn", manager);
    button.Create(&window, 1001);
    EXPECT_EQ(button.geometry(), QRect(20, 10, 30, 20));
    EXPECT_EQ(button.Shape(), QRegion(1, 0, 29, 20));
    const QImage shown = button.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(60, 40));
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(10, 200, 10));
    EXPECT_EQ(shown.pixelColor(59, 39), QColor(10, 200, 10));
    EXPECT_TRUE(errors.texts.empty()) << Errors();
}

} // namespace
