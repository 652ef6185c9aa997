#include "settings/SerialCandidates.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

constexpr int kComPorts = 20;

#ifndef _WIN32

// "ttyUSB10" as ("ttyUSB", 10) so that numbers sort as numbers.
std::pair<std::string, unsigned long> NameKey(const std::string& path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    const auto digits = name.find_last_not_of("0123456789") + 1;
    const std::string number = name.substr(digits);
    // More digits than any device has: keep them as text so nothing overflows.
    if (number.empty() || number.size() > 9) return {name, 0};
    return {name.substr(0, digits), std::stoul(number)};
}

bool IsUsbSerialName(const std::string& name)
{
    return name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
}
#endif

}  // namespace

std::vector<std::string> AvailableSerialPorts(const PortChecker& check,
                                              const std::vector<std::string>& usbDevices)
{
    std::vector<std::string> ports;
    for (int n = 1; n <= kComPorts; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (check(name) == PortCheck::Available) ports.push_back(name);
    }
    for (const std::string& device : usbDevices)
        if (check(device) == PortCheck::Available) ports.push_back(device);
    return ports;
}

std::vector<std::string> AvailableSerialPorts()
{
    return AvailableSerialPorts(CheckPort, UsbSerialDevices());
}

std::vector<std::string> UsbSerialDevices(const std::string& folder)
{
    std::vector<std::string> devices;
#ifndef _WIN32
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (IsUsbSerialName(name)) devices.push_back(entry.path().string());
    }
    std::sort(devices.begin(), devices.end(),
              [](const std::string& a, const std::string& b) { return NameKey(a) < NameKey(b); });
#else
    (void)folder;
#endif
    return devices;
}
