// vexlor-sim: a stand-in for a Vexlor processor, on 127.0.0.1 and a pseudo-terminal.
#include "SimOptions.h"
#include "SimServer.h"
#include "common/VersionOption.h"
#include "core/ModelCatalog.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace {

int ListModels()
{
    for (const auto& codes : {vsim::KnownModelCodes(), vsim::UnknownModelCodes()})
        for (std::uint8_t code : codes) {
            const auto m = vsim::MakeModel(code);
            std::size_t records = 0;
            vsim::ForEachItem(m->pages, [&](const vsim::Page&, const vsim::Item& item) { records += item.records.size(); });
            std::printf("%3u  %-16s %2u user + %2zu factory presets, %3zu control records\n", code, m->name.c_str(),
                        m->userPresets, m->factoryPresets.size(), records);
        }
    return 0;
}

int DumpDescription(const vsim::SimOptions& o)
{
    vsim::SimServer server(o);
    std::ofstream out(o.dumpDescription, std::ios::binary | std::ios::trunc);
    const auto& d = server.Device().Description();
    out.write(reinterpret_cast<const char*>(d.data()), static_cast<std::streamsize>(d.size()));
    if (!out) {
        std::fprintf(stderr, "vexlor-sim: cannot write %s\n", o.dumpDescription.c_str());
        return 1;
    }
    return 0;
}

// --front-panel: "A B C VALUE" lines on standard input change a parameter of
// the processor as its front panel would, so a remote under test meets
// changes it did not make.
void ReadFrontPanel(vsim::SimDevice& device)
{
    for (std::string line; std::getline(std::cin, line);) {
        unsigned long n[4] = {};
        char* at = line.data();
        bool ok = true;
        for (unsigned long& v : n) {
            char* end = nullptr;
            v = std::strtoul(at, &end, 0);
            ok = ok && end != at && v <= 0xFF;
            at = end;
        }
        const vsim::Address address{std::uint8_t(n[0]), std::uint8_t(n[1]), std::uint8_t(n[2])};
        if (!ok || !device.FrontPanelWrite(address, std::uint8_t(n[3]))) {
            std::fprintf(stderr, "vexlor-sim: front panel: no parameter in \"%s\"\n", line.c_str());
            continue;
        }
        std::printf("vexlor-sim: front panel %lu %lu %lu = %lu\n", n[0], n[1], n[2], n[3]);
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (PrintVersionIfAsked("vexlor-sim", argc, argv))
        return 0;
    std::string error;
    const auto options = vsim::ParseSimOptions(argc, argv, &error);
    if (!options) {
        std::fprintf(stderr, "vexlor-sim: %s\n(see vexlor-sim --help)\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(vsim::SimUsage(), stdout);
        return 0;
    }
    if (options->listModels)
        return ListModels();
    if (!options->dumpDescription.empty())
        return DumpDescription(*options);

    // Signals are taken by sigwait below, never by a thread in the middle of its work.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    vsim::LogFn log;
    if (options->verbose)
        log = [](const std::string& line) { std::fprintf(stderr, "vexlor-sim: %s\n", line.c_str()); };
    // Each processor of --count is a whole simulator of its own in this process.
    std::vector<std::unique_ptr<vsim::SimServer>> servers;
    for (int k = 0; k < options->count; ++k) {
        vsim::SimOptions one = *options;
        if (one.port != 0)
            one.port = static_cast<std::uint16_t>(one.port + k);
        if (k > 0 && !one.statePath.empty())
            one.statePath += "." + std::to_string(k);
        one.faults.seed += static_cast<std::uint32_t>(2 * k);
        servers.push_back(std::make_unique<vsim::SimServer>(one, log));
        if (!servers.back()->Start(&error)) {
            std::fprintf(stderr, "vexlor-sim: %s\n", error.c_str());
            return 1;
        }
        const auto& model = servers.back()->Device().GetModel();
        std::printf("vexlor-sim: model %u %s\n", model.code, model.name.c_str());
        if (servers.back()->UdpPort())
            std::printf("vexlor-sim: udp 127.0.0.1:%u\n", servers.back()->UdpPort());
        if (!servers.back()->SerialPath().empty())
            std::printf("vexlor-sim: serial %s\n", servers.back()->SerialPath().c_str());
    }
    std::fflush(stdout);
    // Ends with standard input; the processor runs on until a signal.
    if (options->frontPanel)
        std::thread([&device = servers.front()->Device()] { ReadFrontPanel(device); }).detach();

    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::printf("vexlor-sim: stopping on signal %d\n", signal);
    for (auto& server : servers)
        server->Stop();
    return 0;
}
