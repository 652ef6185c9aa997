#include "ValueControlsFixture.h"

#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinSpin.h"
#include "skin/ui/SkinSpinEvent.h"
#include "skin/ui/SkinSpinFormat.h"

#include <QLineEdit>
#include <QTest>

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

TEST(SkinSpinFormat, TypedTextReadsAsItsLeadingNumber)
{
    EXPECT_EQ(ReadSpinNumber("12abc"), 12);
    EXPECT_EQ(ReadSpinNumber(" -3.5 "), -3.5);
    EXPECT_EQ(ReadSpinNumber("+4"), 4);
    EXPECT_EQ(ReadSpinNumber(""), 0);
    EXPECT_EQ(ReadSpinNumber("abc"), 0);
    EXPECT_EQ(ReadSpinNumber("1e999"), 0);
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

TEST_F(SkinSpinTest, TypedValuesAreCheckedAsTheTextChanges)
{
    QLineEdit* edit = NewEdit(2, 60);
    spin.AddNumberField(edit, "%.0f", 0, 10, 1);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "7");
    EXPECT_EQ(spin.GetValue(0), 7);
    QTest::keyClicks(edit, "5");
    EXPECT_EQ(edit->text(), "10");
    Deliver();
    EXPECT_EQ(log.received.back(), (std::pair<QObject*, int>{edit, 0}));
    // The first keystroke after a value that changed nothing still counts.
    spin.SetValue(10, 0, true);
    edit->selectAll();
    QTest::keyClicks(edit, "3");
    EXPECT_EQ(spin.GetValue(0), 3);
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

TEST_F(SkinSpinTest, LeavingAFieldShowsItsValueInTheFieldsFormat)
{
    MinutesAndSeconds();
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    seconds->setFocus();
    seconds->selectAll();
    QTest::keyClicks(seconds, "7");
    EXPECT_EQ(seconds->text(), "7");
    minutes->setFocus();
    EXPECT_EQ(seconds->text(), "07");
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
