#pragma once

#include <cstdint>
#include <optional>

// Decides when a dragged slider writes its value: at most once per 200 ms
// while it moves, once more on release, and never the value the processor
// holds (the last one sent or reported). Times
// are milliseconds of a monotonic tick counter (unsigned, may wrap).
class CSliderSendGate {
public:
    static constexpr std::uint32_t kMinIntervalMs = 200;

    enum class Answer { Send, AlreadySent, TooSoon };

    // Send: write `raw` now (the gate remembers it). TooSoon: a write went out
    // less than 200 ms ago; the caller sends the value later.
    Answer Ask(int raw, std::uint32_t nowMs);
    // The operator let go: the next different value goes out at once.
    void ForgetSendTime() { lastSendMs_.reset(); }
    // The processor reported this value: the next different value is news to it.
    void Reported(int raw) { lastSent_ = raw; }
    int LastSent() const { return lastSent_; }

private:
    int lastSent_ = -1; // what the processor holds as far as we know: sent or reported
    // Empty until the first write and after a release, so a release is never
    // held back by a tick counter that happens to be small or to have wrapped.
    std::optional<std::uint32_t> lastSendMs_;
};
