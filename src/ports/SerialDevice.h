#pragma once

#include <string>

// Serial devices by name, below both the link (which opens them) and the
// settings (which offer the ones that can be opened).

// What CheckPort says about a device.
enum class PortCheck : int { Available = 0, Missing = 1, InUse = 2, Other = -1 };

// "COMn" (n from 1) names /dev/ttyS(n-1) and a name beginning with "/" is the
// device path itself; any other name stands for no device and gives "".
std::string SerialDevicePath(const std::string& portName);

// Opens a terminal device that no one else holds, without blocking and without
// making it our controlling terminal. Gives the descriptor or minus the error.
int OpenSerialDevice(const std::string& path);

// Opens the device exclusively for a moment: missing, busy (or locked by
// another program) or some other failure.
PortCheck CheckPort(const std::string& portName);
