#pragma once

#include "skin/SkinValues.h"

#include <string>
#include <string_view>
#include <vector>

// Every skin element the program looks up and the keys its window reads, in
// one place: the skin test checks the shipped skin against it, and skinned
// controls can assert that what they read is listed here.

enum class SkinValueType { Image, Icon, Long, String };

struct SkinKeySpec {
    SkinValueType type;
    std::string property;
    bool required; // false: the control's default is fine when it is absent
};

struct SkinElementSpec {
    std::string element;
    std::string kind; // "window", "button", "group", "static", "edit", ...
    std::vector<SkinKeySpec> keys;
};

// All elements in the order the main window and its parts create them.
const std::vector<SkinElementSpec>& SkinElementSpecs();
const SkinElementSpec* FindSkinElementSpec(std::string_view element);
// Whether a control of `element` reads `property` of that type.
bool IsKnownSkinKey(std::string_view element, std::string_view property, SkinValueType type);

// What is wrong with a description against the table: required keys that are
// missing, keys that nothing reads (typos), and "statics" entries that name
// no known label. Empty when the skin is complete.
std::vector<std::string> CheckSkinValues(const SkinValues& values);
