#include "skin/ui/SkinButton.h"

#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinFocusMark.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPlacement.h"

#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {
// Face images and text colours share their names: "up" and "text_color_up".
constexpr std::array<const char*, CSkinButton::kFaceCount> kFaceNames = {"up", "down", "over", "disabled",
                                                                         "down_disabled"};
// The focus mark sits this far inside the face, clear of rounded corners.
constexpr int kFocusInset = 3;
} // namespace

CSkinButton::CSkinButton(std::string element, CSkinManager& manager)
    : CSkinClient(std::move(element), manager)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    tipTimer_.setSingleShot(true);
    connect(&tipTimer_, &QTimer::timeout, this, &CSkinButton::ShowTip);
}

CSkinButton::~CSkinButton()
{
    Detach();
}

void CSkinButton::Create(QWidget* parent, int controlId)
{
    CreateChildControl(*this, *this, parent, controlId);
}

void CSkinButton::ApplySkin()
{
    for (std::size_t i = 0; i < kFaceCount; ++i)
        textColours_[i] = SkinColour(*this, std::string("text_color_") + kFaceNames[i]);
    stick_ = GetLong("stick") != 0;
    if (stick_)
        setCheckable(true);
    drawText_ = GetLong("draw_text") != 0;
    setFont(SkinFont(*this));
    const QString caption = GetString("caption");
    if (!caption.isEmpty())
        setText(caption);
    tip_ = GetString("tip");
    setToolTip(tip_);
    tipTimer_.setInterval(std::max(0, GetLong("tip_delay")));
    // Icon buttons have no caption: their tip names them.
    setAccessibleName(text().isEmpty() ? tip_ : QString());
    if (!placedByOwner_) {
        QRect place = SkinRect(*this);
        if (place.width() == 0)
            place.setSize(LogicalSize(GetImage("up")));
        setGeometry(place);
    }
    RebuildFaces();
    update();
}

void CSkinButton::Place(const QRect& rect)
{
    placedByOwner_ = true;
    setGeometry(rect);
    // A hidden button hears of its new size only when shown: a group's model button is never shown.
    if (size() != facesSize_)
        RebuildFaces();
}

void CSkinButton::resizeEvent(QResizeEvent*)
{
    if (size() != facesSize_)
        RebuildFaces();
}

void CSkinButton::RebuildFaces()
{
    faces_.fill(std::nullopt);
    facesSize_ = size();
    const QImage up = GetImage("up");
    shape_ = GetLong("rgn_rect") != 0 || up.isNull() ? QRegion(rect())
                                                      : SkinShape(*this, up);
    setMask(shape_);
}

QSize CSkinButton::GetTextSize(const QString& text) const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text) + SkinOffset(*this, "x_margin"),
                 metrics.height() + SkinOffset(*this, "y_margin"));
}

CSkinButton::Face CSkinButton::CurrentFace() const
{
    const bool down = IsStuck() || isDown();
    if (!isEnabled())
        return down ? Face::DownDisabled : Face::Disabled;
    if (down)
        return Face::Down;
    return hover_ ? Face::Over : Face::Up;
}

const QImage& CSkinButton::FaceImage(Face face) const
{
    static const QImage none;
    // Before it is bound to its window, the button has no screen to pick faces for.
    if (!Window())
        return none;
    const auto index = static_cast<std::size_t>(face);
    std::optional<QImage>& stretched = faces_[index];
    if (!stretched) {
        // A face the skin lacks is the one before it in the fallback order.
        QImage source;
        for (std::size_t i = index + 1; !size().isEmpty() && i-- > 0 && source.isNull();)
            source = GetImage(kFaceNames[i]);
        stretched = source.isNull() ? QImage()
                                    : StretchByResizeLines(source, GetLong("resize_line_x"),
                                                           GetLong("resize_line_y"), width(), height());
    }
    return *stretched;
}

QSize CSkinButton::sizeHint() const
{
    const QImage& up = FaceImage(Face::Up);
    return up.isNull() ? QSize(40, 20) : LogicalSize(up);
}

void CSkinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintLook(painter, CurrentFace(), text(), hasFocus());
}

void CSkinButton::PaintLook(QPainter& painter, Face face, const QString& text, bool focused) const
{
    const auto index = static_cast<std::size_t>(face);
    const QRect area(QPoint(), size());
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.setClipRegion(shape_, Qt::IntersectClip);
    painter.drawImage(0, 0, FaceImage(face));
    if (drawText_) {
        painter.setFont(font());
        painter.setPen(textColours_[index]);
        painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, text);
    }
    if (focused)
        DrawSkinFocusMark(painter, area.adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset),
                          textColours_[index]);
    painter.restore();
}

bool CSkinButton::hitButton(const QPoint& pos) const
{
    return shape_.contains(pos);
}

void CSkinButton::SetStuck(bool stuck)
{
    if (stuck)
        setCheckable(true);
    setChecked(stuck);
}

void CSkinButton::nextCheckState()
{
    // A click never unsticks: only the program does.
    if (stick_)
        SetStuck(true);
}

void CSkinButton::SetHover(bool hover)
{
    if (hover == hover_)
        return;
    hover_ = hover;
    if (hover && !tip_.isEmpty()) {
        tipTimer_.start();
    } else {
        tipTimer_.stop();
        QToolTip::hideText();
    }
    update();
}

void CSkinButton::ShowTip()
{
    if (hover_)
        QToolTip::showText(QCursor::pos(), tip_, this, rect(), kTipShowMs);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event)
{
    SetHover(shape_.contains(event->position().toPoint()));
    QAbstractButton::mouseMoveEvent(event);
}

void CSkinButton::enterEvent(QEnterEvent* event)
{
    SetHover(shape_.contains(event->position().toPoint()));
    QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event)
{
    SetHover(false);
    QAbstractButton::leaveEvent(event);
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        SetHover(false);
    QAbstractButton::mouseReleaseEvent(event);
}

void CSkinButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            animateClick();
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Arrow keys belong to the window around the button (a group moves its choice).
        event->ignore();
        break;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

bool CSkinButton::event(QEvent* event)
{
    // The tooltip follows the skin's delay and the shape, not the platform's hover rules.
    if (event->type() == QEvent::ToolTip)
        return true;
    const bool handled = QAbstractButton::event(event);
    // The face an event (show, hover, press, enable) calls for is made here,
    // outside painting, where a skin error may show its message.
    if (event->type() != QEvent::Paint && isVisible())
        FaceImage(CurrentFace());
    return handled;
}
