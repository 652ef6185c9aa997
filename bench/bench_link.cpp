// Cost of the session engine itself: the real CVexlorSession against an in-memory
// processor that answers at once, so only the engine's threads and bookkeeping
// are measured. Prints one "figure: value" line per figure.

#include "BenchSupport.h"
#include "link/MemoryTransport.h"
#include "link/Packet.h"
#include "link/SessionSink.h"
#include "link/VexlorSession.h"
#include "link/XModemBlock.h"
#include "settings/ConnectionSettings.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

// CPU time of every thread of the process so far, in seconds.
double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Answers Read version and Get config; serves the description block by block.
class InstantProcessor {
public:
    InstantProcessor(std::shared_ptr<CMemoryWire> wire, std::size_t descriptionBytes)
        : wire_(std::move(wire)), description_(descriptionBytes, 0x3C)
    {
        wire_->SetPeer([this](const ByteString& b) { Handle(b); });
    }

private:
    void Handle(const ByteString& b)
    {
        if (b.empty())
            return;
        if (inTransfer_)
            return Transfer(b[0]);
        if (b[0] == CMD_READ_VERSION) {
            Reply({0x06, CMD_READ_VERSION, '1', '0', '0'});
        } else if (b[0] == CMD_GET_CONFIG) {
            inTransfer_ = true;
            block_ = 0;
            Reply({0x06, CMD_GET_CONFIG});
        }
    }
    void Transfer(std::uint8_t control)
    {
        if (control == 'C' || control == XM_ACK)
            ++block_;
        if (sentEot_) {
            inTransfer_ = sentEot_ = false;
            return;
        }
        const std::size_t from = (block_ - 1) * kXBlockData;
        if (from >= description_.size()) {
            sentEot_ = true;
            wire_->ToHost({XM_EOT});
            return;
        }
        wire_->ToHost(BuildXBlock(static_cast<std::uint32_t>(block_), description_.data() + from,
                                  std::min(kXBlockData, description_.size() - from)));
    }
    void Reply(std::initializer_list<std::uint8_t> head) { wire_->ToHost(bench::Reply(head)); }

    std::shared_ptr<CMemoryWire> wire_;
    ByteString description_;
    bool inTransfer_ = false;
    bool sentEot_ = false;
    std::size_t block_ = 0;
};

}  // namespace

int main()
{
    constexpr std::size_t kRoundTrips = 20000;
    constexpr std::size_t kDescription = 2 * 1024 * 1024;

    auto wire = std::make_shared<CMemoryWire>();
    InstantProcessor processor(wire, kDescription);
    // The 2 MiB download takes a while on a loaded machine; wait longer for it.
    constexpr std::chrono::seconds kLimit{60};
    bench::CountingSink sink;
    ConnectionSettings settings;
    settings.host = "127.0.0.1";
    CVexlorSession session(&sink, [wire](const ConnectionSettings&) { return std::make_unique<CMemoryTransport>(wire); });
    session.Connect(settings);
    std::size_t events = 1;
    if (!sink.WaitFor(events, kLimit))
        return 1;

    // One command at a time: give it, wait for its reply event, give the next.
    const auto t0 = Clock::now();
    const double cpu0 = ProcessCpuSeconds();
    for (std::size_t i = 0; i < kRoundTrips; ++i) {
        session.ReadVersion();
        if (!sink.WaitFor(++events, kLimit))
            return 1;
    }
    const double roundTripSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const double roundTripCpu = ProcessCpuSeconds() - cpu0;

    const auto t1 = Clock::now();
    session.GetConfig(1234);
    if (!sink.WaitFor(++events, kLimit))
        return 1;
    const double downloadSeconds = std::chrono::duration<double>(Clock::now() - t1).count();

    std::printf("session_roundtrips_per_s: %.0f\n", kRoundTrips / roundTripSeconds);
    std::printf("session_roundtrip_us: %.1f\n", roundTripSeconds * 1e6 / kRoundTrips);
    std::printf("session_roundtrip_cpu_us: %.1f\n", roundTripCpu * 1e6 / kRoundTrips);
    std::printf("xmodem_download_bytes_per_s: %.0f\n", static_cast<double>(sink.ConfigBytes()) / downloadSeconds);
    session.Disconnect();
    return sink.ConfigBytes() == kDescription ? 0 : 1;
}
