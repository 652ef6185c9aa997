#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

// What the parameter controls of a page need from the rest of the program:
// the connection controller's parameter writes and reads, a millisecond tick
// counter for the slider's write pacing, and the period of the spin fields'
// re-read. Tests replace the clock and shorten the period.
struct PageServices {
    std::function<void(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value, bool echo)> writeParameter;
    std::function<void(std::uint8_t a, std::uint8_t b, std::uint8_t c)> readParameter;
    // Monotonic milliseconds; empty means the steady clock.
    std::function<std::uint32_t()> tickMs;
    std::chrono::milliseconds pollPeriod{1000};

    std::uint32_t Now() const;
};
