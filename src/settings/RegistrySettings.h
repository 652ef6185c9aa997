#pragma once

#include "settings/ConnectionSettings.h"
#include "settings/RegistryValue.h"

#include <cstdint>
#include <string>

// The stored connection settings. Made once at start (reading each value or
// its default) and destroyed at exit (writing each value back unless deleted).
struct CRegistrySettings {
    // Where a damaged settings file was copied at start, for telling the
    // operator once; empty otherwise. First, so it sees the file as it was.
    std::string damagedCopy = KeepDamagedSettingsCopy();
    CRegistryValue<std::uint32_t> port{"dwPort", 1203};
    CRegistryValue<std::string> host{"sHost", "192.168.0.127"};
    CRegistryValue<std::string> portName{"sPortName", "TCP"};
    CRegistryValue<std::uint32_t> flow{"dwFlow", 0};
    CRegistryValue<std::uint32_t> baud{"dwBaud", 1};
    CRegistryValue<std::uint32_t> stop{"dwStop", 0};
    CRegistryValue<std::uint32_t> data{"dwData", 3};
    CRegistryValue<std::uint32_t> parity{"dwParity", 0};
    CRegistryValue<std::uint32_t> lockCode{"dwLockCode", kDefaultLockCode};
    // Reconnect by itself after a link loss (1) or not (0).
    CRegistryValue<std::uint32_t> reconnect{"dwReconnect", 1};
};

// Copies the stored values into the record; the transport index is 0 (Ethernet)
// exactly when the port name is "TCP".
void SettingsFromRegistry(const CRegistrySettings& stored, ConnectionSettings& settings);
// Copies the record into the stored values, which are written at exit.
void SettingsToRegistry(const ConnectionSettings& settings, CRegistrySettings& stored);
// Copies the record into the stored values and writes them at once, so that a
// process ended by a signal or a crash keeps them too.
void WriteSettingsNow(const ConnectionSettings& settings, CRegistrySettings& stored);
