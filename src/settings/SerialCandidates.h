#pragma once

#include "ports/SerialDevice.h"

#include <functional>
#include <string>
#include <vector>

// The serial ports the settings panel offers: "COM1" to "COM20" that can be
// opened, then the USB serial adapters (/dev/ttyUSB*, /dev/ttyACM*) that can,
// by their device paths.
using PortChecker = std::function<PortCheck(const std::string& portName)>;

std::vector<std::string> AvailableSerialPorts(const PortChecker& check,
                                              const std::vector<std::string>& usbDevices);
// The same over the devices of this machine.
std::vector<std::string> AvailableSerialPorts();

// The USB serial device paths in `folder` ("/dev" normally), ordered by name
// with their numbers compared as numbers (ttyUSB2 before ttyUSB10).
std::vector<std::string> UsbSerialDevices(const std::string& folder = "/dev");
