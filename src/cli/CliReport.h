#pragma once

#include <nlohmann/json.hpp>

#include <string>

// What each command reports, as one JSON value; the human text is made from
// the same value, so the two outputs of a run never disagree. The shapes are
// documented in the manual page vexlor-cli(1).
namespace clireport {

using Json = nlohmann::ordered_json;

// One line of JSON; texts from the processor that are not UTF-8 get U+FFFD.
std::string JsonLine(const Json& value);

// The human lines of each report (each ends in a newline).
std::string InfoHeadText(const Json& info);
std::string PageText(const Json& page);
std::string ParamValueText(const Json& param);
std::string PresetsText(const Json& presets);
std::string ProfilesText(const Json& profiles);
std::string StatusText(const Json& status);
std::string ChangeText(const Json& change);

// "aa bb cc" of a parameter's address array.
std::string AddressText(const Json& address);

}  // namespace clireport
