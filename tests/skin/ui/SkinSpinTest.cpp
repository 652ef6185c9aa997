#include "ValueControlsFixture.h"

#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinSpin.h"
#include "skin/ui/SkinSpinEvent.h"
#include "skin/ui/SkinSpinFormat.h"

#include <QLineEdit>
#include <QTest>

#include <functional>
#include <utility>
#include <vector>

namespace {

TEST(SkinSpinFormat, NumbersTakeTheFieldsPatternAndBadPatternsShowAsWritten)
{
    EXPECT_EQ(FormatSpinNumber("%02.0f", 3), "03");
    EXPECT_EQ(FormatSpinNumber("%3.0f", 3), "  3");
    EXPECT_EQ(FormatSpinNumber("%.1f dB", -4.24), "-4.2 dB");
    EXPECT_EQ(FormatSpinNumber("%d%%", 7.9), "7%");
    EXPECT_EQ(FormatSpinNumber("%s", 3), "%s");
    EXPECT_EQ(FormatSpinNumber("%n", 3), "%n");
    // Width and precision are capped at 64: "1." and 64 zeros.
    EXPECT_EQ(FormatSpinNumber("%999999.9999999f", 1).size(), 66);
    EXPECT_EQ(FormatSpinText("%s", "Stereo"), "Stereo");
    EXPECT_EQ(FormatSpinText("[%-4s]", "A"), "[A   ]");
    EXPECT_EQ(FormatSpinText("%f", "A"), "%f");
}

TEST(SkinSpinFormat, TypedTextIsANumberOnlyWhenItIsOneWhole)
{
    EXPECT_EQ(ReadSpinNumber(" -3.5 "), -3.5);
    EXPECT_EQ(ReadSpinNumber("+4"), 4);
    EXPECT_EQ(ReadSpinNumber("12abc"), std::nullopt);
    EXPECT_EQ(ReadSpinNumber(""), std::nullopt);
    EXPECT_EQ(ReadSpinNumber("-"), std::nullopt);
    EXPECT_EQ(ReadSpinNumber("1e999"), std::nullopt);
    EXPECT_EQ(SpinFormatDecimals("%02.0f"), 0);
    EXPECT_EQ(SpinFormatDecimals("%.2f dB"), 2);
    EXPECT_EQ(SpinFormatDecimals("%d"), 0);
}

TEST(SkinSpinAcceleration, EachEntryHoldsUntilItsSuccessorsSecondsHavePassed)
{
    SkinSpinAcceleration acceleration;
    acceleration.Start(1000);
    std::vector<int> increments;
    for (const int at : {1100, 2000, 3000, 3001, 3100, 5000, 6001, 6100, 9000})
        increments.push_back(acceleration.NextIncrement(at));
    // The entry advances after the repeat that saw its successor's time pass.
    EXPECT_EQ(increments, (std::vector<int>{1, 1, 1, 1, 5, 5, 5, 20, 20}));
}

// Records every spin notification and who received it.
class NotificationLog : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == CSkinSpinEvent::kType)
            received.emplace_back(watched, static_cast<CSkinSpinEvent*>(event)->Field());
        return false;
    }
    std::vector<std::pair<QObject*, int>> received;
};

class SkinSpinTest : public ValueControlsFixture {
protected:
    void SetUp() override
    {
        ValueControlsFixture::SetUp();
        spin.Create(&parent, 101);
        spin.Place(QRect(20, 20, 110, 24));
        parent.installEventFilter(&log);
    }

    // A field edit as the page builder makes one: a SpinEdit inside the spin.
    QLineEdit* NewEdit(int left, int width)
    {
        auto* edit = new CSkinEdit("SpinEdit", manager);
        edit->Create(&spin, spin.FirstFreeControlId());
        edit->Place(QRect(left, 2, width, spin.height() - 4));
        edit->setAlignment(Qt::AlignCenter);
        edit->installEventFilter(&log);
        return edit;
    }

    // Minutes and seconds, 0 to 59 each: seconds are field 0.
    void MinutesAndSeconds()
    {
        minutes = NewEdit(2, 40);
        seconds = NewEdit(44, 40);
        spin.AddNumberField(minutes, "%.0f", 0, 59, 1);
        spin.AddNumberField(seconds, "%02.0f", 0, 59, 1);
    }

    void Deliver() { QCoreApplication::sendPostedEvents(); }

    CSkinSpin spin{"Spin", manager};
    NotificationLog log;
    QLineEdit* minutes = nullptr;
    QLineEdit* seconds = nullptr;
};

TEST_F(SkinSpinTest, PlacesItsArrowsFromTheSkinAndKeepsItsOwnersPlaceOnANewSkin)
{
    // Arrows 14 wide, 2 from the right; the up arrow from 2 down to the middle,
    // the down arrow from the middle to 3 above the bottom.
    EXPECT_EQ(spin.UpRect(), QRect(110 - 14 - 2, 2, 14, 10));
    EXPECT_EQ(spin.DownRect(), QRect(110 - 14 - 2, 12, 14, 9));
    ASSERT_TRUE(manager.LoadSkin("Vexlor"));
    EXPECT_EQ(spin.geometry(), QRect(20, 20, 110, 24));

    CSkinSpin fromSkin("Spin", manager);
    fromSkin.Create(&parent, 102);
    EXPECT_EQ(fromSkin.geometry(), QRect(0, 0, 60, 20));
}

TEST_F(SkinSpinTest, TheLastAddedFieldIsFieldZero)
{
    auto* a = NewEdit(2, 20);
    auto* b = NewEdit(24, 20);
    auto* c = NewEdit(46, 20);
    spin.AddNumberField(a, "%.0f", 1, 9, 1);
    spin.AddNumberField(b, "%.0f", 2, 9, 1);
    spin.AddListField(c, "%s", {"x", "y"});
    EXPECT_EQ(spin.FieldCount(), 3);
    EXPECT_EQ(spin.GetValue(2), 1);
    EXPECT_EQ(spin.GetValue(1), 2);
    EXPECT_EQ(spin.GetValue(0), 0);
    EXPECT_EQ(c->text(), "x");
    EXPECT_TRUE(c->isReadOnly());
    EXPECT_FALSE(a->isReadOnly());
    EXPECT_EQ(spin.GetValue(7), 0);
}

TEST_F(SkinSpinTest, SecondsCarryIntoMinutesAndBorrowBack)
{
    MinutesAndSeconds();
    spin.SetValue(59, 0, false);
    spin.SetValue(spin.GetValue(0) + 1, 0, true);
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "1:00");
    Deliver();
    // Both fields announce their change, to the parent and to their display.
    EXPECT_EQ(log.received, (std::vector<std::pair<QObject*, int>>{
                                {&parent, 1}, {minutes, 1}, {&parent, 0}, {seconds, 0}}));

    spin.SetValue(spin.GetValue(0) - 1, 0, true);
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "0:59");
}

TEST_F(SkinSpinTest, SeveralFieldsRunRoundAsAWhole)
{
    MinutesAndSeconds();
    spin.SetValue(59, 1, false);
    spin.SetValue(59, 0, false);
    spin.SetValue(60, 0, true);
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "0:00");
    spin.SetValue(-1, 0, true);
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "59:59");
    spin.SetValue(125, 0, true); // two turns and 5
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "1:05");
}

TEST_F(SkinSpinTest, ASingleFieldStopsAtItsEndsUnlessItWraps)
{
    QLineEdit* edit = NewEdit(2, 60);
    spin.AddNumberField(edit, "%.0f", 0, 10, 1);
    spin.SetValue(10, 0, false);
    spin.SetValue(11, 0, true);
    EXPECT_EQ(edit->text(), "10");
    spin.SetValue(-1e30, 0, true);
    EXPECT_EQ(edit->text(), "0");
    spin.SetWrap(true);
    spin.SetValue(11, 0, true);
    EXPECT_EQ(edit->text(), "0");
    spin.SetValue(-1, 0, true);
    EXPECT_EQ(edit->text(), "10");
}

TEST_F(SkinSpinTest, AFieldWithAnEmptyRangeClampsInsteadOfLoopingForever)
{
    QLineEdit* edit = NewEdit(2, 60);
    spin.AddNumberField(edit, "%.0f", 5, 5, 0);
    spin.SetWrap(true);
    spin.SetValue(9, 0, true);
    EXPECT_EQ(edit->text(), "5");
}

TEST_F(SkinSpinTest, TypedTextIsCheckedAndBecomesTheValueOnlyWhenCommitted)
{
    MinutesAndSeconds();
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    spin.SetValue(3, 1, false);
    spin.SetValue(30, 0, false);
    seconds->setFocus();
    seconds->selectAll();
    // A point and letters are refused; the keystrokes change nothing yet.
    QTest::keyClicks(seconds, "4.x5");
    EXPECT_EQ(seconds->text(), "45");
    EXPECT_EQ(spin.GetValue(0), 30);
    Deliver();
    EXPECT_TRUE(log.received.empty());
    QTest::keyClick(seconds, Qt::Key_Return);
    EXPECT_EQ(spin.GetValue(0), 45);
    Deliver();
    EXPECT_EQ(log.received, (std::vector<std::pair<QObject*, int>>{{&parent, 0}, {seconds, 0}}));

    // Past the end it stops there: no carry into the minutes.
    log.received.clear();
    seconds->selectAll();
    QTest::keyClicks(seconds, "75");
    QTest::keyClick(seconds, Qt::Key_Return);
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "3:59");
    // An emptied field is no 0 and borrows nothing: the value comes back.
    seconds->selectAll();
    QTest::keyClick(seconds, Qt::Key_Backspace);
    QTest::keyClick(seconds, Qt::Key_Return);
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "3:59");
    Deliver();
    EXPECT_EQ(log.received, (std::vector<std::pair<QObject*, int>>{{&parent, 0}, {seconds, 0}}));

    // Tab commits too, in the field's own format.
    seconds->selectAll();
    QTest::keyClicks(seconds, "7");
    QTest::keyClick(seconds, Qt::Key_Tab);
    EXPECT_EQ(seconds->text(), "07");
    EXPECT_EQ(spin.GetValue(0), 7);
}

TEST_F(SkinSpinTest, FieldsTakeOnlyTheDecimalsTheyShow)
{
    QLineEdit* gain = NewEdit(2, 60);
    spin.AddNumberField(gain, "%.1f", -20, 20, 0.5);
    gain->setFocus();
    gain->selectAll();
    QTest::keyClicks(gain, "-5.75");
    EXPECT_EQ(gain->text(), "-5.7");
    QTest::keyClick(gain, Qt::Key_Enter);
    EXPECT_EQ(spin.GetValue(0), -5.7);
    EXPECT_EQ(gain->text(), "-5.7");
}

TEST_F(SkinSpinTest, LockedFieldsTakeNoStepCarryOrBorrow)
{
    MinutesAndSeconds();
    spin.SetValue(4, 1, false);
    spin.SetValue(59, 0, false);
    minutes->setEnabled(false);
    // Seconds stop at their ends instead of carrying into or borrowing from the locked minutes.
    QTest::mouseClick(&spin, Qt::LeftButton, {}, spin.UpRect().center());
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "4:59");
    spin.SetValue(0, 0, false);
    QTest::mouseClick(&spin, Qt::LeftButton, {}, spin.DownRect().center());
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "4:00");
    Deliver();
    for (const auto& [receiver, field] : log.received)
        EXPECT_EQ(field, 0);

    // The arrows act on field 0 by default: locked, it does not move.
    minutes->setEnabled(true);
    seconds->setEnabled(false);
    log.received.clear();
    QTest::mouseClick(&spin, Qt::LeftButton, {}, spin.UpRect().center());
    QTest::mouseClick(&spin, Qt::LeftButton, {}, spin.DownRect().center());
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "4:00");
    Deliver();
    EXPECT_TRUE(log.received.empty());
}

TEST_F(SkinSpinTest, ListFieldsShowTheirTextsAndTakeNewOnesSilently)
{
    QLineEdit* edit = NewEdit(2, 60);
    spin.AddListField(edit, "%s", {"Off", "Mono", "Stereo"});
    spin.SetValue(2, 0, false);
    EXPECT_EQ(edit->text(), "Stereo");
    spin.SetValue(3, 0, false); // one field, no wrap: stays at the last
    EXPECT_EQ(edit->text(), "Stereo");
    spin.SetListTexts(edit, "<%s>", {"A", "B", "C", "D"});
    EXPECT_EQ(edit->text(), "<C>");
    EXPECT_EQ(spin.GetValue(0), 2);
    Deliver();
    EXPECT_TRUE(log.received.empty());
}

TEST_F(SkinSpinTest, ArrowsStepTheFieldThatHadTheFocusAndShowTheirStates)
{
    MinutesAndSeconds();
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    seconds->setFocus();
    const QPoint up = spin.UpRect().center(), down = spin.DownRect().center();
    QTest::mouseMove(&spin, up);
    EXPECT_EQ(spin.State(), CSkinSpin::ArrowState::UpOver);
    QTest::mousePress(&spin, Qt::LeftButton, {}, up);
    EXPECT_EQ(spin.State(), CSkinSpin::ArrowState::UpPressed);
    SaveGrab(spin, "spin-up-pressed");
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, up);
    EXPECT_EQ(seconds->text(), "01");

    minutes->setFocus();
    ASSERT_EQ(spin.ActiveField(), 1);
    QTest::mouseClick(&spin, Qt::LeftButton, {}, down); // 0 borrows from nothing: the whole spin runs round
    EXPECT_EQ(minutes->text(), "59");
    SaveGrab(parent, "spin-focused");
    seconds->setFocus();
    EXPECT_EQ(spin.ActiveField(), 0);
}

TEST_F(SkinSpinTest, UpAndDownKeysStepTheFocusedFieldAndTabMovesBetweenFields)
{
    MinutesAndSeconds();
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    minutes->setFocus();
    QTest::keyClick(minutes, Qt::Key_Up);
    QTest::keyClick(minutes, Qt::Key_Up);
    EXPECT_EQ(minutes->text(), "2");
    QTest::keyClick(minutes, Qt::Key_Tab);
    ASSERT_TRUE(seconds->hasFocus());
    QTest::keyClick(seconds, Qt::Key_Down);
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "1:59");
}

TEST_F(SkinSpinTest, LeavingAFieldShowsItsValueInTheFieldsFormatAndTheArrowsGoBackToFieldZero)
{
    MinutesAndSeconds();
    QLineEdit elsewhere(&parent);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    seconds->setFocus();
    seconds->selectAll();
    QTest::keyClicks(seconds, "7");
    EXPECT_EQ(seconds->text(), "7");
    minutes->setFocus();
    EXPECT_EQ(seconds->text(), "07");
    ASSERT_EQ(spin.ActiveField(), 1);
    elsewhere.setFocus();
    EXPECT_EQ(spin.ActiveField(), 0);
    QTest::mouseClick(&spin, Qt::LeftButton, {}, spin.UpRect().center());
    EXPECT_EQ(minutes->text() + ":" + seconds->text(), "0:08");
}

TEST_F(SkinSpinTest, HoldingAnArrowStepsOnceThenRepeatsWithTheCurrentIncrement)
{
    QLineEdit* edit = NewEdit(2, 60);
    spin.AddNumberField(edit, "%.0f", 0, 100000, 1);
    std::int64_t now = 0;
    spin.SetClock([&now] { return now; });
    spin.SetRepeatTiming(30, 5);
    std::vector<double> values;
    QObject::connect(&spin, &CSkinSpin::FieldChanged, [&] { values.push_back(spin.GetValue(0)); });

    QTest::mousePress(&spin, Qt::LeftButton, {}, spin.UpRect().center());
    ASSERT_EQ(values, std::vector<double>{1});
    QTRY_VERIFY_WITH_TIMEOUT(values.size() >= 4, 5000);
    now = 2001; // past the second entry's two seconds
    const std::size_t before = values.size();
    QTRY_VERIFY_WITH_TIMEOUT(values.size() >= before + 3, 5000);
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, spin.UpRect().center());
    const std::size_t held = values.size();
    QTest::qWait(30);
    EXPECT_EQ(values.size(), held);

    std::vector<double> steps;
    for (std::size_t i = 1; i < values.size(); ++i)
        steps.push_back(values[i] - values[i - 1]);
    // Steps of 1 until the clock passed two seconds; the repeat that saw it
    // still adds 1, every later one 5.
    for (std::size_t i = 0; i < before - 1; ++i)
        EXPECT_EQ(steps[i], 1) << i;
    EXPECT_EQ(steps[before - 1], 1);
    for (std::size_t i = before; i < steps.size(); ++i)
        EXPECT_EQ(steps[i], 5) << i;
}

// Qt sends no release to a disabled or hidden widget: each way a hold can end
// without one must stop the repeat, as moving off the arrow does.
TEST_F(SkinSpinTest, AHeldArrowStopsWhenDisabledHiddenLeftOrTheFieldLosesTheFocus)
{
    QLineEdit* edit = NewEdit(2, 60);
    QLineEdit elsewhere(&parent);
    spin.AddNumberField(edit, "%.0f", 0, 100000, 1);
    spin.SetRepeatTiming(5, 5);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    int steps = 0;
    QObject::connect(&spin, &CSkinSpin::FieldChanged, [&] { ++steps; });
    const QPoint up = spin.UpRect().center();
    const std::vector<std::pair<const char*, std::function<void()>>> ends{
        {"disabled", [&] { spin.setEnabled(false); }},
        {"hidden", [&] { spin.hide(); }},
        {"moved off", [&] { QTest::mouseMove(&spin, QPoint(2, 2)); }},
        {"focus lost", [&] { elsewhere.setFocus(); }},
    };
    for (const auto& [name, end] : ends) {
        edit->setFocus();
        QTest::mousePress(&spin, Qt::LeftButton, {}, up);
        const int pressed = steps;
        QTRY_VERIFY_WITH_TIMEOUT(steps >= pressed + 2, 5000);
        end();
        const int stopped = steps;
        QTest::qWait(60);
        EXPECT_EQ(steps, stopped) << name;
        spin.setEnabled(true);
        spin.show();
        QTest::mouseRelease(&spin, Qt::LeftButton, {}, up);
    }
}

// The arrows show hover, pressed and disabled faces: each one is drawn.
TEST_F(SkinSpinTest, ArrowsDrawTheFaceOfTheirState)
{
    MinutesAndSeconds();
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    const auto arrows = [&] { return spin.grab().toImage().copy(spin.UpRect().united(spin.DownRect())); };
    QTest::mouseMove(&spin, QPoint(1, 1)); // off the arrows, wherever the pointer was left
    const QImage idle = arrows();
    QTest::mouseMove(&spin, spin.UpRect().center());
    const QImage upOver = arrows();
    QTest::mousePress(&spin, Qt::LeftButton, {}, spin.UpRect().center());
    const QImage upDown = arrows();
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, spin.UpRect().center());
    QTest::mouseMove(&spin, spin.DownRect().center());
    const QImage downOver = arrows();
    QTest::mousePress(&spin, Qt::LeftButton, {}, spin.DownRect().center());
    const QImage downDown = arrows();
    SaveGrab(spin, "spin-down-pressed");
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, spin.DownRect().center());
    spin.setEnabled(false);
    const QImage disabled = arrows();
    SaveGrab(spin, "spin-disabled");
    const std::vector<QImage> faces{idle, upOver, upDown, downOver, downDown, disabled};
    for (std::size_t i = 0; i < faces.size(); ++i)
        for (std::size_t j = i + 1; j < faces.size(); ++j)
            EXPECT_FALSE(skinui::SamePixels(faces[i], faces[j])) << i << " and " << j;
}

TEST_F(SkinSpinTest, ReleasingBeforeTheStartDelayStepsOnlyOnce)
{
    QLineEdit* edit = NewEdit(2, 60);
    spin.AddNumberField(edit, "%.0f", 0, 100, 1);
    spin.SetRepeatTiming(20, 5);
    QTest::mouseClick(&spin, Qt::LeftButton, {}, spin.DownRect().center());
    QTest::qWait(40);
    EXPECT_EQ(edit->text(), "0"); // single field without wrap stays at its minimum
    spin.SetValue(50, 0, false);
    QTest::mouseClick(&spin, Qt::LeftButton, {}, spin.DownRect().center());
    QTest::qWait(40);
    EXPECT_EQ(edit->text(), "49");
}

} // namespace
