#include "cli/StoredProfiles.h"

// Builds without Qt (the sanitizer builds of the core) have no settings store.
std::optional<CConnectionProfiles> LoadStoredProfiles()
{
    return std::nullopt;
}
