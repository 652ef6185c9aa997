#include "skin/ui/SkinAnimation.h"

#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPlacement.h"

#include <QMetaObject>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace {
constexpr int kDefaultPeriodMs = 30;
// A typo in the skin must neither spin the worker nor park it for hours.
constexpr int kMaxPeriodMs = 10000;
constexpr int kMaxCount = 1000;
} // namespace

CSkinAnimation::Run CSkinAnimation::NextStep(Run run, int count)
{
    if (run.forward) {
        if (run.position < count - 2)
            ++run.position;
        else
            run.forward = false;
    } else {
        if (run.position > 1)
            --run.position;
        else
            run.forward = true;
    }
    return run;
}

bool CSkinAnimation::IsLit(int piece, int position)
{
    return std::abs(piece - position) <= 1;
}

CSkinAnimation::CSkinAnimation(std::string element, CSkinManager& manager)
    : CSkinClient(std::move(element), manager)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

CSkinAnimation::~CSkinAnimation()
{
    Stop();
    Detach();
}

void CSkinAnimation::Start(QWidget* parent)
{
    Stop();
    setParent(parent);
    Attach(this);
    ApplySkin();
    show();
    run_.store(Run{});
    SetPosition(0);
    {
        const std::lock_guard lock(mutex_);
        stop_ = false;
    }
    worker_ = std::thread(&CSkinAnimation::Work, this);
}

void CSkinAnimation::Stop()
{
    if (!worker_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void CSkinAnimation::Work()
{
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(period_.load()), [this] { return stop_; })) {
        run_.store(NextStep(run_.load(), count_.load()));
        // The UI thread paints; a queued call dies with this object, which
        // joins this thread before it goes.
        QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
    }
}

void CSkinAnimation::ApplySkin()
{
    setGeometry(SkinRect(*this));
    StretchFace();
    active_ = GetImage("active");
    inactive_ = GetImage("inactive");
    const std::uint32_t mask = SkinMask(*this, "colormask");
    activeShape_ = RegionFromBitmap(active_, mask);
    inactiveShape_ = RegionFromBitmap(inactive_, mask);
    firstPiece_ = QPoint(SkinOffset(*this, "ofs_left"), SkinOffset(*this, "ofs_top"));
    count_ = std::clamp(GetLong("count"), 0, kMaxCount);
    const int speed = GetLong("speed");
    period_ = speed == 0 ? kDefaultPeriodMs : std::clamp(speed, 1, kMaxPeriodMs);
    update();
}

void CSkinAnimation::SetPosition(int position)
{
    run_.store({std::clamp(position, 0, count_.load()), run_.load().forward});
    update();
}

void CSkinAnimation::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    StretchFace();
}

void CSkinAnimation::StretchFace()
{
    face_ = StretchedFace(*this, "background", size());
    frame_ = RegionFromBitmap(face_, SkinMask(*this, "bkcolormask"));
}

void CSkinAnimation::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawMasked(painter, QPoint(0, 0), face_, frame_);
    const int position = Position();
    QPoint at = firstPiece_;
    for (int i = 0; i < count_.load(); ++i) {
        const bool lit = IsLit(i, position);
        DrawMasked(painter, at, lit ? active_ : inactive_, lit ? activeShape_ : inactiveShape_);
        at.rx() += LogicalSize(active_).width();
    }
}
