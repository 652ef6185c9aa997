#include "ValueControlsFixture.h"

#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinSlider.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <vector>

namespace {

// The example slider: range 0 to 100, centre lines 19 below the top and 15
// above the bottom of a 165-pixel client, a thumb 11 high centred at 5.
SkinSliderGeometry Example()
{
    return {QSize(40, 165), QSize(20, 11), 19, 15, 5, 0, 100};
}

TEST(SkinSliderGeometry, SpacesPositionsByTheTrackLengthOverTheTickGaps)
{
    const SkinSliderGeometry g = Example();
    EXPECT_EQ(g.TickCount(), 101);
    EXPECT_DOUBLE_EQ(g.PixelsPerPosition(), 1.31);
    EXPECT_EQ(g.ThumbRect(0), QRect(10, 19 - 5, 20, 11));
    EXPECT_EQ(g.ThumbRect(100).top(), 19 + 131 - 5);
    EXPECT_EQ(g.ThumbRect(50).top(), static_cast<int>(50 * 1.31 + 19 - 5));
}

TEST(SkinSliderGeometry, PositionAtRoundsToTheNearestCentreLineAndStaysInRange)
{
    const SkinSliderGeometry g = Example();
    EXPECT_EQ(g.PositionAt(19), 0);
    EXPECT_EQ(g.PositionAt(19 + 131), 100);
    EXPECT_EQ(g.PositionAt(19 + 13), 10); // 13 / 1.31 = 9.92
    EXPECT_EQ(g.PositionAt(19 + 2), 2);   // 1.53
    EXPECT_EQ(g.PositionAt(19 + 1), 1);   // 0.76
    EXPECT_EQ(g.PositionAt(0), 0);
    EXPECT_EQ(g.PositionAt(1000), 100);
}

TEST(SkinSliderGeometry, NegativeRangesRoundTheSameOnBothSidesOfZero)
{
    SkinSliderGeometry g = Example();
    g.minimum = -10;
    g.maximum = 10; // s = 131 / 20 = 6.55
    EXPECT_EQ(g.PositionAt(19), -10);
    EXPECT_EQ(g.PositionAt(19 + 10 * 131 / 20), 0);
    // 15.2 positions down: 5, where truncating after subtracting 11 gives 4.
    EXPECT_EQ(g.PositionAt(19 + 100), 5);
    EXPECT_EQ(g.PositionAt(19 + 30), -5); // 4.58 -> 5 steps
}

TEST(SkinSliderGeometry, TicksThinToEveryFourthWhenFourTimesTheirCountReachesTheHeight)
{
    SkinSliderGeometry g = Example();
    g.client.setHeight(405);
    EXPECT_FALSE(g.DenseTicks());
    g.client.setHeight(404);
    EXPECT_TRUE(g.DenseTicks());
}

TEST(SkinSliderGeometry, ARangeOfOnePositionKeepsTheThumbAtTheTop)
{
    SkinSliderGeometry g = Example();
    g.maximum = 0;
    EXPECT_EQ(g.PixelsPerPosition(), 0.0);
    EXPECT_EQ(g.PositionAt(100), 0);
    EXPECT_EQ(g.ThumbRect(0).top(), 14);
}

class SkinSliderTest : public ValueControlsFixture {
protected:
    void SetUp() override
    {
        ValueControlsFixture::SetUp();
        slider.setRange(0, 100);
        slider.setPageStep(10);
        slider.Create(&parent, 101);
        slider.setGeometry(20, 20, 40, 165);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    // The y where position p has its centre line.
    int CentreOf(int position) const
    {
        const SkinSliderGeometry g = slider.Geometry();
        return static_cast<int>(g.TickY(position));
    }

    CSkinSlider slider{"Slider", manager};
};

TEST_F(SkinSliderTest, TakesItsThumbAndCentreLinesFromTheSkin)
{
    const SkinSliderGeometry g = slider.Geometry();
    EXPECT_EQ(g.thumb, QSize(20, 11));
    EXPECT_EQ(g.offsetTop, 8);
    EXPECT_EQ(g.offsetBottom, 8);
    EXPECT_EQ(g.thumbCenter, 5);
    EXPECT_DOUBLE_EQ(g.PixelsPerPosition(), 1.49);
    EXPECT_EQ(ControlId(&slider), 101);
}

TEST_F(SkinSliderTest, AClickOnTheTrackJumpsToTheNearestPosition)
{
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(20, 8 + 100)); // 67.1 positions down
    EXPECT_EQ(slider.value(), 67);
    EXPECT_TRUE(slider.hasFocus());
    EXPECT_FALSE(slider.IsDragging());
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(20, 2));
    EXPECT_EQ(slider.value(), 0);
}

TEST_F(SkinSliderTest, DraggingKeepsTheGrabPointUnderTheCursor)
{
    slider.setValue(20);
    const QRect thumb = slider.ThumbRect();
    const QPoint grab(thumb.center().x(), thumb.top() + 1); // 4 pixels above the centre line
    QTest::mousePress(&slider, Qt::LeftButton, {}, grab);
    ASSERT_TRUE(slider.IsDragging());
    EXPECT_EQ(slider.value(), 20);

    QMouseEvent move(QEvent::MouseMove, QPointF(grab.x(), grab.y() + 30), slider.mapToGlobal(QPointF(grab.x(), grab.y() + 30)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&slider, &move);
    // The centre line follows the cursor by 30 pixels: 30 / 1.49 = 20.1 positions.
    EXPECT_EQ(slider.value(), 40);
    const int grabToTop = grab.y() - thumb.top();
    EXPECT_NEAR(slider.ThumbRect().top() + grabToTop, grab.y() + 30, 1);

    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(grab.x(), grab.y() + 30));
    EXPECT_FALSE(slider.IsDragging());
    EXPECT_EQ(slider.value(), 40);
}

TEST_F(SkinSliderTest, KeysMoveByStepsPagesAndToTheEnds)
{
    QSignalSpy actions(&slider, &QAbstractSlider::actionTriggered);
    slider.setFocus();
    slider.setValue(50);
    QTest::keyClick(&slider, Qt::Key_Down);
    EXPECT_EQ(slider.value(), 51);
    QTest::keyClick(&slider, Qt::Key_Up);
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.value(), 49);
    QTest::keyClick(&slider, Qt::Key_PageDown);
    EXPECT_EQ(slider.value(), 59);
    QTest::keyClick(&slider, Qt::Key_PageUp);
    EXPECT_EQ(slider.value(), 49);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.value(), 100);
    QTest::keyClick(&slider, Qt::Key_Home);
    EXPECT_EQ(slider.value(), 0);
    EXPECT_EQ(actions.count(), 7);
}

TEST_F(SkinSliderTest, TheWheelTurnedUpMovesTheThumbUp)
{
    slider.setValue(50);
    const QPointF at(20, 80);
    QWheelEvent up(at, slider.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&slider, &up);
    EXPECT_LT(slider.value(), 50);
    EXPECT_LT(slider.ThumbRect().top(), slider.Geometry().ThumbRect(50).top());
}

TEST_F(SkinSliderTest, TabGivesTheSliderAFocusMark)
{
    QWidget before(&parent);
    before.setFocusPolicy(Qt::StrongFocus);
    before.setGeometry(200, 20, 10, 10);
    before.show();
    before.setFocus();
    const QImage unfocused = slider.grab().toImage();
    QTest::keyClick(&before, Qt::Key_Tab);
    ASSERT_TRUE(slider.hasFocus());
    EXPECT_NE(slider.grab().toImage(), unfocused);
    SaveGrab(parent, "slider-focused");
}

TEST_F(SkinSliderTest, DrawsTheThumbFaceOfItsState)
{
    slider.setValue(0);
    const QRect thumb = slider.ThumbRect();
    const QImage normal = manager.Skin()->GetImage("Slider", "down", &slider).convertToFormat(QImage::Format_RGB32);
    const QImage dragged = manager.Skin()->GetImage("Slider", "up", &slider).convertToFormat(QImage::Format_RGB32);
    const QImage disabled =
        manager.Skin()->GetImage("Slider", "thumb_disabled", &slider).convertToFormat(QImage::Format_RGB32);
    const QPoint inside(thumb.width() / 2, thumb.height() / 2);
    auto thumbPixel = [&] { return slider.grab().toImage().pixel(thumb.topLeft() + inside); };

    EXPECT_EQ(thumbPixel(), normal.pixel(inside));
    QTest::mousePress(&slider, Qt::LeftButton, {}, thumb.center());
    EXPECT_EQ(thumbPixel(), dragged.pixel(inside));
    SaveGrab(parent, "slider-dragging");
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, thumb.center());
    slider.setEnabled(false);
    EXPECT_EQ(thumbPixel(), disabled.pixel(inside));
    SaveGrab(parent, "slider-disabled");
}

} // namespace

// Tick marks on both sides of the track, each from the edge to seven pixels
// short of the thumb; every fourth one only when they would crowd.
TEST_F(SkinSliderTest, DrawsTickMarksOnBothSidesThinnedWhenTheyCrowd)
{
    const QColor tick = SkinColour(slider, "color");
    // The thumb is 20 wide in the middle of 40: the ticks run from the edges to
    // seven pixels short of it, x 0..2 and 36..39 (the outermost column also
    // carries the focus mark, so the checks stay one pixel inside).
    const auto ticked = [&](const QImage& image, int x, int y) { return QColor(image.pixel(x, y)) == tick; };
    for (const bool crowded : {true, false}) {
        slider.setRange(0, crowded ? 100 : 10);
        slider.setValue(0);
        const SkinSliderGeometry g = slider.Geometry();
        ASSERT_EQ(g.DenseTicks(), crowded);
        const QImage image = slider.grab().toImage();
        SaveGrab(slider, crowded ? "slider-ticks-crowded" : "slider-ticks");
        for (int i = 2; i < g.TickCount(); ++i) {
            const int y = static_cast<int>(g.TickY(i));
            const bool drawn = !crowded || i % 4 == 0;
            EXPECT_EQ(ticked(image, 1, y), drawn) << i;
            EXPECT_EQ(ticked(image, 2, y), drawn) << i;
            EXPECT_EQ(ticked(image, 36, y), drawn) << i;
            EXPECT_EQ(ticked(image, 38, y), drawn) << i;
            EXPECT_FALSE(ticked(image, 3, y)) << i;
            EXPECT_FALSE(ticked(image, 35, y)) << i;
        }
    }
}

// Qt sends no release to a disabled or hidden slider.
TEST_F(SkinSliderTest, ADragEndsWhenTheSliderIsDisabledHiddenOrLosesTheFocus)
{
    QWidget elsewhere(&parent);
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    elsewhere.show();
    const std::vector<std::function<void()>> ends{[&] { slider.setEnabled(false); }, [&] { slider.hide(); },
                                                  [&] { elsewhere.setFocus(); }};
    for (std::size_t i = 0; i < ends.size(); ++i) {
        slider.setValue(20);
        QTest::mousePress(&slider, Qt::LeftButton, {}, slider.ThumbRect().center());
        ASSERT_TRUE(slider.IsDragging()) << i;
        ends[i]();
        EXPECT_FALSE(slider.IsDragging()) << i;
        slider.setEnabled(true);
        slider.show();
    }
}
