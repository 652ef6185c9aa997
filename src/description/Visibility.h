#pragma once

#include "description/DescriptionTree.h"

#include <cstdint>
#include <vector>

// Current values in the description tree and the visibility rules that read
// them. Only the first record of each item keeps its value here; the rules read
// only those.

struct VisibilityDriver {
    ParamAddress address;
    std::uint8_t value = 0;
    bool operator==(const VisibilityDriver&) const = default;
};

struct VisibilityResult {
    bool pagesChanged = false;
    bool itemsChanged = false;
    std::vector<VisibilityDriver> drivers;
};

// Sets the value of every item's first record at this address, on every page
// (hidden ones included). Returns how many records took it.
int StoreValue(PageNode& root, std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value);

// The first record's address of every item, depth first (a page's items, then
// its sub-pages): the order of the full read after connecting.
std::vector<ParamAddress> FirstRecordAddresses(const PageNode& root);

// The first records that drive visibility, depth first, with their values.
std::vector<VisibilityDriver> CollectVisibilityDrivers(const PageNode& root);

// Hidden = the driver's value outside [low, high]. When several drivers share
// the rule's address the last one in the list decides; with none the owner is
// left as it is. Pages (not the root) are done first, then the items of every
// page. The changed flags say whether any hidden flag ends up different.
VisibilityResult EvaluateVisibility(PageNode& root);
