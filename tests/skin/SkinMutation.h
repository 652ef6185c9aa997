#pragma once

#include "common/ByteString.h"

#include <cstdint>
#include <random>
#include <span>
#include <string_view>
#include <vector>

namespace skintest {

// Deterministic mutations of a valid input: bit flips, byte changes, inserted
// and deleted runs, duplicated runs, truncation, and pieces of a dictionary of
// bytes that matter to the reader under test.
class Mutator {
public:
    Mutator(std::uint32_t seed, std::vector<ByteString> dictionary)
        : random_(seed), dictionary_(std::move(dictionary))
    {
    }

    ByteString Mutate(const ByteString& input)
    {
        ByteString out = input;
        const int steps = 1 + static_cast<int>(Below(4));
        for (int i = 0; i < steps; ++i)
            MutateOnce(out);
        return out;
    }

    std::size_t Below(std::size_t bound) { return bound == 0 ? 0 : random_() % bound; }

private:
    void MutateOnce(ByteString& out)
    {
        const std::size_t at = Below(out.size() + 1);
        switch (Below(7)) {
        case 0:
            if (at < out.size())
                out[at] ^= static_cast<std::uint8_t>(1u << Below(8));
            break;
        case 1:
            if (at < out.size())
                out[at] = static_cast<std::uint8_t>(random_());
            break;
        case 2: {
            const ByteString& word = dictionary_[Below(dictionary_.size())];
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), word.begin(), word.end());
            break;
        }
        case 3: {
            const ByteString& word = dictionary_[Below(dictionary_.size())];
            for (std::size_t i = 0; i < word.size() && at + i < out.size(); ++i)
                out[at + i] = word[i];
            break;
        }
        case 4: {
            const std::size_t length = std::min(Below(16) + 1, out.size() - at);
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(at),
                      out.begin() + static_cast<std::ptrdiff_t>(at + length));
            break;
        }
        case 5: {
            const std::size_t length = std::min(Below(32) + 1, out.size() - at);
            const ByteString run(out.begin() + static_cast<std::ptrdiff_t>(at),
                                 out.begin() + static_cast<std::ptrdiff_t>(at + length));
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(Below(out.size() + 1)), run.begin(), run.end());
            break;
        }
        default:
            out.resize(at);
            break;
        }
    }

    std::mt19937 random_;
    std::vector<ByteString> dictionary_;
};

} // namespace skintest
