#pragma once

#include <cstdint>
#include <string>

// Lock code presented when none was ever stored.
inline constexpr std::uint32_t kDefaultLockCode = 1234;

// The one process-wide record of how to reach the processor. The session and the
// transports read it when a connection opens; the settings panel edits it.
struct ConnectionSettings {
    std::int32_t replyTimeoutMs = 2000;
    std::int32_t statusRate = 10;  // status requests per second
    std::int32_t tries = 10;
    std::uint32_t portNumber = 1203;
    std::int32_t transportIndex = 0;  // 0 = Ethernet (UDP), otherwise serial
    std::string portName = "TCP";
    std::string host = "192.168.0.127";
    std::uint32_t flowControl = 0;
    std::uint32_t dataBits = 3;
    std::uint32_t baudRate = 1;
    std::uint32_t stopBits = 0;
    std::uint32_t parity = 0;
    std::uint32_t lockCode = kDefaultLockCode;
    // The connection profile these fields came from (empty: none); not stored
    // with the fields, the profile list keeps which one is in use.
    std::string profileName;
    // After a link loss while connected, try again by itself.
    bool reconnect = true;
};
