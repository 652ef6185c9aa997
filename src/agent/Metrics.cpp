#include "agent/Metrics.h"

#include "meters/MeterLayout.h"
#include "meters/MeterLeds.h"
#include "presets/PresetModel.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

namespace metrics {
namespace {

std::string Escape(const std::string& value)
{
    std::string out;
    for (const char c : value) {
        if (c == '\\' || c == '"')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

class Writer {
public:
    void Family(const std::string& name, const std::string& type, const std::string& help)
    {
        out_ << "# HELP " << name << ' ' << help << "\n# TYPE " << name << ' ' << type << '\n';
    }
    void Sample(const std::string& name, const std::string& labels, double value)
    {
        out_ << name;
        if (!labels.empty())
            out_ << '{' << labels << '}';
        out_ << ' ' << Number(value) << '\n';
    }
    // A family of one unlabelled sample.
    void Single(const std::string& name, const std::string& type, const std::string& help, double value)
    {
        Family(name, type, help);
        Sample(name, "", value);
    }
    std::string Text() const { return out_.str(); }

private:
    std::ostringstream out_;
};

std::string Label(const std::string& name, const std::string& value)
{
    return name + "=\"" + Escape(value) + "\"";
}

// One family with one sample per processor.
void PerProcessor(Writer& w, const std::vector<ProcessorMetrics>& ps, const std::string& name, const std::string& type,
                  const std::string& help, double (*value)(const ProcessorMetrics&))
{
    w.Family(name, type, help);
    for (const auto& p : ps)
        w.Sample(name, Label("processor", p.name), value(p));
}

void RoundTrips(Writer& w, const std::vector<ProcessorMetrics>& ps)
{
    const std::string name = "vexlor_link_round_trip_seconds";
    w.Family(name, "histogram", "Time from a packet sent to the processor to the first bytes of its answer.");
    for (const auto& p : ps) {
        const std::string proc = Label("processor", p.name);
        for (std::size_t i = 0; i < CLinkMeter::kBuckets.size(); ++i)
            w.Sample(name + "_bucket", proc + "," + Label("le", Number(CLinkMeter::kBuckets[i])),
                     static_cast<double>(p.roundTrips.counts[i]));
        w.Sample(name + "_bucket", proc + ",le=\"+Inf\"", static_cast<double>(p.roundTrips.count));
        w.Sample(name + "_sum", proc, p.roundTrips.sum);
        w.Sample(name + "_count", proc, static_cast<double>(p.roundTrips.count));
    }
}

void Meters(Writer& w, const std::vector<ProcessorMetrics>& ps)
{
    struct Bar {
        std::string labels;
        int lit = 0;
        int total = 0;
    };
    std::vector<Bar> bars;
    for (const auto& p : ps) {
        if (!p.snap.up || p.snap.status.empty() || p.snap.model < 0)
            continue;
        const std::vector<BarLabel> names = MeterBarLabels(p.snap.model);
        const auto leds = ComputeMeterLeds(p.snap.model, MeterStatusFromPacket(p.snap.status), true);
        const std::vector<int> lit = LitLedsPerBar(leds);
        std::vector<int> total(names.size(), 0);
        for (const MeterLed& led : leds)
            if (led.bar < total.size())
                ++total[led.bar];
        for (std::size_t i = 0; i < names.size() && i < lit.size(); ++i)
            bars.push_back({Label("processor", p.name) + "," + Label("bar", names[i].bar) + "," +
                                Label("role", names[i].role),
                            lit[i], total[i]});
    }
    w.Family("vexlor_meter_leds_lit", "gauge", "LEDs of a meter bar lit by the latest status packet.");
    for (const Bar& b : bars)
        w.Sample("vexlor_meter_leds_lit", b.labels, b.lit);
    w.Family("vexlor_meter_leds", "gauge", "LEDs a meter bar has.");
    for (const Bar& b : bars)
        w.Sample("vexlor_meter_leds", b.labels, b.total);
}

void Process(Writer& w, const ProcessMetrics& p)
{
    w.Single("process_cpu_seconds_total", "counter", "Total user and system CPU time spent in seconds.", p.cpuSeconds);
    w.Single("process_resident_memory_bytes", "gauge", "Resident memory size in bytes.", p.residentBytes);
    w.Single("process_virtual_memory_bytes", "gauge", "Virtual memory size in bytes.", p.virtualBytes);
    w.Single("process_start_time_seconds", "gauge", "Start time of the process since unix epoch in seconds.",
             p.startTimeSeconds);
    w.Single("process_open_fds", "gauge", "Number of open file descriptors.", p.openFds);
    w.Single("process_max_fds", "gauge", "Maximum number of open file descriptors.", p.maxFds);
}

double BootTime()
{
    std::ifstream in("/proc/stat");
    std::string key;
    double value = 0;
    while (in >> key) {
        if (key == "btime" && in >> value)
            return value;
        in.ignore(1 << 20, '\n');
    }
    return 0;
}

}  // namespace

std::vector<BarLabel> MeterBarLabels(int modelCode)
{
    const MeterLayout* layout = FindMeterLayout(modelCode);
    if (!layout)
        return {};
    const auto& bars = layout->bars;
    std::map<std::string_view, int> count, seen;
    for (const MeterBar& b : bars)
        ++count[b.label];
    // The first two bars are the input pair and the last two before MPX the
    // output pair, on every panel.
    std::size_t lastOutput = bars.size();
    while (lastOutput > 0 && bars[lastOutput - 1].label == "MPX")
        --lastOutput;
    std::vector<BarLabel> labels;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        std::string name(bars[i].label);
        if (count[bars[i].label] > 1)
            name += "_" + std::to_string(++seen[bars[i].label]);
        const std::string role = i < 2                                      ? "input"
                                 : bars[i].label == "MPX"                   ? "mpx"
                                 : i + 2 >= lastOutput && i < lastOutput ? "output"
                                                                          : "processing";
        labels.push_back({name, role});
    }
    return labels;
}

ProcessMetrics ReadProcessMetrics()
{
    ProcessMetrics m;
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The fields after the command name, which is in parentheses and may hold blanks.
    const auto close = stat.rfind(')');
    if (close != std::string::npos) {
        std::istringstream fields(stat.substr(close + 2));
        std::vector<std::string> f((std::istream_iterator<std::string>(fields)), std::istream_iterator<std::string>());
        // Field n of the stat file is f[n - 3] here.
        if (f.size() > 21) {
            const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
            const double page = static_cast<double>(::sysconf(_SC_PAGESIZE));
            m.cpuSeconds = (std::stod(f[11]) + std::stod(f[12])) / tick;
            m.startTimeSeconds = BootTime() + std::stod(f[19]) / tick;
            m.virtualBytes = std::stod(f[20]);
            m.residentBytes = std::stod(f[21]) * page;
        }
    }
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec))
        ++m.openFds;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0)
        m.maxFds = static_cast<double>(limit.rlim_cur);
    return m;
}

std::string Format(const std::vector<ProcessorMetrics>& ps, const ProcessMetrics& process)
{
    Writer w;
    PerProcessor(w, ps, "vexlor_up", "gauge", "1 while the link to the processor is up and read, else 0.",
                 [](const ProcessorMetrics& p) { return p.snap.up ? 1.0 : 0.0; });
    RoundTrips(w, ps);
    PerProcessor(w, ps, "vexlor_link_retries_total", "counter", "Packets sent again because no answer came.",
                 [](const ProcessorMetrics& p) { return static_cast<double>(p.retries); });
    PerProcessor(w, ps, "vexlor_link_reconnects_total", "counter", "Times the link came back after it was lost.",
                 [](const ProcessorMetrics& p) { return static_cast<double>(p.snap.reconnects); });
    // Preset and compare only while the status packet is current.
    std::vector<ProcessorMetrics> current;
    for (const auto& p : ps)
        if (p.snap.up && presets::StatusValuesFromPacket(p.snap.status))
            current.push_back(p);
    PerProcessor(w, current, "vexlor_current_preset", "gauge", "The preset the processor runs.",
                 [](const ProcessorMetrics& p) { return static_cast<double>(presets::StatusValuesFromPacket(p.snap.status)->current); });
    PerProcessor(w, current, "vexlor_compare_active", "gauge", "1 while the processor compares against its preset.",
                 [](const ProcessorMetrics& p) {
                     return presets::StatusValuesFromPacket(p.snap.status)->compare != 0 ? 1.0 : 0.0;
                 });
    Meters(w, ps);
    PerProcessor(w, ps, "vexlor_clients", "gauge", "Remotes talking to the processor through the agent.",
                 [](const ProcessorMetrics& p) { return static_cast<double>(p.clients); });
    Process(w, process);
    return w.Text();
}

}  // namespace metrics
