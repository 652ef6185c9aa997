// The browser remote's server side, by hand:
//   page_json_ms            building and serialising model 12's largest page
//   meter_fanout_cpu_percent one core's share spent sending a meter frame at
//                            10 Hz to 20 browsers (the 20 WebSocket readers run
//                            in this process too, so the figure is an upper bound)
// The server listens on 127.0.0.1 only; the agent's one processor link points
// at a loopback port where nothing answers.
#include "app/PageTreeModel.h"
#include "core/DescriptionEncoder.h"
#include "core/ModelCatalog.h"
#include "description/DescriptionParser.h"
#include "web/WebMeter.h"
#include "web/WebPage.h"
#include "web/WebServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double PageJsonMs()
{
    DescriptionParser parser;
    parser.LoadFromMemory(vsim::EncodeDescription(*vsim::MakeModel(12)));
    CPageTreeModel tree;
    tree.Fill(parser.Root());
    const PageTreeRecord* largest = nullptr;
    for (const PageTreeRecord& r : tree.Records())
        if (!largest || r.node->items.size() > largest->node->items.size()) largest = &r;
    const std::vector<std::string> choices(49, "PRESET NAME");
    constexpr int kRounds = 500;
    std::size_t bytes = 0;
    const auto start = Clock::now();
    for (int i = 0; i < kRounds; ++i) bytes += PageJson(*largest->node, largest->path, choices).dump().size();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kRounds;
    std::printf("page_json_items: %zu\npage_json_bytes: %zu\n", largest->node->items.size(), bytes / kRounds);
    return ms;
}

int Connect(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Sends a request and returns the reply head.
std::string Exchange(int fd, const std::string& request)
{
    send(fd, request.data(), request.size(), 0);
    std::string reply;
    char buffer[4096];
    while (reply.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    return reply;
}

std::string LogIn(int port, const std::string& password)
{
    const int fd = Connect(port);
    const std::string body = R"({"user":"bench","password":")" + password + "\"}";
    const std::string host = "127.0.0.1:" + std::to_string(port);
    const std::string reply = Exchange(fd, "POST /api/login HTTP/1.1\r\nHost: " + host + "\r\nOrigin: http://" + host +
                                               "\r\nContent-Type: application/json\r\nContent-Length: " +
                                               std::to_string(body.size()) + "\r\n\r\n" + body);
    close(fd);
    const auto at = reply.find("vexlor_session=");
    return at == std::string::npos ? std::string() : reply.substr(at, reply.find(';', at) - at);
}

int OpenSocket(int port, const std::string& cookie)
{
    const int fd = Connect(port);
    const std::string host = "127.0.0.1:" + std::to_string(port);
    const std::string reply =
        Exchange(fd, "GET /ws?p=0 HTTP/1.1\r\nHost: " + host + "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                     "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\nOrigin: http://" +
                     host + "\r\nCookie: " + cookie + "\r\n\r\n");
    if (reply.find(" 101 ") == std::string::npos) {
        close(fd);
        return -1;
    }
    return fd;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double FanoutCpuPercent()
{
    constexpr int kBrowsers = 20;
    const std::string password = "bench-password";
    WebConfig config;
    config.enabled = true;
    config.port = 0;
    config.users["bench"] = WebUser{WebRole::Admin, HashPassword(password, HashCost::Minimum())};
    // Nothing listens there: the agent's link only retries now and then.
    AgentConfig agentConfig;
    agentConfig.metricsPort = 0;
    ProcessorConfig processor;
    processor.name = "bench";
    processor.link.host = "127.0.0.1";
    processor.link.portNumber = 9;
    agentConfig.processors.push_back(processor);
    CAgent agent(agentConfig);
    std::string error;
    if (!agent.Start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return -1;
    }
    CWebServer server(config, agent, [](const std::string&) {});
    if (!server.Start(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return -1;
    }
    const std::string cookie = LogIn(server.Port(), password);
    std::vector<int> sockets;
    for (int i = 0; i < kBrowsers; ++i)
        if (const int fd = OpenSocket(server.Port(), cookie); fd >= 0) sockets.push_back(fd);
    std::printf("browsers: %zu\n", sockets.size());
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> received{0};
    std::vector<std::thread> readers;
    for (const int fd : sockets)
        readers.emplace_back([&, fd] {
            char buffer[8192];
            while (!stop) {
                const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                received += static_cast<std::size_t>(n);
            }
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ByteString status(29, 0);
    constexpr int kFrames = 100;  // 10 s at 10 Hz
    const double cpu0 = CpuSeconds();
    const auto start = Clock::now();
    for (int i = 0; i < kFrames; ++i) {
        for (std::size_t b = 6; b < 28; ++b) status[b] = static_cast<std::uint8_t>((i * 7 + b * 13) & 0xFF);
        server.Broadcast(0, nlohmann::json{{"t", "meter"}, {"leds", MeterFrame(12, status, true)}}.dump(), true);
        std::this_thread::sleep_until(start + std::chrono::milliseconds(100 * (i + 1)));
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds() - cpu0;
    std::printf("meter_bytes_received: %zu\n", received.load());
    stop = true;
    for (const int fd : sockets) shutdown(fd, SHUT_RDWR);
    for (auto& t : readers) t.join();
    for (const int fd : sockets) close(fd);
    server.Stop();
    agent.Stop();
    return 100.0 * cpu / wall;
}

}  // namespace

int main()
{
    std::printf("page_json_ms: %.3f\n", PageJsonMs());
    std::printf("meter_fanout_cpu_percent: %.2f\n", FanoutCpuPercent());
    return 0;
}
