// The slider's writes from the keyboard and the wheel, on a fake clock.
#include "description/ui/PageBuilder.h"

#include "description/ui/ParamSlider.h"
#include "support/ShippedSkin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWheelEvent>

namespace {

class ParamSliderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CShippedSkin::Get().Loaded());
        PageServices services;
        services.writeParameter = [this](std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t v, bool echo) {
            writes_.push_back(v);
            echo_ = echo;
        };
        services.tickMs = [this] { return now_; };
        builder_ = std::make_unique<CPageBuilder>(&main_, CShippedSkin::Get().Manager(), CMainWindowStandIn::kPageArea,
                                                  services);
        PageNode node;
        node.name = "Main";
        ControlItem item;
        ControlRecord r;
        r.name = "Level";
        r.maxValue = 40;
        r.step = 1;
        r.drivesVisibility = true;
        r.controlStyle = ControlStyle::Slider;
        item.records = {r};
        item.x = 3;
        item.y = 2;
        item.width = 8;
        item.height = 20;
        node.items.push_back(item);
        page_ = builder_->BuildPage(node, "Main");
        page_->SetVisible(true);
        slider_ = dynamic_cast<CParamSlider*>(page_->BoundControls().front());
        slider_->SetDeviceValue(20);
        slider_->setFocus();
    }

    void Key(int key, bool repeat, QEvent::Type type)
    {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(slider_, &event);
    }
    void Stroke(int key, bool repeat)
    {
        Key(key, repeat, QEvent::KeyPress);
        Key(key, repeat, QEvent::KeyRelease);
    }
    void Wheel(int notches)
    {
        const QPointF at(slider_->width() / 2.0, slider_->height() / 2.0);
        QWheelEvent event(at, slider_->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider_, &event);
    }

    CMainWindowStandIn main_;
    std::vector<std::uint8_t> writes_;
    bool echo_ = false;
    std::uint32_t now_ = 1000;
    std::unique_ptr<CPageBuilder> builder_;
    std::unique_ptr<IPageView> page_;
    CParamSlider* slider_ = nullptr;
};

}  // namespace

TEST_F(ParamSliderTest, EveryKeyStrokeLetGoWritesAndAHeldKeyEndsOnItsLastValue)
{
    Stroke(Qt::Key_Down, false);
    now_ += 10;
    Stroke(Qt::Key_Down, false);
    ASSERT_EQ(writes_.size(), 2u);
    EXPECT_EQ(writes_.back(), slider_->Raw());
    EXPECT_NE(writes_[0], writes_[1]);
    EXPECT_TRUE(echo_);  // the record drives visibility

    // A held key repeats every 30 ms: paced to one write per 200 ms, and the
    // final release writes where it stopped.
    writes_.clear();
    for (int i = 0; i < 20; ++i) {
        now_ += 30;
        Stroke(Qt::Key_Up, true);
    }
    EXPECT_LE(writes_.size(), 4u);
    Key(Qt::Key_Up, false, QEvent::KeyRelease);
    ASSERT_FALSE(writes_.empty());
    EXPECT_EQ(writes_.back(), slider_->Raw());
}

TEST_F(ParamSliderTest, AWheelNotchHeldBackByThePacingIsWrittenSoonAfter)
{
    Wheel(1);
    ASSERT_EQ(writes_.size(), 1u);
    now_ += 20;
    Wheel(1);
    EXPECT_EQ(writes_.size(), 1u);  // too soon after the first
    QElapsedTimer waited;
    waited.start();
    while (writes_.size() < 2 && waited.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(writes_.size(), 2u);
    EXPECT_EQ(writes_.back(), slider_->Raw());
}

// The compare lock disables a slider and the A/B switch reads it again: a value
// the pacing held back must not reach the processor after either.
TEST_F(ParamSliderTest, AHeldBackValueIsDroppedWhenTheSliderIsDisabledOrTheProcessorReports)
{
    for (const bool disable : {true, false}) {
        writes_.clear();
        now_ += 1000;
        Wheel(1);
        ASSERT_EQ(writes_.size(), 1u);
        now_ += 20;
        Wheel(1);
        if (disable)
            slider_->SetEnabled(false);
        else
            slider_->SetDeviceValue(30);
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(writes_.size(), 1u) << (disable ? "disabled" : "reported");
        slider_->SetEnabled(true);
    }
}
