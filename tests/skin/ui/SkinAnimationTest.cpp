#include "ValueControlsFixture.h"

#include "skin/ui/SkinAnimation.h"

#include <QTest>

#include <vector>

namespace {


TEST(SkinAnimationSteps, FourteenPiecesRunBetweenOneAndTwelveStandingOneStepAtEachTurn)
{
    std::vector<int> positions;
    CSkinAnimation::Run run;
    for (int i = 0; i < 28; ++i) {
        run = CSkinAnimation::NextStep(run, 14);
        positions.push_back(run.position);
    }
    const std::vector<int> expected = {1,  2,  3,  4,  5, 6, 7, 8, 9, 10, 11, 12, 12, 11,
                                       10, 9,  8,  7,  6, 5, 4, 3, 2, 1,  1,  2,  3,  4};
    EXPECT_EQ(positions, expected);
}

TEST(SkinAnimationSteps, ThePiecesAroundThePositionAreLit)
{
    std::vector<int> lit;
    for (int piece = 0; piece < 14; ++piece)
        if (CSkinAnimation::IsLit(piece, 12))
            lit.push_back(piece);
    EXPECT_EQ(lit, (std::vector<int>{11, 12, 13}));
}

class SkinAnimationTest : public ValueControlsFixture {
protected:
    CSkinAnimation animation{"ProgressBar", manager};
};

TEST_F(SkinAnimationTest, TakesItsPlaceCountAndPeriodFromTheSkin)
{
    animation.Start(&parent);
    EXPECT_EQ(animation.geometry(), QRect(16, 72, 288, 16));
    EXPECT_EQ(animation.Count(), 14);
    EXPECT_EQ(animation.PeriodMs(), 50);
    EXPECT_TRUE(animation.IsRunning());
    animation.SetPosition(99);
    EXPECT_EQ(animation.Position(), 14);
    animation.SetPosition(-3);
    EXPECT_EQ(animation.Position(), 0);
}

TEST_F(SkinAnimationTest, TheWorkerStepsAndTheWindowShowsTheLitGroup)
{
    parent.show();
    animation.Start(&parent);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    // Bounded wait for the worker's steps: each one is a queued repaint request.
    QTRY_VERIFY_WITH_TIMEOUT(animation.Position() >= 3, 5000);
    animation.Stop();
    EXPECT_FALSE(animation.IsRunning());

    animation.SetPosition(5);
    const QImage picture = animation.grab().toImage();
    const QImage active = manager.Skin()->GetImage("ProgressBar", "active", &animation).convertToFormat(QImage::Format_RGB32);
    const QImage inactive =
        manager.Skin()->GetImage("ProgressBar", "inactive", &animation).convertToFormat(QImage::Format_RGB32);
    const QPoint inside(active.width() / 2, active.height() / 2);
    auto pieceCentre = [&](int i) { return picture.pixel(QPoint(4 + i * active.width(), 2) + inside); };
    EXPECT_EQ(pieceCentre(3), inactive.pixel(inside));
    EXPECT_EQ(pieceCentre(4), active.pixel(inside));
    EXPECT_EQ(pieceCentre(6), active.pixel(inside));
    EXPECT_EQ(pieceCentre(7), inactive.pixel(inside));
    SaveGrab(animation, "animation");
}

TEST_F(SkinAnimationTest, DestroyingARunningAnimationJoinsItsWorker)
{
    auto running = std::make_unique<CSkinAnimation>("ProgressBar", manager);
    running->Start(&parent);
    ASSERT_TRUE(running->IsRunning());
    const QWidget* window = running.get();
    ASSERT_TRUE(QTest::qWaitFor([&] { return running->Position() > 0; }, 5000));
    running.reset(); // an unjoined thread would end the program here
    // Repaint requests the worker queued die with the widget.
    QCoreApplication::processEvents();
    EXPECT_FALSE(manager.IsRegistered(window));
}

} // namespace
