#include "SkinControlsFixture.h"

#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinButtonGroup.h"
#include "skin/ui/SkinWnd.h"

#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <functional>
#include <memory>

using namespace skinui;

namespace {

using Face = CSkinButton::Face;

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

    // A mouse event at pos in the group.
    void MouseAt(QEvent::Type type, QPoint pos, Qt::MouseButtons buttons, Qt::MouseButton button = Qt::LeftButton)
    {
        QMouseEvent event(type, QPointF(pos), QPointF(group.mapToGlobal(pos)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&group, &event);
    }
    void Click(int index)
    {
        MouseAt(QEvent::MouseButtonPress, group.ButtonRect(index).center(), Qt::LeftButton);
        MouseAt(QEvent::MouseButtonRelease, group.ButtonRect(index).center(), Qt::NoButton);
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
        EXPECT_EQ(group.ButtonRect(i), QRect(6 + i * 96 + 1, 18 + 1, 95, 31));
        EXPECT_EQ(group.ButtonText(i), QString(QChar('A' + i)));
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
    EXPECT_EQ(group.ButtonRect(columns).topLeft(), QPoint(7, 18 + rowHeight + 1));
    // A second list replaces the first and starts again from the skin's size.
    group.SetButtons({"On", "Off"});
    EXPECT_EQ(group.ButtonCount(), 2);
    EXPECT_EQ(group.ButtonText(1), "Off");
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
    EXPECT_EQ(group.ButtonRect(1).width(), 0);
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
    EXPECT_EQ(group.ButtonFace(0), Face::Down);
    Click(1);
    EXPECT_EQ(group.selected, std::vector<int>{1});
    EXPECT_EQ(notes.count(), 0); // posted, not sent
    ASSERT_TRUE(WaitForNotifications(notes, 1));
    EXPECT_EQ(notes[0][0].toInt(), 42);
    EXPECT_EQ(notes[0][1].toInt(), 1);
    EXPECT_EQ(group.GetSelected(), 1);
    EXPECT_EQ(group.ButtonFace(0), Face::Up);
    EXPECT_EQ(group.ButtonFace(1), Face::Down);

    Click(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(notes.count(), 1);
    EXPECT_EQ(group.selected.size(), 1u);
}

// Screen readers see each drawn button as a checkable button with its caption
// and place, the chosen one checked, and can press it.
TEST_F(SkinButtonGroupTest, ScreenReadersSeeEachButtonCheckedOrNotAndCanPressIt)
{
    group.SetButtons({"A", "B", "C"});
    group.Select(0);
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&group);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->text(QAccessible::Name), "Interface");
    ASSERT_EQ(frame->childCount(), 3);
    QAccessibleInterface* b = frame->child(1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(frame->child(1), b);
    EXPECT_EQ(frame->indexOfChild(b), 1);
    EXPECT_EQ(b->parent(), frame);
    EXPECT_EQ(b->text(QAccessible::Name), "B");
    EXPECT_EQ(b->rect(), QRect(group.mapToGlobal(group.ButtonRect(1).topLeft()), group.ButtonRect(1).size()));
    EXPECT_EQ(frame->childAt(b->rect().center().x(), b->rect().center().y()), b);
    EXPECT_TRUE(b->state().checkable);
    EXPECT_FALSE(b->state().checked);
    EXPECT_TRUE(frame->child(0)->state().checked);

    b->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(group.selected, std::vector<int>{1});
    EXPECT_TRUE(b->state().checked);
    EXPECT_FALSE(frame->child(0)->state().checked);
    group.setEnabled(false);
    EXPECT_TRUE(b->state().disabled);
    frame->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(group.GetSelected(), 1);
}

// A button is chosen only by a left press and release on it: off it at the
// release, beside it (the one-pixel gap and the margins) or with the right
// button nothing is chosen. It shows down only while the pointer is on it.
TEST_F(SkinButtonGroupTest, OnlyALeftPressAndReleaseOnOneButtonChoosesIt)
{
    group.SetButtons({"A", "B", "C"});
    const QPoint b = group.ButtonRect(1).center();
    MouseAt(QEvent::MouseButtonPress, b, Qt::LeftButton);
    EXPECT_EQ(group.ButtonFace(1), Face::Down);
    MouseAt(QEvent::MouseMove, group.ButtonRect(2).center(), Qt::LeftButton);
    EXPECT_EQ(group.ButtonFace(1), Face::Up);
    EXPECT_EQ(group.ButtonFace(2), Face::Up); // no hover for another button while one is held
    MouseAt(QEvent::MouseMove, b, Qt::LeftButton);
    EXPECT_EQ(group.ButtonFace(1), Face::Down);
    MouseAt(QEvent::MouseMove, group.ButtonRect(2).center(), Qt::LeftButton);
    MouseAt(QEvent::MouseButtonRelease, group.ButtonRect(2).center(), Qt::NoButton);
    const QPoint gap = group.ButtonRect(1).topLeft() - QPoint(1, 0);
    const QPoint margin(2, 2);
    for (const QPoint& at : {gap, margin}) {
        EXPECT_EQ(group.ButtonAt(at), -1);
        MouseAt(QEvent::MouseButtonPress, at, Qt::LeftButton);
        MouseAt(QEvent::MouseButtonRelease, at, Qt::NoButton);
    }
    MouseAt(QEvent::MouseButtonPress, b, Qt::RightButton, Qt::RightButton);
    MouseAt(QEvent::MouseButtonRelease, b, Qt::NoButton, Qt::RightButton);
    EXPECT_TRUE(group.selected.empty());
    EXPECT_EQ(group.GetSelected(), -1);

    MouseAt(QEvent::MouseButtonPress, group.ButtonRect(2).topLeft(), Qt::LeftButton);
    MouseAt(QEvent::MouseButtonRelease, group.ButtonRect(2).bottomRight(), Qt::NoButton);
    EXPECT_EQ(group.selected, std::vector<int>{2});
}

// The pointer over a button gives it the hover face, until it leaves or clicks.
TEST_F(SkinButtonGroupTest, TheButtonUnderThePointerShowsItsHoverFace)
{
    group.SetButtons({"A", "B", "C"});
    MouseAt(QEvent::MouseMove, group.ButtonRect(2).center(), Qt::NoButton);
    EXPECT_EQ(group.ButtonFace(2), Face::Over);
    EXPECT_EQ(group.ButtonFace(1), Face::Up);
    MouseAt(QEvent::MouseMove, group.ButtonRect(1).center(), Qt::NoButton);
    EXPECT_EQ(group.ButtonFace(2), Face::Up);
    EXPECT_EQ(group.ButtonFace(1), Face::Over);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&group, &leave);
    EXPECT_EQ(group.ButtonFace(1), Face::Up);
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
    EXPECT_EQ(group.ButtonFace(1), Face::Up);
}

TEST_F(SkinButtonGroupTest, TabReachesTheChoiceAndArrowKeysMoveIt)
{
    QSignalSpy notes(&group, &CSkinButtonGroup::Notify);
    group.SetButtons({"A", "B", "C"});
    group.Select(1);
    page.setFocus();
    QTest::keyClick(&page, Qt::Key_Tab);
    ASSERT_TRUE(group.hasFocus());
    EXPECT_EQ(group.FocusIndex(), 1);
    QTest::keyClick(&group, Qt::Key_Right);
    EXPECT_EQ(group.GetSelected(), 2);
    EXPECT_EQ(group.FocusIndex(), 2);
    QTest::keyClick(&group, Qt::Key_Right); // at the end: stays
    QTest::keyClick(&group, Qt::Key_Home);
    EXPECT_EQ(group.GetSelected(), 0);
    ASSERT_TRUE(WaitForNotifications(notes, 2));
    EXPECT_EQ(notes[1][1].toInt(), 0);
    // Coming back by Tab lands on the choice again.
    page.setFocus();
    group.Select(2);
    QTest::keyClick(&page, Qt::Key_Tab);
    ASSERT_TRUE(group.hasFocus());
    EXPECT_EQ(group.FocusIndex(), 2);
}

// Space shows the focused button down and chooses it on the release (Escape
// lets go of it); Enter shows it down briefly, then chooses it.
TEST_F(SkinButtonGroupTest, SpaceAndEnterChooseTheButtonWithTheFocus)
{
    group.SetButtons({"A", "B", "C"});
    group.setFocus(Qt::TabFocusReason);
    ASSERT_EQ(group.FocusIndex(), 0);
    QTest::keyPress(&group, Qt::Key_Space);
    EXPECT_EQ(group.ButtonFace(0), Face::Down);
    EXPECT_TRUE(group.selected.empty());
    QTest::keyClick(&group, Qt::Key_Escape);
    QTest::keyRelease(&group, Qt::Key_Space);
    EXPECT_EQ(group.ButtonFace(0), Face::Up);
    EXPECT_TRUE(group.selected.empty());
    QTest::keyPress(&group, Qt::Key_Space);
    QTest::keyRelease(&group, Qt::Key_Space);
    EXPECT_EQ(group.selected, std::vector<int>{0});

    QTest::keyClick(&group, Qt::Key_Right); // chooses 1
    QTest::keyClick(&group, Qt::Key_Right); // chooses 2
    QTest::keyClick(&group, Qt::Key_Left);  // chooses 1 again
    group.Select(0);                        // the processor reports 0
    QTest::keyClick(&group, Qt::Key_Return);
    EXPECT_EQ(group.ButtonFace(1), Face::Down);
    EXPECT_EQ(group.selected.size(), 4u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return group.selected.size() == 5; }, 2000));
    EXPECT_EQ(group.selected.back(), 1);
    EXPECT_EQ(group.ButtonFace(0), Face::Up);
}

// Qt sends no release to a disabled or hidden group: a press under way by
// mouse, Space or Enter ends there and chooses nothing (the compare lock
// disables a group while the operator may be at it).
TEST_F(SkinButtonGroupTest, DisablingOrHidingTheGroupDropsAPressUnderWay)
{
    group.SetButtons({"A", "B", "C"});
    group.setFocus(Qt::TabFocusReason);
    const auto lockAndUnlock = [&] {
        group.setEnabled(false);
        group.setEnabled(true);
    };
    const auto hideAndShow = [&] {
        group.hide();
        group.show();
        group.setFocus(Qt::TabFocusReason);
    };
    for (const std::function<void()>& interrupt : {std::function<void()>(lockAndUnlock), std::function<void()>(hideAndShow)}) {
        MouseAt(QEvent::MouseButtonPress, group.ButtonRect(1).center(), Qt::LeftButton);
        interrupt();
        MouseAt(QEvent::MouseButtonRelease, group.ButtonRect(1).center(), Qt::NoButton);
        QTest::keyPress(&group, Qt::Key_Space);
        interrupt();
        QTest::keyRelease(&group, Qt::Key_Space);
        QTest::keyClick(&group, Qt::Key_Enter);
        interrupt();
        QTest::qWait(250);
        EXPECT_TRUE(group.selected.empty());
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(group.ButtonFace(i), Face::Up) << i;
    }
}

TEST_F(SkinButtonGroupTest, DisablingTheGroupDisablesItsButtonsAndFrame)
{
    group.SetButtons({"A", "B"});
    group.Select(0);
    const QImage enabled = group.grab().toImage();
    group.setEnabled(false);
    EXPECT_EQ(group.ButtonFace(0), Face::DownDisabled);
    EXPECT_EQ(group.ButtonFace(1), Face::Disabled);
    EXPECT_NE(group.grab().toImage(), enabled);
    Click(1);
    EXPECT_EQ(group.GetSelected(), 0);
}

TEST_F(SkinButtonGroupTest, NewSkinKeepsTheLayoutAndTheChoice)
{
    group.SetButtons({"Ethernet (UDP)", "COM1", "COM2", "COM3", "COM5"});
    group.Select(3);
    const QRect before = group.ButtonRect(3);
    const QSize size = group.size();
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    EXPECT_EQ(group.ButtonRect(3), before);
    EXPECT_EQ(group.size(), size);
    EXPECT_EQ(group.pos(), QPoint(26, 60));
    EXPECT_EQ(group.GetSelected(), 3);
    EXPECT_EQ(group.ButtonFace(3), Face::Down);
}

} // namespace

namespace {

TEST_F(SkinButtonGroupTest, DrawsItsCaptionAboveTheButtonsAndItsOwnDisabledFace)
{
    group.Place(QRect(10, 20, 300, -1));
    group.SetButtons({"One", "Two"});
    const QRect band(0, 0, group.width(), group.ButtonRect(0).y());
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

// The group draws its buttons itself: each must look exactly as a "Button"
// widget of its size, caption and state would on the group (up, hover, chosen,
// held by the mouse, the focus mark, disabled and chosen-disabled).
TEST_F(SkinButtonGroupTest, EveryButtonLooksLikeAButtonWidgetInItsState)
{
    group.Place(QRect(10, 20, 300, -1));
    group.setWindowTitle("Mode");
    group.SetButtons({"Off", "Low", "Mid", "High", "Max", "Auto", "7"});
    ASSERT_GT(group.Rows(), 1);
    group.Select(2);
    group.setFocus(Qt::TabFocusReason);
    MouseAt(QEvent::MouseMove, group.ButtonRect(4).center(), Qt::NoButton);
    MouseAt(QEvent::MouseButtonPress, group.ButtonRect(5).center(), Qt::LeftButton);
    ASSERT_TRUE(group.hasFocus());
    const QImage drawn = group.grab().toImage();
    SaveGrab(group, "group-states");

    // The same buttons as widgets laid over the group's own.
    std::vector<std::unique_ptr<CSkinButton>> widgets;
    const auto overlay = [&](int i) {
        auto button = std::make_unique<CSkinButton>("Button", manager);
        button->Create(&group, 1 + i);
        button->Place(group.ButtonRect(i));
        button->setText(group.ButtonText(i));
        button->SetStuck(i == group.GetSelected());
        widgets.push_back(std::move(button));
    };
    for (int i = 0; i < group.ButtonCount(); ++i)
        overlay(i);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widgets[4].get(), &move);
    widgets[5]->setDown(true);
    widgets[2]->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(widgets[2]->hasFocus());
    EXPECT_TRUE(SamePixels(drawn, group.grab().toImage()));
    SaveGrab(group, "group-states-as-widgets");

    widgets.clear();
    group.setEnabled(false);
    const QImage disabled = group.grab().toImage();
    overlay(1);
    overlay(2);
    EXPECT_TRUE(SamePixels(disabled, group.grab().toImage()));
}

} // namespace

namespace {

// A group on a small skin whose buttons have a cut-out strip on the left and a tip.
class SkinButtonGroupLoose : public LooseSkin {
protected:
    void SetUp() override
    {
        QImage up = Filled({30, 20}, QColor(10, 10, 10));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 5; ++x)
                up.setPixelColor(x, y, Qt::magenta);
        Bitmap("Up.bmp", up);
        Bitmap("Over.bmp", Filled({30, 20}, QColor(30, 30, 30)));
        Bitmap("Frame.bmp", Filled({30, 20}, QColor(90, 0, 0)));
        Write("IMAGE(Grp::background, \"Frame.bmp\")\nLONG(Grp::width, 100)\nLONG(Grp::height, 40)\n"
              "IMAGE(Button::up, \"Up.bmp\")\nIMAGE(Button::over, \"Over.bmp\")\n"
              "LONG(Button::bkcolormask, \"#FF00FF\")\nSTRING(Button::tip, \"Pick one\")\n"
              "LONG(Button::tip_delay, 1)\n");
        Load();
        window.resize(200, 100);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        group.Create(&window, 0);
        group.SetButtons({"A", "B"});
    }

    QWidget window;
    CSkinButtonGroup group{"Grp", manager};
};

// Only a button's shape takes the pointer, and it shows the skin's tip; what
// lies outside the shape is the group's frame, as under a button widget.
TEST_F(SkinButtonGroupLoose, OnlyTheButtonsShapeTakesThePointerAndShowsTheTip)
{
    const QRect b = group.ButtonRect(1);
    ASSERT_GT(b.height(), 4);
    const QPoint cutOut = b.topLeft() + QPoint(2, 2);
    const QPoint face = b.topLeft() + QPoint(10, 2);
    EXPECT_EQ(group.ButtonAt(cutOut), -1);
    EXPECT_EQ(group.ButtonAt(face), 1);
    QTest::mouseClick(&group, Qt::LeftButton, {}, cutOut);
    EXPECT_EQ(group.GetSelected(), -1);
    QTest::mouseMove(&group, cutOut);
    EXPECT_EQ(group.ButtonFace(1), CSkinButton::Face::Up);

    QTest::mouseMove(&group, face);
    EXPECT_EQ(group.ButtonFace(1), CSkinButton::Face::Over);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000));
    EXPECT_EQ(QToolTip::text(), "Pick one");
    const QImage drawn = group.grab().toImage();
    EXPECT_EQ(drawn.pixelColor(cutOut), QColor(90, 0, 0));
    EXPECT_EQ(drawn.pixelColor(face), QColor(30, 30, 30));
    QTest::mouseMove(&window, QPoint(190, 90));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));

    QTest::mouseClick(&group, Qt::LeftButton, {}, face);
    EXPECT_EQ(group.GetSelected(), 1);
}

} // namespace
