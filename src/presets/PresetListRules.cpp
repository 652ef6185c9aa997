#include "presets/PresetListRules.h"

namespace presets {

std::string MarkedName(const std::string& name, unsigned row, const PresetFlags& flags)
{
    std::string text = name;
    if (row == flags.tr) text += " (TR)";
    if (row == flags.dp) text += " (DP)";
    if (row == flags.def) text += " (DEF)";
    return text;
}

std::vector<PresetCommand> MenuCommands(unsigned row, unsigned userPresetCount)
{
    if (row >= userPresetCount) return {PresetCommand::Load, PresetCommand::SaveToFile};
    return {PresetCommand::Load, PresetCommand::Save, PresetCommand::Rename, PresetCommand::LoadFromFile,
            PresetCommand::SaveToFile};
}

}  // namespace presets
