// The application as an operator meets it, on a private Xvfb:
//   window_shown_ms    process start to the skinned main window mapped
//   qt_hello_shown_ms  the same for a bare Qt Widgets window of that size
//   window_shown_2x_ms, qt_hello_shown_2x_ms  both again with QT_SCALE_FACTOR=2
//   shown_ratio, shown_ratio_2x  window over bare window, at each scale
//   connect_gui_ms     a click on Connect to Ready (progress window gone), model 12 over UDP
//   idle_cpu_percent   CPU of the connected application over 30 s, meters running
//   rss_mb             its resident memory at the end of those 30 s
//   reconnect_ms       the simulator stopped and, as soon as the window has given
//                      the link up (its status line offers Stop), started again on
//                      its port: to the window back on the page it had, Ready and
//                      the page read afresh (seen as the preset-list request that
//                      follows the page). It holds the wait for the first attempt,
//                      1 s after the loss was seen.
//   reconnect_attempt_ms  the part of it from the attempt's first request
//                      reaching the simulator to the page read afresh
//   reconnect_presets_ms  the same start as reconnect_ms, to the preset list read
//                      afresh after the page (status polling asked for again)
// Run by hand: build/bench/bench_app [seconds of the idle measurement | --shown-only]
#include "SimServer.h"
#include "support/AppSandbox.h"
#include "support/SimLog.h"
#include "support/XServer.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 783;
constexpr int kHeight = 470;
constexpr int kRuns = 15;

int HelloWindow(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(kWidth, kHeight);
    window.show();
    return app.exec();
}

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Time from starting a program to its window of the main window's size (in
// device pixels at `scale`) being mapped; negative when it never shows.
double OneShownMs(XClient& x, const std::string& path, const std::vector<std::string>& args, int scale)
{
    x.WatchMaps();
    const auto start = Clock::now();
    ChildProcess program(path, args);
    if (!x.WaitForMap(kWidth * scale, kHeight * scale, 20s)) return -1;
    return Ms(Clock::now() - start);
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct ShownTimes {
    double window = -1;
    double hello = -1;
};

// Medians of the application's and the bare window's start, taken in turn so
// that both meet the same machine: a load that comes and goes would otherwise
// fall on one of them only and move their ratio.
ShownTimes ShownMs(XClient& x, const std::string& self, int scale)
{
    std::vector<double> window;
    std::vector<double> hello;
    for (int run = 0; run < kRuns; ++run) {
        hello.push_back(OneShownMs(x, self, {"--hello"}, scale));
        window.push_back(OneShownMs(x, VEXLOR_APP_PATH, {}, scale));
        if (hello.back() < 0 || window.back() < 0) return {};
    }
    return {Median(window), Median(hello)};
}

// User and system clock ticks the process has used, from /proc.
long CpuTicks(int pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream rest(all.substr(all.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) stime = std::stol(field);
    }
    return utime + stime;
}

double RssMb(int pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::string(argv[1]) == "--hello") return HelloWindow(argc, argv);
    const bool shownOnly = argc > 1 && std::string(argv[1]) == "--shown-only";
    const int idleSeconds = argc > 1 && !shownOnly ? std::max(1, std::atoi(argv[1])) : 30;

    std::string why;
    SimLog log;
    auto sim = vsim::SimServer::StartOnLoopback(12, 1234, &why, log.Sink());
    if (!sim) {
        std::fprintf(stderr, "simulator: %s\n", why.c_str());
        return 1;
    }
    // Room for the window at twice its size.
    XvfbServer xvfb(std::chrono::seconds(180 + idleSeconds), 2 * kWidth + 100, 2 * kHeight + 100);
    AppSandbox sandbox(sim->UdpPort(), 1234);
    if (!xvfb.Started() || !sandbox.Ready()) {
        std::fprintf(stderr, "needs Xvfb and xdotool (scripts/setup.sh)\n");
        return 1;
    }
    sandbox.Enter(xvfb.Display(), "xcb");
    XClient x(xvfb.Display());

    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
    const ShownTimes at1x = ShownMs(x, self, 1);
    std::printf("window_shown_ms: %.1f\nqt_hello_shown_ms: %.1f\n", at1x.window, at1x.hello);
    setenv("QT_SCALE_FACTOR", "2", 1);
    const ShownTimes at2x = ShownMs(x, self, 2);
    unsetenv("QT_SCALE_FACTOR");
    std::printf("window_shown_2x_ms: %.1f\nqt_hello_shown_2x_ms: %.1f\n", at2x.window, at2x.hello);
    std::printf("shown_ratio: %.2f\nshown_ratio_2x: %.2f\n", at1x.window / at1x.hello, at2x.window / at2x.hello);
    std::fflush(stdout);
    if (shownOnly) return 0;

    x.WatchMaps();
    ChildProcess app(VEXLOR_APP_PATH, {}, sandbox.WorkFolder().string());
    const auto window = x.WaitForMap(kWidth, kHeight, 20s);
    if (!window) return 1;
    std::this_thread::sleep_for(500ms);  // painted and idle
    // BtnConnect of the shipped skin sits at (517, 46).
    const auto click = Clock::now();
    ClickAt(xvfb.Display(), window->x + 557, window->y + 58);
    const auto ready = x.WaitForUnmap(window->id, 30s);
    std::printf("connect_gui_ms: %.1f\n", ready ? Ms(Clock::now() - click) : -1.0);

    std::this_thread::sleep_for(1s);
    const int pid = app.Pid();
    const long before = CpuTicks(pid);
    const auto from = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double seconds = std::chrono::duration<double>(Clock::now() - from).count();
    const double cpu = 100.0 * static_cast<double>(CpuTicks(pid) - before) / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
    std::printf("idle_cpu_percent: %.2f\nrss_mb: %.1f\n", cpu, RssMb(pid));

    vsim::SimOptions options;
    options.model = 12;
    options.port = sim->UdpPort();
    options.lock = 1234;
    sim->Stop();
    sim.reset();
    // The status line's Stop button frame, at the line's right end, in the accent colour.
    const auto givenUp = [&] { return x.PixelAt(window->x + 768, window->y + 163) == 0xE8A33Du; };
    const auto stopped = Clock::now();
    while (!givenUp() && Clock::now() < stopped + 30s) std::this_thread::sleep_for(5ms);
    log.Clear();
    sim = std::make_unique<vsim::SimServer>(options, log.Sink());
    if (!sim->Start(&why)) {
        std::fprintf(stderr, "simulator restart: %s\n", why.c_str());
        return 1;
    }
    const auto back = Clock::now();
    const auto limit = back + 60s;
    std::optional<Clock::time_point> reached;
    std::optional<Clock::time_point> pageBack;
    while (!log.After("Get Preset", "Read Leds State") && Clock::now() < limit) {
        if (!reached && log.Has("Read version")) reached = Clock::now();
        if (!pageBack && log.Has("Get Factory Preset Number")) pageBack = Clock::now();
        std::this_thread::sleep_for(5ms);
    }
    const bool done = Clock::now() < limit && reached && pageBack;
    std::printf("reconnect_ms: %.1f\n", done ? Ms(*pageBack - back) : -1.0);
    std::printf("reconnect_attempt_ms: %.1f\n", done ? Ms(*pageBack - *reached) : -1.0);
    std::printf("reconnect_presets_ms: %.1f\n", done ? Ms(Clock::now() - back) : -1.0);
    return 0;
}
