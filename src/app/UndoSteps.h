#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// One operator gesture on one parameter, as undo and redo see it.
struct UndoStep {
    std::uint64_t id = 0;
    std::uint8_t a = 0, b = 0, c = 0;
    std::uint8_t before = 0;  // what the processor held before the gesture
    std::uint8_t after = 0;   // and after it
    std::size_t page = 0;     // page tree record where it was made
    std::string caption;      // the parameter's caption, for the operator
};

// Keeps the undo history that a front end shows; the controller decides what
// a step is and when the history goes.
class IUndoView {
public:
    virtual ~IUndoView() = default;
    virtual void PushStep(const UndoStep& step) = 0;
    // Connect, disconnect, preset load, A/B and restore from file change what
    // "before" means.
    virtual void ClearSteps() = 0;
    // The processor changed the step's parameter since: the step goes unwritten.
    virtual void DropStep(std::uint64_t id) = 0;
};

// Groups the operator's writes into gestures. Writes to one parameter make one
// step while a gesture is held (a slider pressed) or while they follow each
// other closer than the burst gap (a wheel burst, a key held down); a write to
// another parameter, a release or a quiet gap ends the step. A gesture that
// ends where it began is no step.
class CGestureSteps {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kBurstGap{600};

    // `before` is the value the processor held before this write. Gives the
    // step that this write ended, if any.
    std::optional<UndoStep> OnWrite(const UndoStep& write, Clock::time_point now);
    // Pressed (true) and released (false); a release ends the step.
    std::optional<UndoStep> Hold(bool held);
    // Ends the step now (before an undo, say).
    std::optional<UndoStep> Finish();
    // Ends the step when nothing holds it and the gap has passed since its last write.
    std::optional<UndoStep> FinishIfQuiet(Clock::time_point now);
    void Clear();
    bool Open() const { return open_.has_value(); }

private:
    std::optional<UndoStep> open_;
    Clock::time_point last_{};
    bool held_ = false;
    std::uint64_t nextId_ = 1;
};
