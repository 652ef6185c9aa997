#include "processor/FaultInjector.h"

namespace processor {

FaultInjector::FaultInjector(const FaultOptions& options) : options_(options), rng_(options.seed) {}

bool FaultInjector::Roll(double fraction)
{
    if (fraction <= 0)
        return false;
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < fraction;
}

void FaultInjector::Apply(ByteString reply, std::vector<Output>& out)
{
    // Every roll is made for every reply, so that one switch does not shift the
    // random sequence that the others see.
    const bool drop = Roll(options_.drop);
    const bool corrupt = Roll(options_.corrupt);
    const bool delay = Roll(options_.delay);
    const bool duplicate = Roll(options_.duplicate);
    const bool noise = Roll(options_.noise);  // draws nothing while noise is off
    if (Roll(options_.stray)) {                // nor does this while strays are off
        out.push_back({ByteString{rng_() % 2 == 0 ? std::uint8_t{0x04} : std::uint8_t{0x18}}, {}, true});
        ++counts_.strays;
    }
    const auto where = rng_();
    const auto bit = rng_();
    if (drop) {
        ++counts_.dropped;
        return;
    }
    if (corrupt && reply.size() > 1) {
        // The bit lands where the receiver's checksum or block check catches it.
        // The opcode byte of a reply decides how many bytes the receiver waits
        // for; damaging it would desynchronise the stream, another fault.
        std::size_t at = where % reply.size();
        if (at == 1 && reply.size() < 132)
            at = 0;
        reply[at] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        ++counts_.corrupted;
    }
    if (noise)
        AddNoise(reply);
    std::chrono::milliseconds wait{0};
    if (delay) {
        wait = options_.delayMs;
        ++counts_.delayed;
    }
    if (duplicate) {
        out.push_back({reply, wait, delay});
        ++counts_.duplicated;
        wait += options_.duplicateGap;
    }
    out.push_back({std::move(reply), wait, delay || duplicate});
}

void FaultInjector::AddNoise(ByteString& reply)
{
    const auto at = static_cast<std::ptrdiff_t>(rng_() % (reply.size() + 1));
    const auto kind = rng_();
    const auto byte = static_cast<std::uint8_t>(kind % 2 == 0 ? 0x00 : (kind >> 8) & 0xFF);
    reply.insert(reply.begin() + at, byte);
    ++counts_.noisy;
}

}  // namespace processor
