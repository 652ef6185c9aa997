// vexlor-agent: keeps one link to each configured processor, re-serves it to
// remotes over UDP and offers metrics for Prometheus.
#include "agent/Agent.h"
#include "agent/AgentLog.h"
#include "common/VersionOption.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <pthread.h>

namespace {

constexpr const char* kDefaultConfig = "/etc/vexlor/agent.ini";

void Usage(std::FILE* to)
{
    std::fprintf(to,
                 "Usage: vexlor-agent [--config FILE] [--check] [--verbose]\n"
                 "  --config FILE  the processors to serve (default %s)\n"
                 "  --check        read the config, report what is wrong and exit\n"
                 "  --verbose      log every line of the links too\n"
                 "  --version      print the version and exit\n",
                 kDefaultConfig);
}

}  // namespace

int main(int argc, char** argv)
{
    if (PrintVersionIfAsked("vexlor-agent", argc, argv))
        return 0;
    std::string path = kDefaultConfig;
    bool check = false, verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--config" && i + 1 < argc) {
            path = argv[++i];
        } else if (arg == "--check") {
            check = true;
        } else if (arg == "--verbose") {
            verbose = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else {
            Usage(stderr);
            return 1;
        }
    }
    std::string why;
    auto config = LoadAgentConfig(path, &why);
    if (!config) {
        agentlog::Error(why);
        return 1;
    }
    if (check) {
        std::printf("%s: %zu processors\n", path.c_str(), config->processors.size());
        return 0;
    }
    agentlog::SetVerbose(verbose || config->verbose);

    // Every thread started from here on inherits the blocked signals; only
    // sigwait below takes them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    CAgent agent(std::move(*config));
    if (!agent.Start(&why)) {
        agentlog::Error(why);
        return 1;
    }
    int received = 0;
    sigwait(&signals, &received);
    agentlog::Info(std::string("stopping on ") + strsignal(received));
    agent.Stop();
    agentlog::Info("stopped");
    return 0;
}
