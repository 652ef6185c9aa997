// vexlor-agent: keeps one link to each configured processor, re-serves it to
// remotes over UDP, offers metrics for Prometheus and runs the browser remote.
#include "agent/Agent.h"
#include "agent/AgentLog.h"
#include "common/VersionOption.h"
#include "web/WebConfig.h"
#include "web/WebServer.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include <pthread.h>

namespace {

constexpr const char* kDefaultConfig = "/etc/vexlor/agent.ini";

void Usage(std::FILE* to)
{
    std::fprintf(to,
                 "Usage: vexlor-agent [--config FILE] [--check] [--verbose]\n"
                 "       vexlor-agent [--config FILE] --add-user NAME --role admin|readonly\n"
                 "  --config FILE    the processors to serve (default %s)\n"
                 "  --check          read the config, report what is wrong and exit\n"
                 "  --verbose        log every line of the links too\n"
                 "  --add-user NAME  write a user of the browser remote into the config, with\n"
                 "                   the password read from standard input, and exit\n"
                 "  --role ROLE      the new user's role: admin, or readonly (no changes)\n"
                 "  --version        print the version and exit\n",
                 kDefaultConfig);
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int AddUser(const std::string& path, const std::string& name, const std::string& role)
{
    std::string password, why;
    std::getline(std::cin, password);
    if (!AddUserToConfigFile(path, name, role, password, &why)) {
        agentlog::Error(why);
        return 1;
    }
    std::printf("user %s (%s) written to %s\n", name.c_str(), role.c_str(), path.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (PrintVersionIfAsked("vexlor-agent", argc, argv))
        return 0;
    std::string path = kDefaultConfig, user, role;
    bool check = false, verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--config" && i + 1 < argc) {
            path = argv[++i];
        } else if (arg == "--add-user" && i + 1 < argc) {
            user = argv[++i];
        } else if (arg == "--role" && i + 1 < argc) {
            role = argv[++i];
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
    if (!user.empty())
        return AddUser(path, user, role);
    std::string why;
    auto config = LoadAgentConfig(path, &why);
    if (!config) {
        agentlog::Error(why);
        return 1;
    }
    std::vector<std::string> webErrors;
    WebConfig web = ParseWebConfig(ReadAll(path), webErrors);
    for (const std::string& error : webErrors)
        agentlog::Error(path + ": " + error);
    if (!webErrors.empty())
        return 1;
    if (check) {
        std::printf("%s: %zu processors%s\n", path.c_str(), config->processors.size(),
                    web.enabled ? (", a browser remote with " + std::to_string(web.users.size()) + " users").c_str()
                                : "");
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
    // The browser remote is one more client of the agent's links; it stops first.
    std::unique_ptr<CWebServer> remote;
    if (web.enabled) {
        remote = std::make_unique<CWebServer>(std::move(web), agent, [](const std::string& line) {
            line.rfind("warning: ", 0) == 0 ? agentlog::Warning(line.substr(9)) : agentlog::Info(line);
        });
        if (!remote->Start(why)) {
            agentlog::Error("web remote: " + why);
            agent.Stop();
            return 1;
        }
    }
    int received = 0;
    sigwait(&signals, &received);
    agentlog::Info(std::string("stopping on ") + strsignal(received));
    remote.reset();
    agent.Stop();
    agentlog::Info("stopped");
    return 0;
}
