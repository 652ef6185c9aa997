#include "SkinControlsFixture.h"

#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinWnd.h"

#include <QTest>

using namespace skinui;

namespace {

class SkinEditTest : public ShippedSkin {
protected:
    void SetUp() override
    {
        ShippedSkin::SetUp();
        panel.Create(&top);
        port.Create(&panel, 110);
        host.Create(&panel, 111);
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    }

    QWidget top;
    CSkinWnd panel{"Settings", manager};
    CSkinEdit port{"SettingsPort", manager};
    CSkinEdit host{"SettingsHost", manager};
};

TEST_F(SkinEditTest, TakesPlaceColoursAndFontFromTheSkin)
{
    EXPECT_EQ(port.geometry(), QRect(416, 84, 108, 22));
    EXPECT_EQ(ControlId(&port), 110);
    EXPECT_EQ(port.palette().color(QPalette::Base), QColor(0x16, 0x18, 0x1D));
    EXPECT_EQ(port.palette().color(QPalette::Text), QColor(0xE4, 0xE7, 0xEB));
    EXPECT_EQ(port.font().pixelSize(), 12);
    // The field is filled with the skin's background colour.
    EXPECT_EQ(port.grab().toImage().pixelColor(port.width() - 5, port.height() / 2), QColor(0x16, 0x18, 0x1D));
}

TEST_F(SkinEditTest, DigitsOnlyTakesDigitsUpToTheMaximumLength)
{
    port.SetDigitsOnly(true);
    port.setMaxLength(5);
    port.setFocus();
    QTest::keyClicks(&port, "1a2-3 4b567");
    EXPECT_EQ(port.text(), "12345");
    port.SetDigitsOnly(false);
    port.clear();
    QTest::keyClicks(&port, "a1");
    EXPECT_EQ(port.text(), "a1");
}

TEST_F(SkinEditTest, TabMovesTheFocusBetweenEditsAndMarksIt)
{
    port.setFocus();
    ASSERT_TRUE(port.hasFocus());
    const QImage unfocused = host.grab().toImage();
    QTest::keyClick(&port, Qt::Key_Tab);
    EXPECT_TRUE(host.hasFocus());
    EXPECT_NE(host.grab().toImage(), unfocused);
}

} // namespace
