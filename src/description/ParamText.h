#pragma once

#include "description/DescriptionTree.h"

#include <cstdint>
#include <string>
#include <vector>

// The text a page shows for a raw value of a bound record: the slider's value
// text, the pressed button's label, or the spin field's text.
std::string ParamText(const ControlRecord& record, std::uint8_t raw,
                      const std::vector<std::string>& presetChoices);
