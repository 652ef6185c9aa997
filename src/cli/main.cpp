// vexlor-cli: a headless front end over the connection controller.
#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "cli/StoredProfiles.h"
#include "common/VersionOption.h"

#include <atomic>
#include <csignal>
#include <iostream>

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnSignal(int)
{
    g_stop = true;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (PrintVersionIfAsked("vexlor-cli", argc, argv))
        return 0;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << CliUsage();
        return 0;
    }
    std::string error;
    auto options = ParseCliOptions(args, error);
    if (!options) {
        std::cerr << "vexlor-cli: " << error << '\n' << CliUsage();
        return static_cast<int>(CliExit::Usage);
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::optional<CConnectionProfiles> profiles;
    if (!options->profile.empty() || options->command == "profiles") profiles = LoadStoredProfiles();
    CCliApp app(*options, std::cout, std::cerr, &g_stop, std::move(profiles));
    return static_cast<int>(app.Run());
}
