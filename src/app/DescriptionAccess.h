#pragma once

#include "description/DescriptionTree.h"

#include <cstdint>

namespace descaccess {

inline bool SameAddress(const ControlRecord& r, std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return r.a == a && r.b == b && r.c == c;
}

// Depth first from the node: its items in order, then its children in order.
template <class Fn>
void ForEachItem(const PageNode& node, Fn&& fn)
{
    for (const ControlItem& item : node.items) fn(item);
    for (const PageNode& child : node.children) ForEachItem(child, fn);
}

}  // namespace descaccess
