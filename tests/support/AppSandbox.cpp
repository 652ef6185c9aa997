#include "AppSandbox.h"

#include <QSettings>
#include <QString>

#include <cstdlib>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Where the application's settings live on this platform below XDG_CONFIG_HOME.
fs::path SettingsFileIn(const fs::path& config)
{
    return config / "Tessavorn" / "Vexlor.ini";
}

}  // namespace

AppSandbox::AppSandbox(std::uint16_t simPort, int lockCode)
{
    char pattern[] = "/tmp/vexlor-app-XXXXXX";
    if (!mkdtemp(pattern)) return;
    root_ = pattern;
    work_ = root_ / "work";
    std::error_code ec;
    for (const char* folder : {"work", "config/Tessavorn", "tmp", "runtime"}) fs::create_directories(root_ / folder, ec);
    fs::permissions(root_ / "runtime", fs::perms::owner_all, ec);

    const QString file = QString::fromStdString(SettingsFile().string());
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.beginGroup("Settings");
        settings.setValue("sHost", "127.0.0.1");
        settings.setValue("dwPort", simPort);
        settings.setValue("sPortName", "TCP");
        settings.setValue("dwLockCode", lockCode);
    }
    QSettings check(file, QSettings::IniFormat);
    ready_ = check.value("Settings/sHost").toString() == "127.0.0.1" &&
             check.value("Settings/dwPort").toUInt() == simPort;
}

fs::path AppSandbox::SettingsFile() const
{
    return SettingsFileIn(root_ / "config");
}

AppSandbox::~AppSandbox()
{
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
}

void AppSandbox::Enter(const std::string& display, const std::string& platform) const
{
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    if (display.empty())
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", display.c_str(), 1);
}

std::unique_ptr<ChildProcess> AppSandbox::Start(const std::string& appPath, std::chrono::seconds lifetime) const
{
    return std::make_unique<ChildProcess>(
        "/usr/bin/timeout", std::vector<std::string>{std::to_string(lifetime.count()), appPath}, work_.string());
}
