#include "cli/StoredProfiles.h"

#include "settings/ProfileStore.h"

std::optional<CConnectionProfiles> LoadStoredProfiles()
{
    CProfileStore store;
    return store.Load();
}
