#pragma once

#include "settings/ConnectionSettings.h"

#include <cstdint>
#include <string>
#include <vector>

// What the settings panel's fields hold, and how they go into the settings
// record: plain logic, so the panel itself only moves text.
struct SettingsPanelFields {
    int chooserPosition = 0;  // 0 is Ethernet
    std::string chooserText;  // the chosen entry, e.g. "COM2"
    std::string host;
    std::string port;
    std::string lockCode;
    bool reconnect = true;
};

// The chooser's first entry.
inline constexpr const char* kEthernetEntry = "Ethernet";
// The port name that stands for Ethernet in the record.
inline constexpr const char* kEthernetPortName = "TCP";

// Writes the fields into the record with the fixed line settings (19200 baud,
// 8N1, no flow control) and the default time-out, rate and tries.
void ApplyPanelFields(const SettingsPanelFields& fields, ConnectionSettings& settings);

// A digits-only field as a number; more than fits in 32 bits reads as the
// largest value, so the connect check refuses it instead of a wrapped number
// slipping through. An empty field reads as 0.
std::uint32_t NumberFromDigits(const std::string& digits);

// The lock code as the panel shows it: at least four digits, zeros in front.
std::string LockCodeText(std::uint32_t code);

// The chooser entry to select: Ethernet for transport index 0; otherwise the
// stored port when the chooser lists it, else the first serial port, else
// Ethernet when there is none.
int ChooserPositionFor(const ConnectionSettings& settings, const std::vector<std::string>& entries);

// A stored serial port that the chooser does not list (absent or busy now)
// replaces the chooser's choice in the fields, so storing them keeps it.
void KeepUnlistedPort(SettingsPanelFields& fields, const ConnectionSettings& stored,
                      const std::vector<std::string>& entries);
