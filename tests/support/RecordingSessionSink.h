#pragma once

#include "link/SessionSink.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// A CSessionSink that records every event for tests; safe to read from the test
// thread while the session's threads write.
class RecordingSessionSink : public CSessionSink {
public:
    struct Event {
        std::string kind;  // "connect", "disconnect", "error", "version", "param", ...
        ByteString bytes;
        int number = 0;  // error code, count, preset
    };

    void OnConnect() override { Add({"connect", {}, 0}); }
    void OnDisconnect() override { Add({"disconnect", {}, 0}); }
    void OnError(int code) override { Add({"error", {}, code}); }
    void OnVersionReceive(const ByteString& v) override { Add({"version", v, 0}); }
    void OnParamReceive(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t v) override
    {
        Add({"param", {a, b, c, v}, 0});
    }
    void OnStatusReceive(const ByteString& s) override { Add({"status", s, 0}); }
    void OnConfigReceive(const ByteString& d) override { Add({"config", d, 0}); }
    void OnPresetCountReceive(std::uint8_t n) override { Add({"count", {}, n}); }
    void OnPresetLoaded(std::uint8_t n) override { Add({"loaded", {}, n}); }
    void OnPresetReceive(std::uint8_t n, const ByteString& d) override { Add({"preset", d, n}); }
    void OnPresetSent(std::uint8_t n, const ByteString& d) override { Add({"sent", d, n}); }
    void OnLog(const std::string& text) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        logs_.push_back(text);
        changed_.notify_all();
    }

    std::vector<Event> Events(const std::string& kind = {}) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<Event> out;
        for (const auto& e : events_)
            if (kind.empty() || e.kind == kind)
                out.push_back(e);
        return out;
    }
    std::size_t Count(const std::string& kind) const { return Events(kind).size(); }
    std::vector<std::string> Logs() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return logs_;
    }
    std::size_t LogCount(const std::string& line) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<std::size_t>(std::count(logs_.begin(), logs_.end(), line));
    }
    bool HasLogStartingWith(const std::string& prefix) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::any_of(logs_.begin(), logs_.end(),
                           [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }

    // Waits until at least n events of the kind arrived.
    bool WaitFor(const std::string& kind, std::size_t n = 1,
                 std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) const
    {
        return WaitUntil([&] { return CountLocked(kind) >= n; }, limit);
    }
    bool WaitForLog(const std::string& line, std::size_t n = 1,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) const
    {
        return WaitUntil([&] { return static_cast<std::size_t>(std::count(logs_.begin(), logs_.end(), line)) >= n; },
                         limit);
    }

private:
    void Add(Event e)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(std::move(e));
        changed_.notify_all();
    }
    std::size_t CountLocked(const std::string& kind) const
    {
        return static_cast<std::size_t>(
            std::count_if(events_.begin(), events_.end(), [&](const Event& e) { return e.kind == kind; }));
    }
    bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, done);
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Event> events_;
    std::vector<std::string> logs_;
};
