#pragma once

#include "common/ByteString.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The preset list as data: rows, the five commands, and the flags the status
// packet reports.
namespace presets {

constexpr std::uint8_t kNoPreset = 255;

// The list's menu item identifiers, also the order of the five preset buttons.
enum class PresetCommand : int {
    Load = 0,
    Save = 1,
    Rename = 2,
    LoadFromFile = 3,
    SaveToFile = 4,
};

const char* PresetCommandText(PresetCommand command);
std::optional<PresetCommand> PresetCommandFromInt(int value);

// Save, Rename and Load from file touch user presets only.
bool IsCommandAllowed(PresetCommand command, unsigned index, unsigned userPresetCount);

// "U1:" .. for user presets, "F1:" .. for factory presets.
std::string PresetLabel(unsigned index, unsigned userPresetCount);

struct PresetRow {
    std::string label;
    std::string name;  // upper case
};

// The six values taken from a status packet.
struct StatusValues {
    std::uint8_t tr = kNoPreset;
    std::uint8_t dp = kNoPreset;
    std::uint8_t def = kNoPreset;
    std::uint8_t current = kNoPreset;
    std::uint8_t change = 0;
    std::uint8_t compare = 0;
};

// Empty when the packet is too short to carry the marker bytes.
std::optional<StatusValues> StatusValuesFromPacket(const ByteString& packet);

// What the list shows beside the rows.
struct PresetFlags {
    std::uint8_t tr = kNoPreset;
    std::uint8_t dp = kNoPreset;
    std::uint8_t def = kNoPreset;
    std::uint8_t current = kNoPreset;
    std::uint8_t change = 0;
    bool operator==(const PresetFlags&) const = default;
};

// The preset-choice texts ("Off", then the names) for the rows of the list.
std::vector<std::string> PresetChoiceTexts(const std::vector<PresetRow>& rows);

}  // namespace presets
