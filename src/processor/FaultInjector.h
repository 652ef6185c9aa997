#pragma once

#include "common/ByteString.h"

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

namespace processor {

// Gap between a reply and its duplicate, so that a stream receiver sees two
// arrivals rather than one run of bytes.
constexpr std::chrono::milliseconds kDuplicateGap{50};

struct FaultOptions {
    double drop = 0;       // fraction of replies never sent
    double corrupt = 0;    // fraction of replies with one bit flipped (lone control bytes are spared)
    double delay = 0;      // fraction of replies held back by delayMs
    double duplicate = 0;  // fraction of replies sent twice
    // Fraction of replies with line noise inside or around them: a stray byte,
    // or a zero byte as a BREAK reads on a line that does not ignore it. Serial
    // lines only; a datagram carries no noise.
    double noise = 0;
    std::chrono::milliseconds delayMs{300};
    std::uint32_t seed = 1;
    // How far behind a duplicate follows. A network repeats a datagram at once;
    // a late copy is what a delay does.
    std::chrono::milliseconds duplicateGap = kDuplicateGap;
    // Fraction of units preceded by a lone EOT or CAN byte on its own, as a
    // stray control byte arrives: a datagram of its own, or a byte kept apart.
    double stray = 0;

    bool Any() const { return drop > 0 || corrupt > 0 || delay > 0 || duplicate > 0 || noise > 0 || stray > 0; }
};

// One unit of output (a reply, a transfer block, a control byte) and how long to
// hold it back before it goes on the wire.
struct Output {
    ByteString bytes;
    std::chrono::milliseconds delay{0};
    // Sent out of the normal turn (a duplicate, a delayed reply): a stream keeps
    // it apart from its neighbours so the receiver sees separate arrivals.
    bool apart = false;
};

// Applies the configured faults to each reply, from a seeded generator so that a
// run can be repeated.
class FaultInjector {
public:
    explicit FaultInjector(const FaultOptions& options);

    void Apply(ByteString reply, std::vector<Output>& out);

    struct Counts {
        std::uint32_t dropped = 0, corrupted = 0, delayed = 0, duplicated = 0, noisy = 0, strays = 0;
    };
    const Counts& Done() const { return counts_; }

private:
    bool Roll(double fraction);
    void AddNoise(ByteString& reply);

    FaultOptions options_;
    std::mt19937 rng_;
    Counts counts_;
};
}  // namespace processor
