#include "skin/ui/SkinScrollButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

CSkinScrollButton::CSkinScrollButton(std::string element, CSkinManager& manager)
    : CSkinButton(std::move(element), manager)
{
    connect(&repeat_, &QTimer::timeout, this, &CSkinScrollButton::OnRepeatTimer);
}

void CSkinScrollButton::SetRepeatDelays(int firstMs, int nextMs)
{
    firstDelay_ = firstMs;
    nextDelay_ = nextMs;
}

void CSkinScrollButton::mousePressEvent(QMouseEvent* event)
{
    // Double clicks arrive here too, so every press scrolls.
    if (event->button() == Qt::LeftButton && hitButton(event->position().toPoint()))
        StartRepeat();
    CSkinButton::mousePressEvent(event);
}

void CSkinScrollButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        StopRepeat();
    CSkinButton::mouseReleaseEvent(event);
}

void CSkinScrollButton::keyPressEvent(QKeyEvent* event)
{
    // From the keyboard every press, held keys' repeats included, scrolls a line.
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ScrollLine();
        break;
    default:
        break;
    }
    CSkinButton::keyPressEvent(event);
}

void CSkinScrollButton::focusOutEvent(QFocusEvent* event)
{
    StopRepeat();
    CSkinButton::focusOutEvent(event);
}

void CSkinScrollButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        StopRepeat();
    CSkinButton::changeEvent(event);
}

void CSkinScrollButton::hideEvent(QHideEvent* event)
{
    StopRepeat();
    CSkinButton::hideEvent(event);
}

void CSkinScrollButton::StartRepeat()
{
    repeating_ = true;
    inFirstDelay_ = true;
    repeat_.start(firstDelay_);
    ScrollLine();
}

void CSkinScrollButton::StopRepeat()
{
    repeating_ = false;
    repeat_.stop();
}

void CSkinScrollButton::OnRepeatTimer()
{
    if (!repeating_) {
        repeat_.stop();
        return;
    }
    if (inFirstDelay_) {
        inFirstDelay_ = false;
        repeat_.start(nextDelay_);
        return;
    }
    ScrollLine();
}

void CSkinScrollButton::ScrollLine()
{
    if (!target_)
        return;
    const bool vertical = direction_ == Direction::LineUp || direction_ == Direction::LineDown;
    const bool back = direction_ == Direction::LineUp || direction_ == Direction::LineLeft;
    QScrollBar* bar = vertical ? target_->verticalScrollBar() : target_->horizontalScrollBar();
    bar->triggerAction(back ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
}
