#pragma once

#include <cstdint>
#include <string>

struct ConnectionSettings;

enum class SerialParity : int { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class SerialStopBits : int { One = 0, Two = 2 };
enum class SerialHandshake : int { None = 0, Hardware = 1, Software = 2 };

// The line the codes of the connection settings stand for. A baud rate or data
// bit count of 0 marks a code outside the table.
struct SerialLineSettings {
    std::uint32_t baudRate = 0;
    std::uint32_t dataBits = 0;
    SerialParity parity = SerialParity::None;
    SerialStopBits stopBits = SerialStopBits::One;
    SerialHandshake handshake = SerialHandshake::None;
};
SerialLineSettings LineSettingsFromCodes(const ConnectionSettings& settings);
