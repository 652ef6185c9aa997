#pragma once

// Pieces the session benchmarks share: a sink that counts the events a command
// ends with, and the reply a processor stand-in sends.

#include "link/Packet.h"
#include "link/SessionSink.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <initializer_list>
#include <mutex>

namespace bench {

// Counts connects and the replies to Read version, Read parameter and Get
// config, so that a benchmark can wait for the n-th of them.
class CountingSink : public CSessionSink {
public:
    void OnConnect() override { Bump(); }
    void OnDisconnect() override {}
    void OnError(int code) override { std::fprintf(stderr, "link error %d\n", code); }
    void OnVersionReceive(const ByteString&) override { Bump(); }
    void OnParamReceive(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) override { Bump(); }
    void OnStatusReceive(const ByteString&) override {}
    void OnConfigReceive(const ByteString& description) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        configBytes_ = description.size();
        ++events_;
        done_.notify_all();
    }
    void OnPresetCountReceive(std::uint8_t) override {}
    void OnPresetLoaded(std::uint8_t) override {}
    void OnPresetReceive(std::uint8_t, const ByteString&) override {}
    void OnPresetSent(std::uint8_t, const ByteString&) override {}
    void OnLog(const std::string&) override {}

    // Waits, bounded, until n events came in all; false when the limit ran out.
    bool WaitFor(std::size_t n, std::chrono::seconds limit = std::chrono::seconds(5))
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return done_.wait_for(lock, limit, [&] { return events_ >= n; });
    }
    std::size_t ConfigBytes()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return configBytes_;
    }

private:
    void Bump()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++events_;
        done_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable done_;
    std::size_t events_ = 0;
    std::size_t configBytes_ = 0;
};

// A reply packet: the head given, then its checksum.
inline ByteString Reply(std::initializer_list<std::uint8_t> head)
{
    ByteString p(head);
    p.push_back(Checksum(p.data(), p.size()));
    return p;
}

}  // namespace bench
