// The parameter controls on real pages, driving the controller over the real
// session and the simulator on 127.0.0.1.
#include "description/ui/PageBuilder.h"

#include "description/ParameterModel.h"
#include "description/ui/ParamButtonGroup.h"
#include "description/ui/ParamPage.h"
#include "description/ui/ParamSlider.h"
#include "description/ui/ParamSpinField.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinSpin.h"
#include "skin/ui/SkinStatic.h"
#include "support/GroupClick.h"
#include "support/QtLiveRig.h"
#include "support/ShippedSkin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool HasStyle(const PageNode& node, ControlStyle style)
{
    for (const ControlItem& item : node.items)
        if (!item.hidden && item.Style() == style) return true;
    return false;
}

bool HasSpinOf(const PageNode& node, std::size_t fields, std::uint8_t group)
{
    for (const ControlItem& item : node.items)
        if (!item.hidden && item.Style() == ControlStyle::Spin && item.records.size() == fields &&
            item.records.front().a == group)
            return true;
    return false;
}

template <typename T>
std::vector<T*> Bound(IPageView* page)
{
    std::vector<T*> out;
    if (!page) return out;
    for (IBoundControl* c : page->BoundControls())
        if (auto* t = dynamic_cast<T*>(c)) out.push_back(t);
    return out;
}

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

class ParamControlsLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CShippedSkin::Get().Loaded());
        folder_ = fs::temp_directory_path() /
                  ("vexlor_params_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        rig_.reset();
        pages_.reset();
        fs::remove_all(folder_);
    }

    // Connects to a simulated model with real pages and opens the first page
    // that `want` accepts.
    void Open(int model, const std::function<bool(const PageNode&)>& want)
    {
        rig_ = std::make_unique<CQtLiveRig>(model, folder_.string());
        ASSERT_TRUE(rig_->SimStarted());
        PageServices services;
        // The rig itself, not the pointer to it: its pages still poll while it goes.
        CQtLiveRig* rig = rig_.get();
        services.writeParameter = [rig](std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t v, bool echo) {
            rig->Controller().WriteParameter(a, b, c, v, echo);
        };
        services.readParameter = [rig](std::uint8_t a, std::uint8_t b, std::uint8_t c) {
            rig->Controller().ReadParameter(a, b, c);
        };
        services.tickMs = [this] { return now_; };
        services.pollPeriod = std::chrono::milliseconds(20);
        pages_ = std::make_unique<CPageBuilder>(&main_, CShippedSkin::Get().Manager(), CMainWindowStandIn::kPageArea,
                                                services);
        rig_->Start({pages_.get(), nullptr, nullptr});
        ASSERT_TRUE(rig_->ConnectToReady());
        const int page = rig_->FindPage(want);
        ASSERT_GE(page, 0);
        ASSERT_TRUE(rig_->OpenAndWalk(static_cast<std::size_t>(page)));
        rig_->commands.clear();
    }

    IPageView* Page() { return rig_->Controller().CurrentPage(); }

    bool SimHolds(const std::array<std::uint8_t, 4>& write)
    {
        return rig_->RunUntil([&] { return rig_->Device().ReadValue({write[0], write[1], write[2]}) == write[3]; });
    }

    std::vector<std::array<std::uint8_t, 4>> Writes() const
    {
        std::vector<std::array<std::uint8_t, 4>> out;
        for (const auto& c : rig_->commands)
            if (c.kind == CQtLiveRig::Command::Kind::Write) out.push_back(c.bytes);
        return out;
    }

    fs::path folder_;
    CMainWindowStandIn main_;
    std::uint32_t now_ = 50000;
    std::unique_ptr<CPageBuilder> pages_;
    std::unique_ptr<CQtLiveRig> rig_;
};

}  // namespace

TEST_F(ParamControlsLive, DraggedSliderWritesAboutFiveTimesASecondAndTheFinalValueOnRelease)
{
    Open(12, [](const PageNode& n) { return HasStyle(n, ControlStyle::Slider); });
    auto sliders = Bound<CParamSlider>(Page());
    ASSERT_FALSE(sliders.empty());
    CParamSlider* slider = sliders.front();
    ASSERT_TRUE(slider->isVisible());
    const ControlRecord& record = slider->Records().front();

    // Grab the thumb and drag it down for one second, a move every 20 ms.
    QPoint at = slider->ThumbRect().center();
    Mouse(slider, QEvent::MouseButtonPress, at, Qt::LeftButton);
    ASSERT_TRUE(slider->IsDragging());
    for (int step = 0; step < 50; ++step) {
        now_ += 20;
        at.ry() += (step % 2) + 1;
        at.setY(std::min(at.y(), slider->height() - 1));
        Mouse(slider, QEvent::MouseMove, at, Qt::LeftButton);
    }
    const std::size_t whileDragging = Writes().size();
    EXPECT_GE(whileDragging, 4u);
    EXPECT_LE(whileDragging, 6u);
    now_ += 5;  // let go at once: the release is not held back
    Mouse(slider, QEvent::MouseButtonRelease, at, Qt::NoButton);

    const auto writes = Writes();
    ASSERT_EQ(writes.size(), whileDragging + 1);
    const std::array<std::uint8_t, 4> last{record.a, record.b, record.c, slider->Raw()};
    EXPECT_EQ(writes.back(), last);
    EXPECT_TRUE(SimHolds(last));
    // The value text follows the slider.
    auto* page = static_cast<CParamPageView*>(Page())->Window();
    bool shown = false;
    for (auto* label : page->findChildren<CSkinStatic*>())
        shown = shown || label->Text().toStdString() == SliderText(record, slider->Raw());
    EXPECT_TRUE(shown);

    // Releasing again on the same value sends nothing.
    Mouse(slider, QEvent::MouseButtonPress, slider->ThumbRect().center(), Qt::LeftButton);
    Mouse(slider, QEvent::MouseButtonRelease, slider->ThumbRect().center(), Qt::NoButton);
    EXPECT_EQ(Writes().size(), whileDragging + 1);
}

// One write per choice, by mouse or keyboard; choosing the chosen button again,
// pressing beside a button, or moving off it before the release writes nothing.
TEST_F(ParamControlsLive, ButtonGroupWritesTheChosenIndexOncePerChoiceByMouseOrKeyboard)
{
    Open(12, [](const PageNode& n) { return HasStyle(n, ControlStyle::ButtonGroup); });
    auto groups = Bound<CParamButtonGroup>(Page());
    ASSERT_FALSE(groups.empty());
    CParamButtonGroup* group = groups.front();
    ASSERT_GE(group->ButtonCount(), 3);
    const ControlRecord& record = group->Records().front();
    const auto write = [&](int index) {
        return std::array<std::uint8_t, 4>{record.a, record.b, record.c, static_cast<std::uint8_t>(index)};
    };
    group->SetDeviceValue(0);
    ClickGroupButton(*group, 1);
    ClickGroupButton(*group, 1);  // the chosen one again: nothing
    Mouse(group, QEvent::MouseButtonPress, group->ButtonRect(2).center(), Qt::LeftButton);
    Mouse(group, QEvent::MouseButtonRelease, group->ButtonRect(2).bottomRight() + QPoint(0, 1), Qt::NoButton);
    Mouse(group, QEvent::MouseButtonPress, group->ButtonRect(0).topLeft() - QPoint(1, 1), Qt::LeftButton);
    Mouse(group, QEvent::MouseButtonRelease, group->ButtonRect(0).topLeft() - QPoint(1, 1), Qt::NoButton);
    EXPECT_EQ(Writes(), (std::vector<std::array<std::uint8_t, 4>>{write(1)}));
    EXPECT_TRUE(SimHolds(write(1)));

    // The keyboard: an arrow chooses the next button, Space the one with the focus.
    group->setFocus(Qt::TabFocusReason);
    const auto key = [&](QEvent::Type type, int k) {
        QKeyEvent event(type, k, Qt::NoModifier);
        QApplication::sendEvent(group, &event);
    };
    key(QEvent::KeyPress, Qt::Key_Right);
    key(QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_EQ(group->FocusIndex(), 2);
    group->SetDeviceValue(0);  // the processor reports another value meanwhile
    key(QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(Writes().size(), 2u);  // chosen on the release
    key(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(Writes(), (std::vector<std::array<std::uint8_t, 4>>{write(1), write(2), write(2)}));
    EXPECT_TRUE(SimHolds(write(2)));
}

TEST_F(ParamControlsLive, SpinCarryIntoTheNextFieldWritesBothAddresses)
{
    Open(12, [](const PageNode& n) { return HasSpinOf(n, 3, 2); });
    // The first spin of three fields: preset, hour, minute (field 0).
    std::vector<CParamSpinField*> fields;
    for (CParamSpinField* f : Bound<CParamSpinField>(Page()))
        if (f->parentWidget()->findChildren<CParamSpinField*>().size() == 3 && fields.size() < 3) fields.push_back(f);
    ASSERT_EQ(fields.size(), 3u);
    CParamSpinField* hour = fields[1];
    CParamSpinField* minute = fields[2];
    ASSERT_EQ(minute->FieldIndex(), 0);
    auto* spin = dynamic_cast<CSkinSpin*>(minute->parentWidget());
    ASSERT_NE(spin, nullptr);
    hour->SetDeviceValue(5);
    minute->SetDeviceValue(59);
    spin->SetValue(60, 0, true);  // what the up arrow does on the minute field
    ASSERT_TRUE(rig_->RunUntil([&] { return Writes().size() >= 2; }));
    const auto& m = minute->Records().front();
    const auto& h = hour->Records().front();
    const auto writes = Writes();
    EXPECT_NE(std::find(writes.begin(), writes.end(), std::array<std::uint8_t, 4>{m.a, m.b, m.c, 0}), writes.end());
    EXPECT_NE(std::find(writes.begin(), writes.end(), std::array<std::uint8_t, 4>{h.a, h.b, h.c, 6}), writes.end());
    EXPECT_TRUE(SimHolds({h.a, h.b, h.c, 6}));
    EXPECT_TRUE(SimHolds({m.a, m.b, m.c, 0}));
}

TEST_F(ParamControlsLive, GroupFiveFieldsAreReadAgainOnlyWhileThePageIsShown)
{
    Open(12, [](const PageNode& n) { return HasSpinOf(n, 3, CParamSpinField::kPolledGroup); });
    auto fields = Bound<CParamSpinField>(Page());
    ASSERT_FALSE(fields.empty());
    // The shortened period re-reads the group-5 fields while the page shows.
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->Reads() >= 2 * fields.size(); }));
    for (const auto& c : rig_->commands) EXPECT_EQ(c.bytes[0], CParamSpinField::kPolledGroup);

    Page()->SetVisible(false);
    const std::size_t before = rig_->Reads();
    for (CParamSpinField* f : fields) f->Poll();
    EXPECT_EQ(rig_->Reads(), before);
    Page()->SetVisible(true);
    fields.front()->Poll();
    EXPECT_EQ(rig_->Reads(), before + 1);
}

namespace {

bool HasGroupZero(const PageNode& node, ControlStyle style)
{
    for (const ControlItem& item : node.items)
        if (!item.hidden && item.Style() == style && item.records.front().a == 0) return true;
    return false;
}

template <typename T>
T* FirstGroupZero(IPageView* page)
{
    for (T* control : Bound<T>(page))
        if (control->Records().front().a == 0 && control->isVisible()) return control;
    return nullptr;
}

void RunFor(int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

// The compare lock (B) disables the group-0 controls while the operator is at
// them: a held arrow and a value held back by the pacing both stop there.
TEST_F(ParamControlsLive, TheCompareLockStopsAHeldSpinArrowAndDropsAHeldBackSliderValue)
{
    Open(12, [](const PageNode& n) {
        return HasGroupZero(n, ControlStyle::Slider) && HasGroupZero(n, ControlStyle::Spin);
    });
    auto* slider = FirstGroupZero<CParamSlider>(Page());
    auto* field = FirstGroupZero<CParamSpinField>(Page());
    ASSERT_NE(slider, nullptr);
    ASSERT_NE(field, nullptr);
    auto* spin = dynamic_cast<CSkinSpin*>(field->parentWidget());
    ASSERT_NE(spin, nullptr);

    // Wheel notches: the first one that moves the slider is written, the next held back by the pacing.
    const QPointF at(slider->width() / 2.0, slider->height() / 2.0);
    const auto notch = [&](int delta) {
        QWheelEvent wheel(at, slider->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &wheel);
    };
    int delta = 120;
    notch(delta);
    if (Writes().empty()) notch(delta = -delta);
    ASSERT_EQ(Writes().size(), 1u);
    notch(delta);
    ASSERT_EQ(Writes().size(), 1u);
    // And an arrow held on the spin's field, repeating.
    spin->SetRepeatTiming(5, 5);
    Mouse(spin, QEvent::MouseButtonPress, spin->UpRect().center(), Qt::LeftButton);
    ASSERT_TRUE(rig_->RunUntil([&] { return Writes().size() >= 4; }));

    rig_->Controller().SelectB();
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_FALSE(spin->isEnabled());
    const std::size_t locked = Writes().size();
    RunFor(500);
    EXPECT_EQ(Writes().size(), locked);
    // Qt would deliver no release to the disabled spin; one arriving later changes nothing either.
    Mouse(spin, QEvent::MouseButtonRelease, spin->UpRect().center(), Qt::NoButton);
    Mouse(slider, QEvent::MouseButtonPress, slider->ThumbRect().center(), Qt::LeftButton);
    Mouse(slider, QEvent::MouseButtonRelease, slider->ThumbRect().center() + QPoint(0, 30), Qt::NoButton);
    EXPECT_EQ(Writes().size(), locked);
}

// The slider compares with what the processor holds, not with what it sent
// last: a value the processor changed meanwhile is written again.
TEST_F(ParamControlsLive, ASliderRewritesItsOldValueAfterTheProcessorChangedIt)
{
    Open(12, [](const PageNode& n) { return HasStyle(n, ControlStyle::Slider); });
    CParamSlider* slider = Bound<CParamSlider>(Page()).front();
    const ControlRecord& r = slider->Records().front();
    slider->setFocus();
    // Away from the end the first key stroke goes to.
    const int key = slider->value() < slider->maximum() ? Qt::Key_Down : Qt::Key_Up;
    const int back = key == Qt::Key_Down ? Qt::Key_Up : Qt::Key_Down;
    const auto stroke = [&](int k) {
        now_ += 1000;
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
        QApplication::sendEvent(slider, &press);
        QApplication::sendEvent(slider, &release);
    };
    stroke(key);
    const std::uint8_t sent = slider->Raw();
    ASSERT_EQ(Writes().size(), 1u);
    ASSERT_TRUE(SimHolds({r.a, r.b, r.c, sent}));

    // Something else moves the processor one further; the slider shows it.
    stroke(key);
    const std::uint8_t further = slider->Raw();
    stroke(back);
    ASSERT_EQ(slider->Raw(), sent);
    rig_->Controller().WriteParameter(r.a, r.b, r.c, further, false);
    ASSERT_TRUE(SimHolds({r.a, r.b, r.c, further}));
    rig_->Controller().ReadParameter(r.a, r.b, r.c);
    ASSERT_TRUE(rig_->RunUntil([&] { return slider->Raw() == further; }));

    rig_->commands.clear();
    stroke(back);
    ASSERT_EQ(slider->Raw(), sent);
    EXPECT_EQ(Writes(), (std::vector<std::array<std::uint8_t, 4>>{{r.a, r.b, r.c, sent}}));
    EXPECT_TRUE(SimHolds({r.a, r.b, r.c, sent}));
}
