#pragma once

// Shared pieces of the transport tests: a sink that records what a transport
// reports, and counters of the process's descriptors and threads.

#include "link/ITransport.h"
#include "settings/ConnectionSettings.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace transport_test {

using namespace std::chrono_literals;
constexpr auto kWait = 5s;  // bound of every wait for the transport's thread

// A packet is as long as its first byte says: enough to see the receive buffer
// at work without the session's rule.
inline std::optional<std::size_t> FirstByteLength(const ByteString& buffered)
{
    if (buffered.empty() || buffered[0] > buffered.size())
        return std::nullopt;
    return buffered[0];
}

class RecordingSink : public ITransportSink {
public:
    using LengthRule = std::function<std::optional<std::size_t>(const ByteString&)>;
    explicit RecordingSink(LengthRule rule = FirstByteLength) : rule_(std::move(rule)) {}

    void OnTransportConnected() override { Record([&] { ++connected; }); }
    void OnTransportDisconnected() override { Record([&] { ++disconnected; }); }
    void OnTransportError(int code) override { Record([&] { errors.push_back(code); }); }
    void OnPacketReceived(const ByteString& packet) override
    {
        std::unique_lock lock(mutex_);
        packets.push_back(packet);
        changed_.notify_all();
        // A held sink keeps the transport's thread busy, as a slow session would.
        changed_.wait_for(lock, kWait, [&] { return !hold_; });
    }
    std::optional<std::size_t> GetPacketLength(const ByteString& buffered) override
    {
        Record([&] { bufferedSizes.push_back(buffered.size()); });
        return rule_(buffered);
    }

    // Waits, bounded, until the condition over the recorded fields holds.
    template <typename Condition>
    bool WaitUntil(Condition condition, std::chrono::milliseconds limit = kWait)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return condition(); });
    }
    template <typename Read>
    auto Inspect(Read read)
    {
        std::lock_guard lock(mutex_);
        return read();
    }
    void Hold()
    {
        std::lock_guard lock(mutex_);
        hold_ = true;
    }
    void Release()
    {
        std::lock_guard lock(mutex_);
        hold_ = false;
        changed_.notify_all();
    }

    // Guarded by the sink's mutex: read them through WaitUntil or Inspect.
    int connected = 0;
    int disconnected = 0;
    std::vector<int> errors;
    std::vector<ByteString> packets;
    std::vector<std::size_t> bufferedSizes;

private:
    template <typename Change>
    void Record(Change change)
    {
        std::lock_guard lock(mutex_);
        change();
        changed_.notify_all();
    }

    LengthRule rule_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool hold_ = false;
};

// A pseudo-terminal pair: the transport opens the slave by its path, the test
// plays the processor on the master.
class PtyPair {
public:
    PtyPair()
    {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            path_ = name;
            ::close(slave);  // the master keeps the slave device alive
        }
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& Path() const { return path_; }
    int Master() const { return master_; }
    void CloseMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    void Write(const ByteString& bytes) { ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
    // Reads until `count` bytes came or the limit ran out; gives what came.
    ByteString Read(std::size_t count, int limitMs = 5000)
    {
        ByteString bytes;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (bytes.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd wait{master_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) != 1)
                break;
            std::uint8_t chunk[512];
            const auto got = ::read(master_, chunk, std::min(sizeof chunk, count - bytes.size()));
            if (got <= 0)
                break;
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
        return bytes;
    }
    termios Line() const
    {
        termios tio{};
        ::tcgetattr(master_, &tio);  // the master reports the slave's settings
        return tio;
    }

private:
    int master_ = -1;
    std::string path_;
};

inline std::size_t CountEntries(const char* folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}
inline std::size_t OpenDescriptors() { return CountEntries("/proc/self/fd"); }
inline std::size_t RunningThreads() { return CountEntries("/proc/self/task"); }

// Opens and closes a fresh transport and a reused one 100 times each, the reused
// one sending a byte while open when `sendWhileOpen`: no descriptor or thread may
// be left behind, and every open connects without an error.
template <typename Transport>
void ExpectOpenCloseCyclesLeakNothing(const ConnectionSettings& settings, bool sendWhileOpen)
{
    RecordingSink sink;
    Transport reused(&sink);
    reused.Open(settings);
    reused.Close();
    const auto descriptors = OpenDescriptors();
    const auto threads = RunningThreads();
    for (int cycle = 0; cycle < 100; ++cycle) {
        Transport transport(&sink);
        transport.Open(settings);
        transport.Close();
        reused.Open(settings);
        if (sendWhileOpen)
            reused.Send(ByteString{1}.data(), 1);
        reused.Close();
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(RunningThreads(), threads);
    sink.Inspect([&] {
        EXPECT_EQ(sink.connected, 201);
        EXPECT_TRUE(sink.errors.empty());
    });
}

}  // namespace transport_test
