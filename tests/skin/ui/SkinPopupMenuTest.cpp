#include "ValueControlsFixture.h"

#include "skin/ui/SkinPopupMenu.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

class SkinPopupMenuTest : public ValueControlsFixture {
protected:
    void SetUp() override
    {
        ValueControlsFixture::SetUp();
        for (const char* icon : {"icon_load", "icon_save", "icon_rename"})
            menu.AddImage(manager.Skin()->GetImage("List", icon, &parent), 0xFF00FF);
        menu.AddItem(0, "Load");
        menu.AddItem(1, "Save");
        menu.AddItem(2, "Rename");
    }

    CSkinPopupMenu menu{"PopupMenu", manager};
};

TEST_F(SkinPopupMenuTest, ItemsAreTheirTextPlus22WideAnd20High)
{
    const QFontMetrics metrics(menu.font());
    ASSERT_LT(metrics.height(), 16); // 12-pixel text
    EXPECT_EQ(menu.ItemSize("Rename"), QSize(metrics.horizontalAdvance("Rename") + 22, 20));
    menu.popup(QPoint(40, 40));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    const QList<QAction*> items = menu.actions();
    const QRect first = menu.actionGeometry(items[0]);
    EXPECT_EQ(first.size(), QSize(menu.ItemSize("Rename").width(), 20));
    EXPECT_EQ(menu.actionGeometry(items[2]).top(), first.top() + 40);
    menu.hide();
}

TEST_F(SkinPopupMenuTest, TallTextMakesItemsFourPixelsTallerThanIt)
{
    QFont big = menu.font();
    big.setPixelSize(24);
    menu.setFont(big);
    EXPECT_EQ(menu.ItemSize("Save").height(), QFontMetrics(big).height() + 4);
}

TEST_F(SkinPopupMenuTest, TheKeyboardChoosesAnItemAndExecReturnsItsCommand)
{
    QSignalSpy chosen(&menu, &CSkinPopupMenu::CommandChosen);
    QTimer::singleShot(0, &menu, [this] {
        QTest::keyClick(&menu, Qt::Key_Down);
        QTest::keyClick(&menu, Qt::Key_Down);
        SaveGrab(menu, "popup");
        QTest::keyClick(&menu, Qt::Key_Return);
    });
    EXPECT_EQ(menu.Exec(QPoint(40, 40)), 1);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.front().front().toInt(), 1);
}

TEST_F(SkinPopupMenuTest, EscapeDismissesWithCommandZero)
{
    QTimer::singleShot(0, &menu, [this] { QTest::keyClick(&menu, Qt::Key_Escape); });
    EXPECT_EQ(menu.Exec(QPoint(40, 40)), 0);
}

TEST_F(SkinPopupMenuTest, TheHighlightStartsRightOfTheIconColumn)
{
    menu.popup(QPoint(40, 40));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    menu.setActiveAction(menu.actions()[1]);
    const QImage picture = menu.grab().toImage();
    const CSkinPopupMenu::Colours& colours = menu.ItemColours();
    const QRect item = menu.actionGeometry(menu.actions()[1]);
    EXPECT_EQ(QColor(picture.pixel(item.left() + 19, item.bottom())), colours.selected);
    EXPECT_EQ(QColor(picture.pixel(item.left() + 18, item.bottom())), colours.background);
    EXPECT_EQ(QColor(picture.pixel(item.right(), item.top())), colours.selected);
    const QRect other = menu.actionGeometry(menu.actions()[2]);
    EXPECT_EQ(QColor(picture.pixel(other.right(), other.bottom())), colours.background);
    // The item's own image sits at (2, 0) in the item.
    const QImage save = manager.Skin()->GetImage("List", "icon_save", &parent).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(picture.pixel(item.topLeft() + QPoint(2 + 8, 8)), save.pixel(8, 8));
    menu.hide();
}

} // namespace
