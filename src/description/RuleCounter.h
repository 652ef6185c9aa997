#pragma once

#include "description/DescriptionTree.h"

#include <cstdint>
#include <optional>

// How group records come by a visibility rule. A group with its own rule makes
// it the last rule and adds its child count to the counter; while the counter is
// above 0, a group without a rule takes the last rule too. Each such group and
// each item record directly inside a group uses up one count. Item records never
// take a rule from here. The parser and the writer share this so that the
// writer knows which groups the parser will hand a rule.
class RuleCounter {
public:
    void Reset();

    // A group record's header has been read. Returns the rule the group gets:
    // its own, the last rule taken over, or none.
    std::optional<VisibilityRule> EnterGroup(const VisibilityRule* ownRule, std::uint8_t childCount);

    // An item record directly inside a group (not at the top level).
    void ItemInGroup();

    // True when a group without a rule of its own would take the last rule.
    bool PassesRuleOn() const { return count_ > 0; }
    int Count() const { return count_; }

private:
    int count_ = 0;
    bool hasLastRule_ = false;
    VisibilityRule lastRule_;
};
