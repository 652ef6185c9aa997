#include "SkinControlsFixture.h"

#include "skin/ui/SkinScrollButton.h"
#include "skin/ui/SkinWnd.h"

#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <vector>

using namespace skinui;

namespace {

// Lets the test drive the repeat timer's ticks itself.
class SteppedScrollButton : public CSkinScrollButton {
public:
    using CSkinScrollButton::CSkinScrollButton;
    using CSkinScrollButton::OnRepeatTimer;
};

class SkinScrollButtonTest : public ShippedSkin {
protected:
    void SetUp() override
    {
        ShippedSkin::SetUp();
        window.Create();
        list.setParent(&window);
        list.setGeometry(16, 210, 180, 206);
        list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        for (int i = 0; i < 100; ++i)
            list.addItem(QString("Preset %1").arg(i));
        list.show();
        down.Create(&window, 1001);
        down.SetTarget(&list);
        down.SetDirection(CSkinScrollButton::Direction::LineDown);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        ASSERT_GT(Bar().maximum(), 30);
    }

    QScrollBar& Bar() { return *list.verticalScrollBar(); }
    int Lines() { return Bar().value() / Bar().singleStep(); }
    void Press() { QTest::mousePress(&down, Qt::LeftButton, {}, QPoint(7, 50)); }
    void Release() { QTest::mouseRelease(&down, Qt::LeftButton, {}, QPoint(7, 50)); }

    CSkinWnd window{"DlgMain", manager};
    QListWidget list;
    SteppedScrollButton down{"BtnScrollDown", manager};
};

TEST_F(SkinScrollButtonTest, HoldingForOneSecondScrollsSixteenLines)
{
    Press();
    EXPECT_EQ(Lines(), 1); // at once
    EXPECT_EQ(down.RepeatInterval(), 250);
    down.OnRepeatTimer(); // 250 ms: the repeat begins, nothing scrolls yet
    EXPECT_EQ(Lines(), 1);
    EXPECT_EQ(down.RepeatInterval(), 50);
    for (int tick = 300; tick <= 1000; tick += 50)
        down.OnRepeatTimer();
    EXPECT_EQ(Lines(), 16);
    Release();
    EXPECT_EQ(down.RepeatInterval(), 0);
    down.OnRepeatTimer(); // a tick already queued at release scrolls no more
    EXPECT_EQ(Lines(), 16);
}

TEST_F(SkinScrollButtonTest, RepeatRunsOnItsOwnTimerUntilRelease)
{
    down.SetRepeatDelays(1, 1);
    Press();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Lines() >= 4; }, 5000));
    Release();
    const int lines = Lines();
    QCoreApplication::processEvents();
    EXPECT_EQ(Lines(), lines);
}

// Qt sends no release to a disabled or hidden button: losing the focus,
// being disabled and being hidden each end the repeat.
TEST_F(SkinScrollButtonTest, LosingTheFocusBeingDisabledOrHiddenStopsTheRepeat)
{
    const std::vector<std::function<void()>> ends{
        [&] {
            QFocusEvent lost(QEvent::FocusOut);
            QCoreApplication::sendEvent(&down, &lost);
        },
        [&] { down.setEnabled(false); },
        [&] { down.hide(); },
    };
    for (std::size_t i = 0; i < ends.size(); ++i) {
        Bar().setValue(0);
        Press();
        ends[i]();
        EXPECT_EQ(down.RepeatInterval(), 0) << i;
        down.OnRepeatTimer();
        down.OnRepeatTimer();
        EXPECT_EQ(Lines(), 1) << i;
        down.setEnabled(true);
        down.show();
        Release();
    }
}

TEST_F(SkinScrollButtonTest, UpButtonScrollsBackAndStopsAtTheTop)
{
    SteppedScrollButton up("BtnScrollUp", manager);
    up.Create(&window, 1002);
    up.SetTarget(&list);
    up.SetDirection(CSkinScrollButton::Direction::LineUp);
    Bar().setValue(2 * Bar().singleStep());
    QTest::mouseClick(&up, Qt::LeftButton, {}, QPoint(7, 50));
    EXPECT_EQ(Lines(), 1);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(&up, Qt::LeftButton, {}, QPoint(7, 50));
    EXPECT_EQ(Lines(), 0);
}

TEST_F(SkinScrollButtonTest, KeysScrollAndNoTargetIsHarmless)
{
    down.setFocus();
    QTest::keyClick(&down, Qt::Key_Space);
    QTest::keyClick(&down, Qt::Key_Return);
    EXPECT_EQ(Lines(), 2);
    SteppedScrollButton loose("BtnScrollDown", manager);
    loose.Create(&window, 1003);
    QTest::mouseClick(&loose, Qt::LeftButton, {}, QPoint(7, 50));
    {
        QListWidget gone;
        loose.SetTarget(&gone);
    }
    EXPECT_EQ(loose.Target(), nullptr);
    QTest::mouseClick(&loose, Qt::LeftButton, {}, QPoint(7, 50));
}

} // namespace
