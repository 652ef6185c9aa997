#include "description/ui/ParamSlider.h"

#include "description/ParameterModel.h"
#include "description/ui/PageServices.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinStatic.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

constexpr int kSmallestTextPx = 8;
constexpr int kTextMargin = 4;

// The skin's font, made smaller until `text` fits in `width`: a long value
// ("2840 Hz") in a narrow cell stays whole and apart from its neighbours.
QFont FittingFont(QFont font, const QString& text, int width)
{
    while (QFontMetrics(font).horizontalAdvance(text) > width - kTextMargin && font.pixelSize() > kSmallestTextPx)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

}  // namespace

CParamSlider::CParamSlider(CSkinManager& manager, const ControlRecord& record, CSkinStatic* valueWindow,
                           const PageServices& services)
    : CSkinSlider("Slider", manager), records_{record}, valueWindow_(valueWindow), services_(services)
{
    const SliderBounds range = SliderRange(record);
    setRange(range.lo, range.hi);
    setAccessibleName(QString::fromStdString(record.name));
    // The value text follows every change, whoever made it.
    connect(this, &QAbstractSlider::valueChanged, this, [this] { Refresh(); });
    heldBack_.setSingleShot(true);
    heldBack_.setInterval(static_cast<int>(CSliderSendGate::kMinIntervalMs));
    connect(&heldBack_, &QTimer::timeout, this, [this] { SendFinal(); });
}

std::uint8_t CParamSlider::Raw() const
{
    return RawFromSliderPosition(records_.front(), value());
}

void CParamSlider::Refresh()
{
    if (!valueWindow_) return;
    const QString text = QString::fromStdString(SliderText(records_.front(), Raw()));
    valueWindow_->setFont(FittingFont(SkinFont(*valueWindow_), text, valueWindow_->width()));
    valueWindow_->SetText(text);
}

void CParamSlider::Send()
{
    const ControlRecord& r = records_.front();
    switch (gate_.Ask(Raw(), services_.Now())) {
    case CSliderSendGate::Answer::TooSoon:
        if (!heldBack_.isActive()) heldBack_.start();
        return;
    case CSliderSendGate::Answer::AlreadySent: return;
    case CSliderSendGate::Answer::Send: break;
    }
    heldBack_.stop();
    if (services_.writeParameter) services_.writeParameter(r.a, r.b, r.c, Raw(), r.drivesVisibility);
}

void CParamSlider::SendFinal()
{
    heldBack_.stop();
    gate_.ForgetSendTime();
    Send();
}

void CParamSlider::SetDeviceValue(std::uint8_t raw)
{
    heldBack_.stop();
    gate_.Reported(raw);
    setValue(SliderPositionFromRaw(records_.front(), raw));
    Refresh();
    update();
}

void CParamSlider::FollowPosition()
{
    Refresh();
    Send();
}

void CParamSlider::mousePressEvent(QMouseEvent* event)
{
    CSkinSlider::mousePressEvent(event);
    FollowPosition();
}

void CParamSlider::mouseMoveEvent(QMouseEvent* event)
{
    CSkinSlider::mouseMoveEvent(event);
    FollowPosition();
}

void CParamSlider::mouseReleaseEvent(QMouseEvent* event)
{
    CSkinSlider::mouseReleaseEvent(event);
    Refresh();
    SendFinal();
}

void CParamSlider::keyReleaseEvent(QKeyEvent* event)
{
    Refresh();
    // A held key repeats; only letting it go is final.
    if (event->isAutoRepeat()) Send();
    else SendFinal();
    CSkinSlider::keyReleaseEvent(event);
}

void CParamSlider::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) heldBack_.stop();
    CSkinSlider::changeEvent(event);
}

void CParamSlider::wheelEvent(QWheelEvent* event)
{
    CSkinSlider::wheelEvent(event);
    Refresh();
    Send();
}
