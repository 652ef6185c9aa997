#include "app/ui/QtMessagePoster.h"

#include <QCoreApplication>
#include <QTimer>

void CQtMessagePoster::Post(AppMessage message)
{
    QCoreApplication::postEvent(target_, new CAppMessageEvent(std::move(message)));
}

void CQtTimerService::StartOnce(std::chrono::milliseconds delay, std::function<void()> callback)
{
    QTimer::singleShot(delay, context_, std::move(callback));
}
