#include "SkinControlsFixture.h"

#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinButtonGroup.h"
#include "skin/ui/SkinWnd.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

using namespace skinui;

namespace {

// Records OnSelect calls.
class RecordingGroup : public CSkinButtonGroup {
public:
    using CSkinButtonGroup::CSkinButtonGroup;
    std::vector<int> selected;

protected:
    void OnSelect(int index) override { selected.push_back(index); }
};

class SkinButtonGroupTest : public ShippedSkin {
protected:
    void SetUp() override
    {
        ShippedSkin::SetUp();
        page.Create(&top);
        group.Create(&page, 42, QPoint(10, 20));
        top.resize(800, 500);
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    }

    // The measure the group lays out by: the widest caption plus the button margins.
    QSize Widest(const QStringList& captions)
    {
        CSkinButton probe("Button", manager);
        probe.Create(&top, 1);
        QSize widest;
        for (const QString& caption : captions)
            if (probe.GetTextSize(caption).width() > widest.width())
                widest = probe.GetTextSize(caption);
        return widest;
    }

    bool WaitForNotifications(QSignalSpy& spy, int count)
    {
        return QTest::qWaitFor([&] { return spy.count() == count; }, 2000);
    }

    QWidget top;
    CSkinWnd page{"PPage", manager};
    RecordingGroup group{"ConnectGroup", manager};
};

TEST_F(SkinButtonGroupTest, CaptionsThatFitMakeOneRowOfEqualButtons)
{
    // ConnectGroup: 300 x 56 at (16, 40), buttons inside margins 6, 18, 6, 6.
    EXPECT_EQ(group.geometry(), QRect(26, 60, 300, 56));
    group.SetButtons({"A", "B", "C"});
    ASSERT_GE(96, Widest({"A", "B", "C"}).width());
    EXPECT_EQ(group.Columns(), 3);
    EXPECT_EQ(group.Rows(), 1);
    EXPECT_EQ(group.size(), QSize(3 * 96 + 12, 56));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(group.Button(i)->geometry(), QRect(6 + i * 96 + 1, 18 + 1, 95, 31));
        EXPECT_EQ(ControlId(group.Button(i)), CSkinButtonGroup::kFirstButtonId + i);
        EXPECT_EQ(group.Button(i)->text(), QString(QChar('A' + i)));
    }
    EXPECT_EQ(group.GetSelected(), -1);
    EXPECT_EQ(group.accessibleName(), "Interface");
}

TEST_F(SkinButtonGroupTest, WideCaptionsTakeFewerColumnsAndGrowTheGroupByRows)
{
    const QStringList captions = {"Ethernet (UDP)", "COM1", "COM2", "COM3", "COM5"};
    const QSize widest = Widest(captions);
    ASSERT_LT(288 / 5, widest.width());
    group.SetButtons(captions);
    const int columns = 288 / widest.width();
    const int rows = (5 + columns - 1) / columns;
    const int rowHeight = std::max(32, widest.height());
    EXPECT_EQ(group.Columns(), columns);
    EXPECT_EQ(group.Rows(), rows);
    EXPECT_GT(rows, 1);
    EXPECT_EQ(group.size(), QSize(columns * (288 / columns) + 12, rows * rowHeight + 24));
    EXPECT_EQ(group.Button(columns)->geometry().topLeft(), QPoint(7, 18 + rowHeight + 1));
    // A second list replaces the first and starts again from the skin's size.
    group.SetButtons({"On", "Off"});
    EXPECT_EQ(group.ButtonCount(), 2);
    EXPECT_EQ(group.findChildren<CSkinButton*>().size(), 2);
    EXPECT_EQ(group.size(), QSize(300, 56));
}

TEST_F(SkinButtonGroupTest, PagePlacedGroupWithoutHeightTakesRowsAsHighAsTheCaptions)
{
    const QStringList captions = {"Flat", "50 us", "75 us", "J.17", "Custom"};
    group.Place(QRect(100, 50, 150, -1));
    group.SetButtons(captions);
    const QSize widest = Widest(captions);
    const int columns = 138 / widest.width();
    const int rows = (5 + columns - 1) / columns;
    EXPECT_EQ(group.geometry(), QRect(100, 50, columns * (138 / columns) + 12, rows * widest.height() + 24));
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    EXPECT_EQ(group.geometry().topLeft(), QPoint(100, 50));
    EXPECT_EQ(group.Rows(), rows);
}

TEST_F(SkinButtonGroupTest, GeometryAndTitleSetTheQtWayCountAsPlacedAndSurviveANewSkin)
{
    group.setGeometry(40, 30, 150, group.height());
    group.setWindowTitle("Clipper");
    group.SetButtons({"Off", "Soft", "Hard", "Brick wall"});
    const QSize widest = Widest({"Off", "Soft", "Hard", "Brick wall"});
    const int columns = std::min(4, 138 / widest.width());
    EXPECT_EQ(group.Columns(), columns);
    EXPECT_EQ(group.width(), columns * (138 / columns) + 12);
    const QRect laidOut = group.geometry();
    group.SetButtons({"Off", "Soft", "Hard", "Brick wall"}); // the same list again: no growth
    EXPECT_EQ(group.geometry(), laidOut);
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    EXPECT_EQ(group.geometry(), laidOut);
    EXPECT_EQ(group.windowTitle(), "Clipper");
    EXPECT_EQ(group.accessibleName(), "Clipper");
    group.setGeometry(0, 0, 0, 0); // a hidden item
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    EXPECT_EQ(group.size(), QSize(0, 0));
}

TEST_F(SkinButtonGroupTest, MarginsWiderThanTheGroupStillGiveOneColumnOfButtons)
{
    group.Place(QRect(0, 0, 10, -1));
    group.SetButtons({"A", "B"});
    EXPECT_EQ(group.Columns(), 1);
    EXPECT_EQ(group.Rows(), 2);
    EXPECT_EQ(group.Button(1)->width(), 0);
    group.SetButtons({"", ""}); // nothing to measure
    EXPECT_EQ(group.ButtonCount(), 2);
    group.Place(QRect()); // a hidden item
    EXPECT_EQ(group.size(), QSize(0, 0));
}

TEST_F(SkinButtonGroupTest, ClickingANewChoiceNotifiesOnceAndClearsTheOldOne)
{
    QSignalSpy notes(&group, &CSkinButtonGroup::Notify);
    group.SetButtons({"A", "B", "C"});
    group.Select(0);
    EXPECT_TRUE(group.Button(0)->IsStuck());
    QTest::mouseClick(group.Button(1), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(group.selected, std::vector<int>{1});
    EXPECT_EQ(notes.count(), 0); // posted, not sent
    ASSERT_TRUE(WaitForNotifications(notes, 1));
    EXPECT_EQ(notes[0][0].toInt(), 42);
    EXPECT_EQ(notes[0][1].toInt(), 1);
    EXPECT_EQ(group.GetSelected(), 1);
    EXPECT_FALSE(group.Button(0)->IsStuck());
    EXPECT_TRUE(group.Button(1)->IsStuck());
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(group.Button(1))->state().checked);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(group.Button(2))->state().checkable);

    QTest::mouseClick(group.Button(1), Qt::LeftButton, {}, QPoint(10, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(notes.count(), 1);
    EXPECT_EQ(group.selected.size(), 1u);
}

TEST_F(SkinButtonGroupTest, SelectDoesNotNotify)
{
    QSignalSpy notes(&group, &CSkinButtonGroup::Notify);
    group.SetButtons({"A", "B"});
    group.Select(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(group.GetSelected(), 1);
    EXPECT_TRUE(group.selected.empty());
    EXPECT_EQ(notes.count(), 0);
    group.Select(5);
    EXPECT_EQ(group.GetSelected(), -1);
    EXPECT_FALSE(group.Button(1)->IsStuck());
}

TEST_F(SkinButtonGroupTest, TabReachesTheChoiceAndArrowKeysMoveIt)
{
    QSignalSpy notes(&group, &CSkinButtonGroup::Notify);
    group.SetButtons({"A", "B", "C"});
    group.Select(1);
    page.setFocus();
    QTest::keyClick(&page, Qt::Key_Tab);
    ASSERT_TRUE(group.Button(1)->hasFocus());
    QTest::keyClick(group.Button(1), Qt::Key_Right);
    EXPECT_EQ(group.GetSelected(), 2);
    EXPECT_TRUE(group.Button(2)->hasFocus());
    QTest::keyClick(group.Button(2), Qt::Key_Right); // at the end: stays
    QTest::keyClick(group.Button(2), Qt::Key_Home);
    EXPECT_EQ(group.GetSelected(), 0);
    ASSERT_TRUE(WaitForNotifications(notes, 2));
    EXPECT_EQ(notes[1][1].toInt(), 0);
    EXPECT_EQ(group.Button(0)->focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(group.Button(2)->focusPolicy(), Qt::NoFocus);
}

TEST_F(SkinButtonGroupTest, DisablingTheGroupDisablesItsButtonsAndFrame)
{
    group.SetButtons({"A", "B"});
    group.Select(0);
    const QImage enabled = group.grab().toImage();
    group.setEnabled(false);
    EXPECT_EQ(group.Button(0)->CurrentFace(), CSkinButton::Face::DownDisabled);
    EXPECT_EQ(group.Button(1)->CurrentFace(), CSkinButton::Face::Disabled);
    EXPECT_NE(group.grab().toImage(), enabled);
}

TEST_F(SkinButtonGroupTest, NewSkinKeepsTheLayoutAndTheChoice)
{
    group.SetButtons({"Ethernet (UDP)", "COM1", "COM2", "COM3", "COM5"});
    group.Select(3);
    const QRect before = group.Button(3)->geometry();
    const QSize size = group.size();
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    EXPECT_EQ(group.Button(3)->geometry(), before);
    EXPECT_EQ(group.size(), size);
    EXPECT_EQ(group.pos(), QPoint(26, 60));
    EXPECT_EQ(group.GetSelected(), 3);
    EXPECT_TRUE(group.Button(3)->IsStuck());
}

} // namespace

namespace {

TEST_F(SkinButtonGroupTest, DrawsItsCaptionAboveTheButtonsAndItsOwnDisabledFace)
{
    group.Place(QRect(10, 20, 300, -1));
    group.SetButtons({"One", "Two"});
    const QRect band(0, 0, group.width(), group.Button(0)->y());
    const QRect bottom(10, group.height() - 5, group.width() - 20, 4);
    ASSERT_GT(band.height(), 4);
    const auto part = [&](const QRect& r) { return group.grab().toImage().copy(r); };

    group.setWindowTitle(QString());
    const QImage untitled = part(band);
    group.setWindowTitle("Mode");
    EXPECT_FALSE(SamePixels(part(band), untitled));
    SaveGrab(group, "group-caption");

    const QImage enabled = part(bottom);
    group.setEnabled(false);
    EXPECT_FALSE(SamePixels(part(bottom), enabled));
    SaveGrab(group, "group-disabled");
}

} // namespace
