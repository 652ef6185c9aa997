#pragma once

#include "common/ByteString.h"

#include <nlohmann/json.hpp>
#include <string>

// The meter panel for the browser: the LED places of a model's layout once,
// then for every status packet one short frame that names each LED's image,
// computed by the same rules as the desktop panel.

// {"width", "height", "leds": [[x, y, bar], ...], "bars": [{"label", "x", "y"}, ...],
//  "background": the path of the model's panel background, or empty}
nlohmann::json MeterLayoutJson(int code);

// One digit per LED in layout order: the skin image ("led1" .. "led7") that
// draws it now. Empty for a code without a layout.
std::string MeterFrame(int code, const ByteString& status, bool valid);
