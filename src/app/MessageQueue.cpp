#include "app/MessageQueue.h"

void CMessageQueue::Post(AppMessage message)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(message));
    }
    ready_.notify_one();
}

std::optional<AppMessage> CMessageQueue::TryPop()
{
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return std::nullopt;
    AppMessage message = std::move(queue_.front());
    queue_.pop_front();
    return message;
}

bool CMessageQueue::Empty()
{
    std::lock_guard lock(mutex_);
    return queue_.empty();
}

std::optional<AppMessage> CMessageQueue::PopUntil(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    if (!ready_.wait_until(lock, deadline, [this] { return !queue_.empty(); })) return std::nullopt;
    AppMessage message = std::move(queue_.front());
    queue_.pop_front();
    return message;
}
