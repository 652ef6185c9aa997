// vexlor-web: the browser remote with its own processor links, for sites
// without the agent. `--add-user` writes a user into the config.
#include "common/VersionOption.h"
#include "web/WebConfig.h"
#include "web/WebServer.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnSignal(int)
{
    g_stop = true;
}

const char* kUsage =
    "usage: vexlor-web --config FILE [--work DIR]\n"
    "       vexlor-web --config FILE --add-user NAME --role admin|readonly   (password on standard input)\n";

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int AddUser(const std::string& configPath, const std::string& name, const std::string& roleName)
{
    const auto role = WebRoleFromName(roleName);
    if (!ValidUserName(name) || !role) {
        std::cerr << "vexlor-web: a user name is 1 to 32 letters, digits, '.', '_' or '-'; the role admin or readonly\n";
        return 1;
    }
    std::string password;
    std::getline(std::cin, password);
    if (password.size() < 8) {
        std::cerr << "vexlor-web: the password needs at least 8 characters\n";
        return 1;
    }
    const std::string hash = HashPassword(password);
    if (hash.empty()) {
        std::cerr << "vexlor-web: hashing the password failed\n";
        return 1;
    }
    const std::string text = SetUserInConfig(ReadFile(configPath), name, WebUser{*role, hash});
    const std::string temp = configPath + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) {
            std::cerr << "vexlor-web: cannot write " << temp << '\n';
            return 1;
        }
    }
    std::filesystem::permissions(temp, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::rename(temp, configPath);
    std::cout << "user " << name << " (" << roleName << ") written to " << configPath << '\n';
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (PrintVersionIfAsked("vexlor-web", argc, argv)) return 0;
    std::string config, work, user, role;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--config" && hasValue) config = argv[++i];
        else if (arg == "--work" && hasValue) work = argv[++i];
        else if (arg == "--add-user" && hasValue) user = argv[++i];
        else if (arg == "--role" && hasValue) role = argv[++i];
        else {
            std::cerr << kUsage;
            return arg == "--help" ? 0 : 1;
        }
    }
    if (config.empty()) {
        std::cerr << kUsage;
        return 1;
    }
    if (!user.empty()) return AddUser(config, user, role);

    std::vector<std::string> errors;
    WebConfig parsed = ParseWebConfig(ReadFile(config), errors);
    for (const std::string& e : errors) std::cerr << "vexlor-web: " << config << ": " << e << '\n';
    if (work.empty()) work = (std::filesystem::temp_directory_path() / ("vexlor-web-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(work);

    std::mutex logMutex;
    auto log = [&](const std::string& line) {
        std::lock_guard lock(logMutex);
        std::cerr << "vexlor-web: " << line << std::endl;
    };
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    CWebServer server(std::move(parsed), work, log);
    std::string error;
    if (!server.Start(error)) {
        log(error);
        return 2;
    }
    while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    log("stopping");
    server.Stop();
    return 0;
}
