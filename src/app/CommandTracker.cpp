#include "app/CommandTracker.h"

void CCommandTracker::StatusReplied()
{
    answered_.store(givenAtLastStatus_.load(std::memory_order_acquire), std::memory_order_release);
    givenAtLastStatus_.store(given_.load(std::memory_order_acquire), std::memory_order_release);
}
