#pragma once

#include "views/Messages.h"
#include "app/TimerQueue.h"

#include <QEvent>
#include <QObject>
#include <QPointer>

// A posted message as a Qt event whose type is the message number.
class CAppMessageEvent : public QEvent {
public:
    explicit CAppMessageEvent(AppMessage message)
        : QEvent(static_cast<QEvent::Type>(message.id)), message_(std::move(message))
    {
    }
    const AppMessage& Message() const { return message_; }

private:
    AppMessage message_;
};

// Posts messages to a window from any thread; the window's event() hands
// CAppMessageEvents to the controller on the user-interface thread. Qt takes
// ownership of the event and frees it after delivery.
class CQtMessagePoster : public IMessagePoster {
public:
    explicit CQtMessagePoster(QObject* target) : target_(target) {}
    void Post(AppMessage message) override;

private:
    QObject* target_;
};

// One-shot timers on the user-interface thread; a timer dies with its context.
class CQtTimerService : public ITimerService {
public:
    explicit CQtTimerService(QObject* context) : context_(context) {}
    void StartOnce(std::chrono::milliseconds delay, std::function<void()> callback) override;

private:
    QObject* context_;
};
