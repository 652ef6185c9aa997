#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// The log lines of an in-process simulator, collected from its threads and
// searched by a test or a benchmark.
class SimLog {
    static std::function<bool(const std::string&)> Containing(const std::string& text)
    {
        return [&text](const std::string& line) { return line.find(text) != std::string::npos; };
    }

public:
    // The simulator's log function.
    std::function<void(const std::string&)> Sink()
    {
        return [this](const std::string& line) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(line);
        };
    }
    bool Has(const std::string& text) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::any_of(lines_.begin(), lines_.end(), Containing(text));
    }
    // Whether a line with `then` follows the last line with `first`.
    bool After(const std::string& first, const std::string& then) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto last = std::find_if(lines_.rbegin(), lines_.rend(), Containing(first));
        return last != lines_.rend() && std::any_of(last.base(), lines_.end(), Containing(then));
    }
    std::vector<std::string> Lines() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// The parameter writes among a simulator's log lines, as address and value.
inline std::vector<std::array<std::uint8_t, 4>> ParamWrites(const std::vector<std::string>& lines)
{
    std::vector<std::array<std::uint8_t, 4>> writes;
    for (const std::string& line : lines) {
        const auto at = line.find("< Write : ");
        unsigned a = 0, b = 0, c = 0, v = 0;
        if (at != std::string::npos &&
            std::sscanf(line.c_str() + at, "< Write : %x - %x - %x - %x", &a, &b, &c, &v) == 4)
            writes.push_back({std::uint8_t(a), std::uint8_t(b), std::uint8_t(c), std::uint8_t(v)});
    }
    return writes;
}
