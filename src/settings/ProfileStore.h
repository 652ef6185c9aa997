#pragma once

#include "settings/ConnectionProfiles.h"

#include <set>

// The profile list in the settings store, in the group "Profiles" beside
// "Settings" (which stays the record of the profile in use): one numbered
// subgroup per profile and the name of the one in use. A profile whose stored
// lines cannot be read is left out of the list and left alone in the store, so
// a damaged line costs that profile and nothing else.
class CProfileStore {
public:
    CConnectionProfiles Load();
    // Writes every profile (giving new ones a slot) and removes the slots of
    // the profiles this store loaded or wrote that are gone from the list.
    // False when the store could not be written.
    bool Save(CConnectionProfiles& profiles);

private:
    std::set<int> ownSlots_;
};
