#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT (a kill, a logout, Ctrl+C in the terminal)
// into a call on the event loop's thread, so the program can end the way Exit
// does: tell the processor, keep the settings, exit with 0. The handler itself
// only writes the signal's number into a pipe. One per process.
class CSignalExit : public QObject {
public:
    explicit CSignalExit(std::function<void(int signal)> onSignal);
    ~CSignalExit() override;
    CSignalExit(const CSignalExit&) = delete;
    CSignalExit& operator=(const CSignalExit&) = delete;

private:
    void Drain();

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
