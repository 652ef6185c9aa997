#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

// Who changed a parameter.
enum class ChangeOrigin { Operator, Undo, Redo, Processor };

// One change of a parameter as the operator saw it.
struct ChangeLine {
    std::chrono::system_clock::time_point when;
    std::string page;     // caption path of the page that shows it
    std::string caption;  // the parameter's caption
    std::string oldText;  // display texts before and after
    std::string newText;
    ChangeOrigin origin = ChangeOrigin::Operator;
    std::uint8_t a = 0, b = 0, c = 0;
    std::uint8_t oldValue = 0, newValue = 0;
    bool oldKnown = false;  // the operator may write a value never read
};

// What begins a change's line in the debug log, so it can be picked out.
inline constexpr const char* kChangeLogPrefix = "Change: ";

// "operator", "undo", "redo" or "processor".
const char* ChangeOriginName(ChangeOrigin origin);
// "operator Input > Source / Gain: 0.0 dB -> 1.5 dB", without the time, which
// the debug log stamps.
std::string ChangeLineText(const ChangeLine& line);
// The local time of the change, "HH:MM:SS.mmm".
std::string ChangeTimeText(const ChangeLine& line);

// The changes of one connection, oldest first; the oldest go beyond a cap so
// a long session cannot grow it without end.
class CChangeHistory {
public:
    static constexpr std::size_t kMaxLines = 10000;

    void Add(ChangeLine line);
    void Clear() { lines_.clear(); }
    const std::deque<ChangeLine>& Lines() const { return lines_; }

private:
    std::deque<ChangeLine> lines_;
};
