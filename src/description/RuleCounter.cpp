#include "description/RuleCounter.h"

void RuleCounter::Reset() {
    count_ = 0;
    hasLastRule_ = false;
    lastRule_ = {};
}

std::optional<VisibilityRule> RuleCounter::EnterGroup(const VisibilityRule* ownRule,
                                                      std::uint8_t childCount) {
    if (ownRule) {
        hasLastRule_ = true;
        lastRule_ = *ownRule;
    }
    if (!ownRule && count_ <= 0) return std::nullopt;
    // The group's children are counted in, the group itself counted off.
    count_ += childCount;
    --count_;
    if (!hasLastRule_) return std::nullopt;
    return lastRule_;
}

void RuleCounter::ItemInGroup() {
    if (count_ > 0) --count_;
}
