#pragma once

#include <cstdint>
#include <string>

struct ConnectionSettings;

enum class SerialParity : int { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class SerialStopBits : int { One = 0, Two = 2 };
enum class SerialHandshake : int { None = 0, Hardware = 1, Software = 2 };

// What CheckPort says about a device.
enum class PortCheck : int { Available = 0, Missing = 1, InUse = 2, Other = -1 };

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

// "COMn" (n from 1) names /dev/ttyS(n-1) and a name beginning with "/" is the
// device path itself; any other name stands for no device and gives "".
std::string SerialDevicePath(const std::string& portName);
