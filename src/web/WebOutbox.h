#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// What waits to go out to each browser. A message for many browsers is made
// once and shared; of the meter frames only the newest is kept, so a slow
// browser skips frames instead of piling them up; a browser that falls too
// far behind on the rest is flagged to be dropped (it reconnects and gets the
// whole picture again). The processor links only ever add here; one writer
// thread takes.
class CWebOutbox {
public:
    static constexpr std::size_t kMaxQueued = 256;
    using Text = std::shared_ptr<const std::string>;

    struct Batch {
        std::uint64_t client = 0;
        std::vector<Text> texts;  // in the order they were added, the meter frame last
        bool overflow = false;
    };

    void Add(std::uint64_t client, std::size_t link);
    void Remove(std::uint64_t client);
    void Broadcast(std::size_t link, const std::string& text, bool meter);
    void Send(std::uint64_t client, const std::string& text);
    // Waits at most `wait` for anything to write, then takes all of it.
    std::vector<Batch> Take(std::chrono::milliseconds wait);
    void Stop();

private:
    struct Box {
        std::size_t link = 0;
        std::deque<Text> queue;
        Text meter;
        bool overflow = false;
        bool reported = false;  // the overflow went out once
    };
    void Push(Box& box, const Text& text);

    std::mutex mutex_;
    std::condition_variable ready_;
    std::map<std::uint64_t, Box> boxes_;
    bool pending_ = false;
    bool stop_ = false;
};
