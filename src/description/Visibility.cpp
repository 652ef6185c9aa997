#include "description/Visibility.h"

namespace {

// Depth first: a page, then its sub-pages in order; items go page by page.
template <typename Node, typename Visit>
void ForEachPage(Node& node, const Visit& visit) {
    visit(node);
    for (auto& child : node.children) ForEachPage(child, visit);
}

template <typename Node, typename Visit>
void ForEachItem(Node& root, const Visit& visit) {
    ForEachPage(root, [&](Node& page) {
        for (auto& item : page.items) {
            if (!item.records.empty()) visit(item);
        }
    });
}

const VisibilityDriver* LastDriverAt(const std::vector<VisibilityDriver>& drivers, ParamAddress address) {
    const VisibilityDriver* found = nullptr;
    for (const VisibilityDriver& driver : drivers) {
        if (driver.address == address) found = &driver;
    }
    return found;
}

// Applies the rule to `hidden`; true when the flag changed.
bool ApplyRule(const VisibilityRule& rule, const std::vector<VisibilityDriver>& drivers, bool& hidden) {
    const VisibilityDriver* driver = LastDriverAt(drivers, rule.Driver());
    if (!driver) return false;
    const bool hide = driver->value < rule.low || driver->value > rule.high;
    if (hide == hidden) return false;
    hidden = hide;
    return true;
}

}  // namespace

int StoreValue(PageNode& root, std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value) {
    int stored = 0;
    for (PageNode& page : root.children) {
        ForEachItem(page, [&](ControlItem& item) {
            ControlRecord& first = item.records.front();
            if (first.Address() == ParamAddress{a, b, c}) {
                first.value = value;
                ++stored;
            }
        });
    }
    return stored;
}

std::vector<ParamAddress> FirstRecordAddresses(const PageNode& root) {
    std::vector<ParamAddress> addresses;
    ForEachItem(root, [&](const ControlItem& item) { addresses.push_back(item.records.front().Address()); });
    return addresses;
}

std::vector<VisibilityDriver> CollectVisibilityDrivers(const PageNode& root) {
    std::vector<VisibilityDriver> drivers;
    ForEachItem(root, [&](const ControlItem& item) {
        const ControlRecord& first = item.records.front();
        if (first.drivesVisibility) drivers.push_back({first.Address(), first.value});
    });
    return drivers;
}

VisibilityResult EvaluateVisibility(PageNode& root) {
    VisibilityResult result;
    result.drivers = CollectVisibilityDrivers(root);
    for (PageNode& page : root.children) {
        ForEachPage(page, [&](PageNode& node) {
            if (node.hasRule && ApplyRule(node.rule, result.drivers, node.hidden)) result.pagesChanged = true;
        });
    }
    ForEachItem(root, [&](ControlItem& item) {
        if (item.hasRule && ApplyRule(item.rule, result.drivers, item.hidden)) result.itemsChanged = true;
    });
    return result;
}
