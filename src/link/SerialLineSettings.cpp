#include "link/SerialLineSettings.h"

#include "settings/ConnectionSettings.h"

#include <array>

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
