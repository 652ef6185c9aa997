#pragma once

#include "core/ProcessorSide.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace vsim {

// Puts outputs on the wire from its own thread: each at its due time (replies
// held back by the delay fault), in order, and with --baud no faster than a
// serial wire at that rate would carry them (10 bit times per byte).
class OutputPump {
public:
    using Sink = std::function<void(const std::uint8_t*, std::size_t)>;

    // `splittable`: a stream may be written piece by piece; a datagram may not.
    // `unitGap`: least time between a unit sent out of turn and its neighbours,
    // so that a stream receiver reads them as separate arrivals.
    OutputPump(Sink sink, int baud, bool splittable,
               std::chrono::milliseconds unitGap = std::chrono::milliseconds(0));
    ~OutputPump();
    OutputPump(const OutputPump&) = delete;
    OutputPump& operator=(const OutputPump&) = delete;

    void Post(std::vector<Output> outputs);
    // Forgets everything not yet sent (the peer went away).
    void Clear();
    // True while something waits to go out.
    bool Busy();

private:
    using Clock = std::chrono::steady_clock;
    void Run();
    void Write(const ByteString& bytes, std::unique_lock<std::mutex>& lock);
    Clock::duration WireTime(std::size_t bytes) const;

    Sink sink_;
    const int baud_;
    const bool splittable_;
    const std::chrono::milliseconds unitGap_;
    Clock::time_point lastUnitEnd_{};
    std::mutex mutex_;
    std::condition_variable wake_;
    struct Unit {
        ByteString bytes;
        bool apart = false;
    };
    std::multimap<Clock::time_point, Unit> queue_;
    bool lastApart_ = false;
    bool writing_ = false;
    bool stop_ = false;
    Clock::time_point wireFree_{};
    std::thread thread_;
};

}  // namespace vsim
