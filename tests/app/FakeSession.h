#pragma once

#include "app/SessionCommands.h"
#include "settings/ConnectionSettings.h"

#include <string>
#include <vector>

// Records the commands the controller gives, one text per command.
class FakeSession : public ISessionCommands {
public:
    void Connect(ConnectionSettings&) override { Add("Connect"); connected = true; }
    void Disconnect() override { Add("Disconnect"); connected = false; }
    bool IsConnected() override { return connected; }
    void ReadVersion() override { Add("ReadVersion"); }
    void ReadParam(std::uint8_t a, std::uint8_t b, std::uint8_t c) override
    {
        Add("Read " + std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c));
    }
    void WriteParam(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t v) override
    {
        Add("Write " + std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "=" +
            std::to_string(v));
    }
    void GetConfig(std::uint32_t lock) override { Add("GetConfig " + std::to_string(lock)); }
    void GetFactoryPresetNumber() override { Add("GetFactoryPresetNumber"); }
    void GetPreset(std::uint8_t n) override { Add("GetPreset " + std::to_string(n)); }
    void SendPreset(std::uint8_t n, const ByteString& data) override
    {
        Add("SendPreset " + std::to_string(n));
        sentPreset = data;
    }
    void LoadPreset(std::uint8_t n) override { Add("LoadPreset " + std::to_string(n)); }
    void SavePreset(std::uint8_t n) override { Add("SavePreset " + std::to_string(n)); }
    void SendCompare() override { Add("SendCompare"); }
    void SendRevert() override { Add("SendRevert"); }
    void RenamePreset(std::uint8_t n, const ByteString& name) override
    {
        Add("Rename " + std::to_string(n));
        renamed = name;
    }
    void EnableStatusUpdates(bool on) override { Add(on ? "Status on" : "Status off"); }

    void Add(std::string text) { commands.push_back(std::move(text)); }
    std::vector<std::string> Take()
    {
        auto taken = std::move(commands);
        commands.clear();
        return taken;
    }

    bool connected = false;
    std::vector<std::string> commands;
    ByteString sentPreset;
    ByteString renamed;
};
