// One agent holding 100 simulated processors over UDP on loopback, each polled
// as the window polls it: the agent's CPU and memory, the time of a scrape of
// /metrics, and what going through the agent adds to a remote's round trip.
// Run by hand: build/bench/bench_agent [processors]
#include "app/ChildProcess.h"
#include "http/HttpClient.h"
#include "link/Packet.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<std::uint16_t> FreePorts(int count, int type)
{
    std::vector<int> fds;
    std::vector<std::uint16_t> ports;
    for (int i = 0; i < count; ++i) {
        const int fd = ::socket(AF_INET, type, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        ports.push_back(ntohs(a.sin_port));
        fds.push_back(fd);
    }
    for (const int fd : fds)
        ::close(fd);
    return ports;
}

// utime + stime of a process, in seconds.
double CpuSeconds(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::vector<std::string> f((std::istream_iterator<std::string>(fields)), std::istream_iterator<std::string>());
    return f.size() > 12 ? (std::stod(f[11]) + std::stod(f[12])) / static_cast<double>(::sysconf(_SC_CLK_TCK)) : 0;
}

double RssMb(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Median round trip of a Read parameter to a UDP port, in microseconds.
double MedianRoundTripUs(std::uint16_t port, int samples)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    const ByteString command = BuildReadParam(0, 1, 2);
    std::vector<double> times;
    for (int i = 0; i < samples; ++i) {
        const auto start = Clock::now();
        ::sendto(fd, command.data(), command.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0)
            continue;
        std::uint8_t reply[256];
        (void)::recv(fd, reply, sizeof reply, 0);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    ::close(fd);
    if (times.empty())
        return -1;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const fs::path work = fs::temp_directory_path() / ("bench_agent_" + std::to_string(::getpid()));
    fs::create_directories(work);

    ChildProcess sims(VEXLOR_SIM_PATH, {"--count", std::to_string(count), "--port", "0", "--lock", "1234"});
    std::vector<std::uint16_t> simPorts;
    while (static_cast<int>(simPorts.size()) < count) {
        const auto line = sims.ReadLine(30s);
        if (!line) {
            std::fprintf(stderr, "bench_agent: the simulators did not start\n");
            return 1;
        }
        if (const auto at = line->find("udp 127.0.0.1:"); at != std::string::npos)
            simPorts.push_back(static_cast<std::uint16_t>(std::stoi(line->substr(at + 14))));
    }

    const std::uint16_t metricsPort = FreePorts(1, SOCK_STREAM)[0];
    const std::vector<std::uint16_t> listen = FreePorts(count, SOCK_DGRAM);
    const fs::path config = work / "agent.ini";
    {
        std::ofstream out(config);
        out << "[agent]\nmetrics_port = " << metricsPort << "\n";
        for (int i = 0; i < count; ++i)
            out << "\n[p" << i << "]\nhost = 127.0.0.1\nport = " << simPorts[static_cast<std::size_t>(i)]
                << "\nlock_code = 1234\nlisten_port = " << listen[static_cast<std::size_t>(i)] << "\n";
    }
    ChildProcess agent("/bin/sh", {"-c", std::string("exec ") + VEXLOR_AGENT_PATH + " --config " + config.string() +
                                             " 2>/dev/null"});
    auto upCount = [&] {
        const std::string text = HttpGet(metricsPort, "/metrics").body;
        int up = 0;
        for (auto at = text.find("\nvexlor_up{"); at != std::string::npos; at = text.find("\nvexlor_up{", at + 1))
            up += text.compare(text.find('}', at) + 1, 3, " 1\n") == 0;
        return up;
    };
    const auto deadline = Clock::now() + 180s;
    while (upCount() < count && Clock::now() < deadline)
        std::this_thread::sleep_for(500ms);
    std::printf("processors_up: %d\n", upCount());

    const double cpu0 = CpuSeconds(agent.Pid());
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(10s);
    const double cpu = (CpuSeconds(agent.Pid()) - cpu0) / std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("agent_cpu_percent: %.1f\n", 100 * cpu);
    std::printf("agent_rss_mb: %.1f\n", RssMb(agent.Pid()));

    double scrapeMs = 0;
    std::size_t bytes = 0;
    constexpr int kScrapes = 20;
    for (int i = 0; i < kScrapes; ++i) {
        const auto start = Clock::now();
        bytes = HttpGet(metricsPort, "/metrics").body.size();
        scrapeMs += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    std::printf("scrape_ms: %.2f\n", scrapeMs / kScrapes);
    std::printf("scrape_bytes: %zu\n", bytes);

    const double straight = MedianRoundTripUs(simPorts[0], 200);
    const double through = MedianRoundTripUs(listen[0], 200);
    std::printf("round_trip_straight_us: %.0f\n", straight);
    std::printf("round_trip_through_agent_us: %.0f\n", through);
    std::printf("proxy_overhead_us: %.0f\n", through - straight);

    agent.Stop();
    sims.Stop();
    fs::remove_all(work);
    return 0;
}
