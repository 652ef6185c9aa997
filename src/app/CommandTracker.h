#pragma once

#include <atomic>
#include <cstdint>

// Tells when every command given to the session has been answered. The session
// asks for status only while it is idle with nothing queued, so a status reply
// proves that every command given before the previous status reply has been
// answered: those commands were queued then and had to be answered before the
// later status request could go out.
class CCommandTracker {
public:
    // After a command has been handed to the session.
    void Given() { given_.fetch_add(1, std::memory_order_acq_rel); }
    // From the session's thread, for every status reply it passes on.
    void StatusReplied();
    // Every command given so far has been answered.
    bool AllAnswered() const { return answered_.load(std::memory_order_acquire) >= given_.load(std::memory_order_acquire); }

private:
    std::atomic<std::uint64_t> given_{0};
    std::atomic<std::uint64_t> givenAtLastStatus_{0};
    std::atomic<std::uint64_t> answered_{0};
};
