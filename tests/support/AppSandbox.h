#pragma once

#include "../app/ChildProcess.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

// A private place for runs of the application as a program: a settings store
// pointed at a simulator on 127.0.0.1 (never the default host), a lock folder
// of its own (so copies that other people run do not count as "already
// running"), a runtime folder and a working folder for "pccontrol.bin".
class AppSandbox {
public:
    AppSandbox(std::uint16_t simPort, int lockCode);
    ~AppSandbox();
    AppSandbox(const AppSandbox&) = delete;
    AppSandbox& operator=(const AppSandbox&) = delete;

    // Whether the settings file holds the loopback host and the port.
    bool Ready() const { return ready_; }
    const std::filesystem::path& WorkFolder() const { return work_; }
    // The application's stored settings.
    std::filesystem::path SettingsFile() const;

    // Points every program started from now on at this sandbox, on `display`
    // (empty: none) with the Qt platform `platform`.
    void Enter(const std::string& display, const std::string& platform) const;
    // Starts the application in the working folder; it ends by itself after `lifetime`.
    std::unique_ptr<ChildProcess> Start(const std::string& appPath, std::chrono::seconds lifetime) const;

private:
    std::filesystem::path root_;
    std::filesystem::path work_;
    bool ready_ = false;
};
