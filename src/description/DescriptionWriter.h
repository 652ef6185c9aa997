#pragma once

#include "common/ByteString.h"
#include "description/DescriptionTree.h"

#include <cstdint>

// Encodes a description tree in the binary control description format, so that
// tests and the processor simulator never write description bytes by hand.
//
// The root's children become the top-level records. A top-level page that holds
// exactly one item, no sub-pages and no rule, and whose name is the name the
// parser derives from that item, is written as a bare item record; every other
// page as a group record with its items first, then its sub-pages. Pages with
// nothing in them are left out (the parser would drop them). Runtime state
// (hidden flags, current values, the style of records after an item's first)
// is not written.
//
// Trees the format cannot carry throw std::invalid_argument naming the fault:
// items on the root, 0 or more than 7 records in an item, more than 255 records
// in a page, a field set that its value kind does not carry, choices that do
// not number maxValue + 1, empty choices, zero bytes inside strings, numbers out
// of their field's range, and a page without a rule that would take over the
// rule of the ruled group it sits in (put such pages last among their siblings
// or give them a rule).
class DescriptionWriter {
public:
    static ByteString Write(const PageNode& root, std::uint8_t modelCode);
};
