#pragma once

#include "presets/PresetModel.h"

#include <string>
#include <vector>

// What the preset list shows and offers for a row; the widget only draws it.
namespace presets {

// Column 1 as drawn: the name, then " (TR)", " (DP)" and " (DEF)" in this
// order for each marker that falls on the row.
std::string MarkedName(const std::string& name, unsigned row, const PresetFlags& flags);

// The context menu of a row: all five commands for a user preset, Load and
// Save to file for a factory preset.
std::vector<PresetCommand> MenuCommands(unsigned row, unsigned userPresetCount);

}  // namespace presets
