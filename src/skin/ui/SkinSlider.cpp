#include "skin/ui/SkinSlider.h"

#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinFocusMark.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPlacement.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// Ticks stop this far short of the thumb's sides.
constexpr int kTickGap = 7;
} // namespace

CSkinSlider::CSkinSlider(std::string element, CSkinManager& manager)
    : QSlider(Qt::Vertical)
    , CSkinClient(std::move(element), manager)
{
    // The minimum is at the top, so Up, Page Up and the wheel turned up all
    // move the thumb up, towards the smaller positions.
    setInvertedControls(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

CSkinSlider::~CSkinSlider()
{
    Detach();
}

void CSkinSlider::Create(QWidget* parent, int controlId)
{
    setParent(parent);
    SetControlId(this, controlId);
    Attach(this);
    ApplySkin();
    show();
}

void CSkinSlider::ApplySkin()
{
    thumbNormal_ = GetImage("down");
    thumbDragging_ = GetImage("up");
    thumbDisabled_ = GetImage("thumb_disabled");
    const std::uint32_t mask = SkinMask(*this, "thumbcolormask");
    regionNormal_ = RegionFromBitmap(thumbNormal_, mask);
    regionDragging_ = RegionFromBitmap(thumbDragging_, mask);
    regionDisabled_ = RegionFromBitmap(thumbDisabled_, mask);
    tickColour_ = SkinColour(*this, "color");
    thumbCenter_ = SkinOffset(*this, "thumb_center");
    offsetTop_ = SkinOffset(*this, "offset_top");
    offsetBottom_ = SkinOffset(*this, "offset_bottom");
    dragging_ = false;
    StretchFaces();
    update();
}

void CSkinSlider::StretchFaces()
{
    const QSize size(LogicalSize(GetImage("background")).width(), height());
    face_ = StretchedFace(*this, "background", size);
    disabledFace_ = StretchedFace(*this, "background_disabled", size);
    frame_ = RegionFromBitmap(face_, SkinMask(*this, "bkcolormask"));
}

SkinSliderGeometry CSkinSlider::Geometry() const
{
    return {size(), LogicalSize(thumbNormal_), offsetTop_, offsetBottom_, thumbCenter_, minimum(), maximum()};
}

void CSkinSlider::resizeEvent(QResizeEvent* event)
{
    QSlider::resizeEvent(event);
    StretchFaces();
}

void CSkinSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintFaceBehind(painter, this);
    const SkinSliderGeometry geometry = Geometry();
    DrawMasked(painter, QPoint(0, 0), isEnabled() ? face_ : disabledFace_, frame_);
    DrawTicks(painter, geometry);
    const QRect thumb = geometry.ThumbRect(value());
    DrawThumb(painter, thumb);
    if (hasFocus())
        DrawSkinFocusMark(painter, rect(), tickColour_.lighter(170));
}

void CSkinSlider::DrawTicks(QPainter& painter, const SkinSliderGeometry& geometry) const
{
    const QRect thumb = geometry.ThumbRect(value());
    const int gap = (thumb.left() + (width() - thumb.left() - thumb.width())) / 2;
    const int step = geometry.DenseTicks() ? 4 : 1;
    painter.setPen(QPen(tickColour_, 0));
    for (int i = 0; i < geometry.TickCount(); i += step) {
        const int y = static_cast<int>(geometry.TickY(i));
        painter.drawLine(0, y, gap - kTickGap - 1, y);
        painter.drawLine(width() - gap + kTickGap - 1, y, width() - 1, y);
    }
}

void CSkinSlider::DrawThumb(QPainter& painter, const QRect& thumb) const
{
    if (!isEnabled())
        DrawMasked(painter, thumb.topLeft(), thumbDisabled_, regionDisabled_);
    else if (dragging_)
        DrawMasked(painter, thumb.topLeft(), thumbDragging_, regionDragging_);
    else
        DrawMasked(painter, thumb.topLeft(), thumbNormal_, regionNormal_);
}

void CSkinSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int y = event->position().toPoint().y();
    const QRect thumb = ThumbRect();
    if (thumb.contains(event->position().toPoint())) {
        dragOffset_ = thumb.top() + thumbCenter_ - y;
        dragging_ = true;
        update();
        return;
    }
    dragging_ = false;
    setValue(Geometry().PositionAt(y));
    update();
}

void CSkinSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_)
        setValue(Geometry().PositionAt(event->position().toPoint().y() + dragOffset_));
}

void CSkinSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        EndDrag();
}

void CSkinSlider::EndDrag()
{
    if (!dragging_)
        return;
    dragging_ = false;
    update();
}

void CSkinSlider::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        EndDrag();
    QSlider::changeEvent(event);
}

void CSkinSlider::hideEvent(QHideEvent* event)
{
    EndDrag();
    QSlider::hideEvent(event);
}

void CSkinSlider::focusOutEvent(QFocusEvent* event)
{
    EndDrag();
    QSlider::focusOutEvent(event);
}
