#include "skin/ui/SkinSpinAcceleration.h"

#include <algorithm>
#include <array>

std::span<const SkinSpinAcceleration::Entry> SkinSpinAcceleration::DefaultTable()
{
    static constexpr std::array<Entry, 3> table{{{0, 1}, {2, 5}, {5, 20}}};
    return table;
}

SkinSpinAcceleration::SkinSpinAcceleration(std::span<const Entry> table)
    : table_(table)
{
}

void SkinSpinAcceleration::Start(std::int64_t nowMs)
{
    index_ = 1;
    startMs_ = nowMs;
}

int SkinSpinAcceleration::NextIncrement(std::int64_t nowMs)
{
    if (table_.empty())
        return 1;
    index_ = std::min(index_, table_.size());
    const int increment = table_[index_ - 1].increment;
    if (index_ < table_.size() && nowMs - startMs_ > std::int64_t{table_[index_].seconds} * 1000)
        ++index_;
    return increment;
}
