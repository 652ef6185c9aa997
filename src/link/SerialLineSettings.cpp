#include "link/SerialLineSettings.h"

#include "settings/ConnectionSettings.h"

#include <array>
#include <cctype>

namespace {

template <typename T, std::size_t N>
T FromTable(const std::array<T, N>& table, std::uint32_t code, T other)
{
    return code < N ? table[code] : other;
}

}  // namespace

SerialLineSettings LineSettingsFromCodes(const ConnectionSettings& settings)
{
    static constexpr std::array<std::uint32_t, 4> kBaud{9600, 19200, 38400, 57600};
    static constexpr std::array<std::uint32_t, 4> kDataBits{5, 6, 7, 8};
    static constexpr std::array<SerialStopBits, 2> kStop{SerialStopBits::One, SerialStopBits::Two};
    static constexpr std::array<SerialParity, 5> kParity{SerialParity::None, SerialParity::Odd, SerialParity::Even,
                                                         SerialParity::Mark, SerialParity::Space};
    static constexpr std::array<SerialHandshake, 3> kHandshake{SerialHandshake::None, SerialHandshake::Hardware,
                                                               SerialHandshake::Software};
    SerialLineSettings line;
    line.baudRate = FromTable(kBaud, settings.baudRate, 0u);
    line.dataBits = FromTable(kDataBits, settings.dataBits, 0u);
    line.stopBits = FromTable(kStop, settings.stopBits, SerialStopBits::One);
    line.parity = FromTable(kParity, settings.parity, SerialParity::None);
    line.handshake = FromTable(kHandshake, settings.flowControl, SerialHandshake::None);
    return line;
}

std::string SerialDevicePath(const std::string& portName)
{
    if (!portName.empty() && portName[0] == '/')
        return portName;
    // COM names are case-blind, as on the system they come from.
    if (portName.size() < 4 || portName.size() > 6)
        return {};
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(portName[i])) != "COM"[i])
            return {};
    }
    unsigned number = 0;
    for (std::size_t i = 3; i < portName.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(portName[i])))
            return {};
        number = number * 10 + static_cast<unsigned>(portName[i] - '0');
    }
    if (number == 0)
        return {};
    return "/dev/ttyS" + std::to_string(number - 1);
}
