#pragma once

#include "description/DescriptionTree.h"

#include <bitset>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

class CPageTreeModel;

// The pages of a processor as JSON for the browser, built by the same core
// functions as the desktop pages so both show the same texts at the same
// places. The browser only draws what it is given; it derives nothing.

// Raw values a write to `record` may carry, as its control on the page offers
// them; `presetCount` counts the choices "Off" and the presets.
std::bitset<256> AllowedRaws(const ControlRecord& record, ControlStyle style, std::size_t presetCount);

// The page tree: one entry per record with its parent, name, path, whether it
// has controls and whether it is hidden.
nlohmann::json PageTreeJson(const CPageTreeModel& tree);

// One page: caption parts and every item with its cell, kind, texts and records.
nlohmann::json PageJson(const PageNode& node, const std::string& path,
                        const std::vector<std::string>& presetChoices);
