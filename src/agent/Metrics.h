#pragma once

#include "agent/LinkMeter.h"
#include "agent/Upstream.h"

#include <cstdint>
#include <string>
#include <vector>

// The agent's metrics in the Prometheus text exposition format (version 0.0.4).
namespace metrics {

inline constexpr const char* kContentType = "text/plain; version=0.0.4; charset=utf-8";

struct ProcessorMetrics {
    std::string name;
    CUpstream::Snapshot snap;
    CLinkMeter::Histogram roundTrips;
    std::uint64_t retries = 0;
    std::size_t clients = 0;
};

struct ProcessMetrics {
    double cpuSeconds = 0;
    double residentBytes = 0;
    double virtualBytes = 0;
    double startTimeSeconds = 0;  // since the epoch
    double openFds = 0;
    double maxFds = 0;
};

// What /proc tells about this process; zeros where it cannot be read.
ProcessMetrics ReadProcessMetrics();

// One meter bar of a model's panel as a metric label: the layout's label, made
// unique by a number when the panel has it more than once, and its role
// ("input", "output", "mpx" or "processing").
struct BarLabel {
    std::string bar;
    std::string role;
};
std::vector<BarLabel> MeterBarLabels(int modelCode);

std::string Format(const std::vector<ProcessorMetrics>& processors, const ProcessMetrics& process);

}  // namespace metrics
