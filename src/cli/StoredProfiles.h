#pragma once

#include "settings/ConnectionProfiles.h"

#include <optional>

// The connection profiles the application stored; empty when this build of the
// tool has no settings store to read them from.
std::optional<CConnectionProfiles> LoadStoredProfiles();
