#include "app/ui/QtMessagePoster.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Stands in for the main window: keeps every message it is sent.
class Receiver : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (auto* m = dynamic_cast<CAppMessageEvent*>(e)) {
            received.push_back(m->Message());
            return true;
        }
        return QObject::event(e);
    }
    std::vector<AppMessage> received;
};

void ProcessUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

TEST(QtMessagePoster, MessagesPostedFromAnotherThreadArriveInOrderWithTheirBytes)
{
    Receiver receiver;
    CQtMessagePoster poster(&receiver);
    std::thread worker([&] {
        poster.Post({msg::UM_CONNECTED, 0, 0, {}});
        poster.Post({msg::UM_PRESET_DATA, 7, 0, {1, 0, 2}});
        poster.Post({msg::UM_PARAM_VALUE, 0, PackParamValue(1, 2, 3, 4), {}});
    });
    worker.join();
    ProcessUntil([&] { return receiver.received.size() == 3; });
    ASSERT_EQ(receiver.received.size(), 3u);
    EXPECT_EQ(receiver.received[0].id, msg::UM_CONNECTED);
    EXPECT_EQ(receiver.received[1].wParam, 7u);
    EXPECT_EQ(receiver.received[1].data, (ByteString{1, 0, 2}));
    EXPECT_EQ(receiver.received[2].lParam, 0x04030201u);
}

TEST(QtMessagePoster, TimerServiceRunsCallbacksOnTheEventLoopAfterTheirDelay)
{
    QObject context;
    CQtTimerService timers(&context);
    std::vector<int> ran;
    QElapsedTimer clock;
    clock.start();
    timers.StartOnce(std::chrono::milliseconds(15), [&] { ran.push_back(1); });
    EXPECT_TRUE(ran.empty());
    ProcessUntil([&] { return !ran.empty(); });
    EXPECT_EQ(ran, std::vector<int>{1});
    EXPECT_GE(clock.elapsed(), 14);
}
