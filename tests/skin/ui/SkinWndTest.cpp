#include "SkinControlsFixture.h"

#include "skin/ui/SkinStatic.h"
#include "skin/ui/SkinWnd.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using namespace skinui;

namespace {

class SkinWndShipped : public ShippedSkin {};

TEST_F(SkinWndShipped, MainWindowTakesItsFaceSizeShapeAndCaption)
{
    CSkinWnd window("DlgMain", manager);
    window.Create();
    EXPECT_EQ(window.size(), QSize(783, 470));
    EXPECT_FALSE(window.IsEmbedded());
    EXPECT_TRUE(window.isWindow());
    EXPECT_EQ(window.windowTitle(), "Vexlor Remote");
    EXPECT_EQ(window.accessibleName(), "Vexlor Remote");
    // The corners are cut out in the mask colour; the middle is solid.
    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(window.mask().contains(QPoint(391, 235)));
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
    EXPECT_TRUE(errors.texts.empty());
}

TEST_F(SkinWndShipped, PanelMakesTheLabelsItsSkinNames)
{
    QWidget page;
    CSkinWnd settings("Settings", manager);
    settings.Create(&page);
    EXPECT_TRUE(settings.IsEmbedded());
    ASSERT_EQ(settings.Statics().size(), 6u);  // caption, host, port, lock code, profile name, reconnect
    EXPECT_EQ(settings.Statics()[0]->Element(), "SettingsCaption");
    EXPECT_EQ(settings.Statics()[0]->Text(), "Connection");
    EXPECT_EQ(ControlId(settings.Statics()[0].get()), 101);
    EXPECT_EQ(ControlId(settings.Statics()[3].get()), 104);
    ASSERT_NE(settings.Static("SetStaticPort"), nullptr);
    EXPECT_EQ(settings.Static("SetStaticPort")->geometry(), QRect(332, 84, 76, 22));
    EXPECT_EQ(settings.Static("Nothing"), nullptr);
}

class SkinWndLoose : public LooseSkin {
protected:
    void WriteWindow(const std::string& keys, QSize face = {60, 40})
    {
        QImage image = Filled(face, Qt::darkGray);
        image.setPixelColor(0, 0, Qt::black);
        image.setPixelColor(1, 0, Qt::magenta);
        Bitmap("Face.bmp", image);
        Write("IMAGE(Wnd::background, \"Face.bmp\")\n" + keys);
    }
};

TEST_F(SkinWndLoose, MissingMaskColourCutsOutBlack)
{
    WriteWindow("LONG(Wnd::offset_left, 30)\nLONG(Wnd::offset_top, 20)\n");
    Load();
    CSkinWnd window("Wnd", manager);
    window.Create();
    EXPECT_EQ(window.pos(), QPoint(30, 20));
    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(window.mask().contains(QPoint(1, 0)));
}

// Qt shows a window whole when its mask is empty; a face that is nothing but
// mask colour must show nothing instead.
TEST_F(SkinWndLoose, AFaceAllInTheMaskColourShowsNothing)
{
    Bitmap("Face.bmp", Filled({60, 40}, Qt::black));
    Write("IMAGE(Wnd::background, \"Face.bmp\")\n");
    Load();
    CSkinWnd window("Wnd", manager);
    window.Create();
    ASSERT_EQ(window.size(), QSize(60, 40));
    EXPECT_FALSE(window.mask().isEmpty());
    EXPECT_TRUE(window.mask().intersected(window.rect()).isEmpty());
}

TEST_F(SkinWndLoose, OpacityIsWhatTheTransparencyLeaves)
{
    WriteWindow("LONG(Wnd::transparency, 128)\nLONG(Wnd::bkcolormask, \"#FF00FF\")\n");
    Load();
    CSkinWnd window("Wnd", manager);
    window.Create();
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 127 / 255.0);
    EXPECT_TRUE(window.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(window.mask().contains(QPoint(1, 0)));
}

TEST_F(SkinWndLoose, LabelsTakeTheFirstFreeIdentifiers)
{
    WriteWindow("STRING(Wnd::statics, \"One;Two\")\n");
    Load();
    CSkinWnd window("Wnd", manager);
    QWidget existing(&window);
    SetControlId(&existing, 101);
    window.Create();
    ASSERT_EQ(window.Statics().size(), 2u);
    EXPECT_EQ(ControlId(window.Statics()[0].get()), 102);
    EXPECT_EQ(ControlId(window.Statics()[1].get()), 103);
}

TEST_F(SkinWndLoose, NewSkinReshapesTheWindowAndKeepsOneSetOfLabels)
{
    WriteWindow("STRING(Wnd::statics, \"One;;Two\")\n");
    Load();
    CSkinWnd window("Wnd", manager);
    window.Create();
    ASSERT_EQ(window.Statics().size(), 3u); // the empty name between two ";" is a label too
    const CSkinStatic* first = window.Statics()[0].get();

    Bitmap("Face.bmp", Filled({90, 70}, Qt::gray), "Other");
    Write("IMAGE(Wnd::background, \"Face.bmp\")\nLONG(Wnd::offset_left, 5)\nSTRING(Wnd::statics, \"One;;Two\")\n",
          "Other");
    Load("Other");
    EXPECT_EQ(window.geometry(), QRect(5, 0, 90, 70));
    EXPECT_TRUE(window.mask().contains(QPoint(0, 0)));
    ASSERT_EQ(window.Statics().size(), 3u);
    EXPECT_EQ(window.Statics()[0].get(), first);
    EXPECT_EQ(window.findChildren<CSkinStatic*>().size(), 3);
}

TEST_F(SkinWndLoose, TopLevelWindowFollowsTheDragExactly)
{
    WriteWindow("LONG(Wnd::offset_left, 100)\nLONG(Wnd::offset_top, 100)\n");
    Load();
    CSkinWnd window("Wnd", manager);
    window.Create();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(&window, QPoint(30, 25));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(30, 25));
    EXPECT_EQ(window.pos(), QPoint(110, 105));
    // Without the button held, moving does nothing.
    QTest::mouseMove(&window, QPoint(40, 40));
    EXPECT_EQ(window.pos(), QPoint(110, 105));
}

TEST_F(SkinWndLoose, EmbeddedWindowIgnoresDrags)
{
    WriteWindow("LONG(Wnd::offset_left, 10)\nLONG(Wnd::offset_top, 10)\n");
    Load();
    QWidget top;
    top.resize(200, 200);
    CSkinWnd panel("Wnd", manager);
    panel.Create(&top);
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(&panel, QPoint(40, 30));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(panel.pos(), QPoint(10, 10));
    EXPECT_EQ(top.pos(), QPoint(0, 0));
}

TEST_F(SkinWndLoose, RunModalReturnsTheResultItEndsWith)
{
    WriteWindow("");
    Load();
    CSkinWnd owner("Wnd", manager);
    owner.Create();
    CSkinWnd dialog("Wnd", manager);
    bool wasModal = false;
    QTimer::singleShot(0, &dialog, [&] {
        wasModal = QApplication::activeModalWidget() == &dialog;
        dialog.EndModal(7);
    });
    EXPECT_EQ(dialog.RunModal(&owner), 7);
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(dialog.isWindow());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(SkinWndLoose, ClosingAModalWindowEndsItsLoopWithZero)
{
    WriteWindow("");
    Load();
    CSkinWnd dialog("Wnd", manager);
    QTimer::singleShot(0, &dialog, [&] { dialog.close(); });
    EXPECT_EQ(dialog.RunModal(), 0);
}

} // namespace
