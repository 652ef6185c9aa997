#pragma once

#include <cstdint>
#include <span>

// How fast a held spin arrow counts: a table of (seconds, increment) entries in
// ascending seconds, the first at 0 s. Each repeat adds the increment of the
// current entry, and the entry advances once its successor's seconds have
// passed since the repeats began.
class SkinSpinAcceleration {
public:
    struct Entry {
        int seconds;
        int increment;
    };

    // 1 step at first, 5 after two seconds, 20 after five.
    static std::span<const Entry> DefaultTable();

    explicit SkinSpinAcceleration(std::span<const Entry> table = DefaultTable());

    // The repeats begin now.
    void Start(std::int64_t nowMs);
    // The increment of this repeat (in field steps).
    int NextIncrement(std::int64_t nowMs);

private:
    std::span<const Entry> table_;
    std::size_t index_ = 1;
    std::int64_t startMs_ = 0;
};
