#pragma once

#include "link/ITransport.h"
#include "link/TransportFactory.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

// Round trips and retries of one link, counted where the bytes pass: between
// the session and its transport. Thread-safe.
class CLinkMeter {
public:
    // Upper bounds of the round-trip histogram, in seconds.
    static constexpr std::array<double, 10> kBuckets{0.002, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1.0, 2.5};

    struct Histogram {
        std::array<std::uint64_t, kBuckets.size()> counts{};  // cumulative, as exposed
        std::uint64_t count = 0;
        double sum = 0;
    };

    void Sent(const std::uint8_t* data, std::size_t length);
    void Received();
    Histogram RoundTrips() const;
    std::uint64_t Retries() const { return retries_.load(); }

    // Wraps the transports a factory makes so that they report here.
    TransportFactory Wrap(TransportFactory inner);

private:
    using Clock = std::chrono::steady_clock;
    mutable std::mutex mutex_;
    ByteString lastSent_;
    bool answered_ = true;
    Clock::time_point sentAt_{};
    Histogram histogram_;
    std::atomic<std::uint64_t> retries_{0};
};
