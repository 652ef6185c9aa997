#pragma once

#include "views/Messages.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

// A thread-safe queue of posted messages for front ends without a window
// system (the command-line tool, tests): any thread posts, one thread drains.
class CMessageQueue : public IMessagePoster {
public:
    void Post(AppMessage message) override;
    std::optional<AppMessage> TryPop();
    bool Empty();
    // Waits at most until the deadline for a message.
    std::optional<AppMessage> PopUntil(std::chrono::steady_clock::time_point deadline);

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<AppMessage> queue_;
};
