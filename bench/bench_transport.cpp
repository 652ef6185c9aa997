// Command round trips of the real session over its real transports: UDP on
// 127.0.0.1 and a pseudo-terminal, each against a processor stand-in that
// answers at once. Prints one "figure: value" line per figure.

#include "BenchSupport.h"
#include "link/Packet.h"
#include "link/SessionSink.h"
#include "link/VexlorSession.h"
#include "settings/ConnectionSettings.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Answers Read version and Read parameter from a byte stream or datagrams, on
// its own thread, which both reads and writes.
class InstantProcessor {
public:
    using Read = std::function<long(std::uint8_t*, std::size_t)>;
    using Write = std::function<void(const ByteString&)>;
    InstantProcessor(int fd, Read read, Write write)
        : fd_(fd), read_(std::move(read)), write_(std::move(write)), thread_([this] { Run(); })
    {
    }
    ~InstantProcessor()
    {
        stop_ = true;
        thread_.join();
    }

private:
    void Run()
    {
        ByteString pending;
        while (!stop_) {
            pollfd wait{fd_, POLLIN, 0};
            if (::poll(&wait, 1, 20) != 1 || !(wait.revents & POLLIN))
                continue;
            std::uint8_t buffer[512];
            const auto got = read_(buffer, sizeof buffer);
            if (got <= 0)
                continue;
            pending.insert(pending.end(), buffer, buffer + got);
            Answer(pending);
        }
    }
    void Answer(ByteString& pending)
    {
        while (!pending.empty()) {
            const std::size_t length = pending[0] == CMD_READ_PARAM ? 5 : 2;
            if (pending.size() < length)
                return;
            if (pending[0] == CMD_READ_VERSION)
                Reply({0x06, CMD_READ_VERSION, '1', '0', '0'});
            else if (pending[0] == CMD_READ_PARAM)
                Reply({0x06, CMD_READ_PARAM, pending[1], pending[2], pending[3],
                       static_cast<std::uint8_t>(pending[1] ^ pending[2] ^ pending[3])});
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(length));
        }
    }
    void Reply(std::initializer_list<std::uint8_t> head) { write_(bench::Reply(head)); }

    int fd_;
    Read read_;
    Write write_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Figures {
    double roundTripsPerSecond = 0;
    double parameterReadMs = 0;
    bool ok = false;
};

// One command at a time, then a whole parameter read queued at once.
Figures Measure(const ConnectionSettings& settings, std::size_t roundTrips, std::size_t parameters)
{
    bench::CountingSink sink;
    CVexlorSession session(&sink);
    session.Connect(settings);
    std::size_t events = 1;
    Figures figures;
    if (!sink.WaitFor(events))
        return figures;
    const auto t0 = Clock::now();
    for (std::size_t i = 0; i < roundTrips; ++i) {
        session.ReadVersion();
        if (!sink.WaitFor(++events))
            return figures;
    }
    figures.roundTripsPerSecond = static_cast<double>(roundTrips) / std::chrono::duration<double>(Clock::now() - t0).count();

    const auto t1 = Clock::now();
    for (std::size_t i = 0; i < parameters; ++i)
        session.ReadParam(static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i), 0);
    events += parameters;
    if (!sink.WaitFor(events))
        return figures;
    figures.parameterReadMs = std::chrono::duration<double, std::milli>(Clock::now() - t1).count();
    figures.ok = true;
    session.Disconnect();
    return figures;
}

Figures MeasureUdp(std::size_t roundTrips, std::size_t parameters)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ConnectionSettings settings;
    settings.transportIndex = 0;
    settings.host = "127.0.0.1";
    settings.portNumber = ntohs(address.sin_port);
    // The processor answers whoever wrote last: the session's socket is the
    // only sender here.
    sockaddr_in host{};
    Figures figures;
    {
        InstantProcessor processor(
            fd,
            [&](std::uint8_t* buffer, std::size_t length) {
                socklen_t hostSize = sizeof host;
                return static_cast<long>(::recvfrom(fd, buffer, length, 0, reinterpret_cast<sockaddr*>(&host), &hostSize));
            },
            [&](const ByteString& bytes) {
                ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&host), sizeof host);
            });
        figures = Measure(settings, roundTrips, parameters);
    }
    ::close(fd);
    return figures;
}

Figures MeasureSerial(std::size_t roundTrips, std::size_t parameters)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return {};
    ::close(slave);
    ConnectionSettings settings;
    settings.transportIndex = 1;
    settings.portName = name;
    Figures figures;
    {
        InstantProcessor processor(
            master, [master](std::uint8_t* buffer, std::size_t length) { return static_cast<long>(::read(master, buffer, length)); },
            [master](const ByteString& bytes) {
                [[maybe_unused]] const auto written = ::write(master, bytes.data(), bytes.size());
            });
        figures = Measure(settings, roundTrips, parameters);
    }
    ::close(master);
    return figures;
}

}  // namespace

int main()
{
    constexpr std::size_t kRoundTrips = 20000;
    constexpr std::size_t kParameters = 500;
    const Figures udp = MeasureUdp(kRoundTrips, kParameters);
    const Figures serial = MeasureSerial(kRoundTrips / 4, kParameters);
    std::printf("udp_roundtrips_per_s: %.0f\n", udp.roundTripsPerSecond);
    std::printf("udp_read_500_params_ms: %.1f\n", udp.parameterReadMs);
    std::printf("pty_roundtrips_per_s: %.0f\n", serial.roundTripsPerSecond);
    std::printf("pty_read_500_params_ms: %.1f\n", serial.parameterReadMs);
    return udp.ok && serial.ok ? 0 : 1;
}
