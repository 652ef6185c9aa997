#include "presets/PresetModel.h"

#include "description/ParameterModel.h"

namespace presets {

const char* PresetCommandText(PresetCommand command)
{
    switch (command) {
    case PresetCommand::Load: return "Load";
    case PresetCommand::Save: return "Save";
    case PresetCommand::Rename: return "Rename";
    case PresetCommand::LoadFromFile: return "Load from file";
    case PresetCommand::SaveToFile: return "Save to file";
    }
    return "";
}

std::optional<PresetCommand> PresetCommandFromInt(int value)
{
    if (value < 0 || value > 4) return std::nullopt;
    return static_cast<PresetCommand>(value);
}

bool IsCommandAllowed(PresetCommand command, unsigned index, unsigned userPresetCount)
{
    switch (command) {
    case PresetCommand::Load:
    case PresetCommand::SaveToFile: return true;
    case PresetCommand::Save:
    case PresetCommand::Rename:
    case PresetCommand::LoadFromFile: return index < userPresetCount;
    }
    return false;
}

std::string PresetLabel(unsigned index, unsigned userPresetCount)
{
    if (index < userPresetCount) return "U" + std::to_string(index + 1) + ":";
    return "F" + std::to_string(index - userPresetCount + 1) + ":";
}

std::optional<StatusValues> StatusValuesFromPacket(const ByteString& packet)
{
    if (packet.size() < 6) return std::nullopt;
    StatusValues v;
    v.tr = packet[2];
    v.dp = packet[3];
    v.def = packet[4];
    v.current = static_cast<std::uint8_t>(packet[5] & 0x3F);
    v.change = static_cast<std::uint8_t>((packet[5] >> 7) & 1);
    v.compare = static_cast<std::uint8_t>((packet[5] >> 6) & 1);
    return v;
}

std::vector<std::string> PresetChoiceTexts(const std::vector<PresetRow>& rows)
{
    std::vector<std::string> names;
    for (const PresetRow& row : rows) names.push_back(row.name);
    return ::PresetChoices(names);
}

}  // namespace presets
