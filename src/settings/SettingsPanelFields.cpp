#include "settings/SettingsPanelFields.h"

#include <algorithm>
#include <limits>

void ApplyPanelFields(const SettingsPanelFields& fields, ConnectionSettings& settings)
{
    const ConnectionSettings defaults;
    settings.transportIndex = fields.chooserPosition;
    settings.portName = fields.chooserPosition == 0 ? kEthernetPortName : fields.chooserText;
    settings.portNumber = NumberFromDigits(fields.port);
    settings.host = fields.host;
    settings.lockCode = NumberFromDigits(fields.lockCode);
    settings.reconnect = fields.reconnect;
    settings.replyTimeoutMs = defaults.replyTimeoutMs;
    settings.statusRate = defaults.statusRate;
    settings.tries = defaults.tries;
    settings.baudRate = defaults.baudRate;
    settings.parity = defaults.parity;
    settings.flowControl = defaults.flowControl;
    settings.dataBits = defaults.dataBits;
    settings.stopBits = defaults.stopBits;
}

std::uint32_t NumberFromDigits(const std::string& digits)
{
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t n = 0;
    for (char ch : digits) {
        if (ch < '0' || ch > '9') break;
        n = std::min<std::uint64_t>(n * 10 + static_cast<unsigned>(ch - '0'), kMax + 1);
    }
    return static_cast<std::uint32_t>(std::min(n, kMax));
}

std::string LockCodeText(std::uint32_t code)
{
    std::string text = std::to_string(code);
    if (text.size() < 4) text.insert(0, 4 - text.size(), '0');
    return text;
}

void KeepUnlistedPort(SettingsPanelFields& fields, const ConnectionSettings& stored,
                      const std::vector<std::string>& entries)
{
    if (stored.transportIndex == 0 || stored.portName == kEthernetPortName) return;
    if (std::find(entries.begin(), entries.end(), stored.portName) != entries.end()) return;
    fields.chooserPosition = stored.transportIndex;
    fields.chooserText = stored.portName;
}

int ChooserPositionFor(const ConnectionSettings& settings, const std::vector<std::string>& entries)
{
    if (settings.transportIndex == 0 || entries.size() < 2) return 0;
    const auto stored = std::find(entries.begin() + 1, entries.end(), settings.portName);
    if (stored != entries.end()) return static_cast<int>(stored - entries.begin());
    return 1;
}
