#pragma once

#include "common/ByteString.h"

#include <cstdint>

struct ConnectionSettings;

// The session's command operations as the controller uses them. The real
// session is reached through an adapter; tests of the controller alone can
// record commands instead.
class ISessionCommands {
public:
    virtual ~ISessionCommands() = default;
    virtual void Connect(ConnectionSettings& settings) = 0;
    virtual void Disconnect() = 0;
    virtual bool IsConnected() = 0;
    virtual void ReadVersion() = 0;
    virtual void ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c) = 0;
    virtual void WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) = 0;
    virtual void GetConfig(std::uint32_t lockCode) = 0;
    virtual void GetFactoryPresetNumber() = 0;
    virtual void GetPreset(std::uint8_t index) = 0;
    virtual void SendPreset(std::uint8_t index, const ByteString& data) = 0;
    virtual void LoadPreset(std::uint8_t index) = 0;
    virtual void SavePreset(std::uint8_t index) = 0;
    virtual void SendCompare() = 0;
    virtual void SendRevert() = 0;
    virtual void RenamePreset(std::uint8_t index, const ByteString& name15) = 0;
    virtual void EnableStatusUpdates(bool on) = 0;
};
