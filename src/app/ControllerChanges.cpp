// The change history and undo and redo of the operator's gestures.
#include "app/ConnectionController.h"

#include "app/DescriptionAccess.h"
#include "app/SessionCommands.h"
#include "app/TimerQueue.h"
#include "description/DescriptionParser.h"
#include "description/ParamText.h"

void CConnectionController::NoteValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value,
                                      ChangeOrigin origin)
{
    const auto known = known_.find({a, b, c});
    const bool unknown = known == known_.end();
    if (unknown ? origin == ChangeOrigin::Processor : known->second == value) {
        known_[{a, b, c}] = value;
        return;
    }
    ChangeLine line = DescribeChange(a, b, c, value);
    line.origin = origin;
    if (!unknown) {
        line.oldValue = known->second;
        line.oldKnown = true;
        if (const ControlRecord* r = FindParameter(a, b, c).record)
            line.oldText = ParamText(*r, line.oldValue, presets::PresetChoiceTexts(rows_));
    }
    known_[{a, b, c}] = value;
    Log(kChangeLogPrefix + ChangeLineText(line));
    if (observer_) observer_->OnChange(line);
    changes_.Add(std::move(line));
}

ChangeLine CConnectionController::DescribeChange(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                                 std::uint8_t value) const
{
    ChangeLine line;
    line.when = std::chrono::system_clock::now();
    line.a = a;
    line.b = b;
    line.c = c;
    line.newValue = value;
    line.oldText = "?";
    line.newText = std::to_string(value);
    line.caption = "[" + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + "]";
    const FoundParameter found = FindParameter(a, b, c);
    if (found.record) {
        line.caption = found.record->name;
        line.newText = ParamText(*found.record, value, presets::PresetChoiceTexts(rows_));
    }
    line.page = found.page;
    return line;
}

CConnectionController::FoundParameter CConnectionController::FindParameter(std::uint8_t a, std::uint8_t b,
                                                                           std::uint8_t c) const
{
    // The page whose own controls hold the address; a parameter no page shows
    // is still found in the whole description.
    for (const PageTreeRecord& record : pageTree_.Records()) {
        if (!record.node) continue;
        for (const ControlItem& item : record.node->items)
            for (const ControlRecord& r : item.records)
                if (descaccess::SameAddress(r, a, b, c)) return {&r, record.path};
    }
    FoundParameter found;
    if (const PageNode* root = Root()) {
        descaccess::ForEachItem(*root, [&](const ControlItem& item) {
            for (const ControlRecord& r : item.records)
                if (!found.record && descaccess::SameAddress(r, a, b, c)) found.record = &r;
        });
    }
    return found;
}

void CConnectionController::RecordGesture(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    // A value never read cannot be restored.
    const auto known = known_.find({a, b, c});
    if (known == known_.end()) return;
    UndoStep write;
    write.a = a;
    write.b = b;
    write.c = c;
    write.before = known->second;
    write.after = value;
    write.page = currentPage_;
    if (const ControlRecord* r = FindParameter(a, b, c).record) write.caption = r->name;
    PushStep(gestures_.OnWrite(write, CGestureSteps::Clock::now()));
    // The burst ends by itself after a quiet gap.
    const std::uint64_t generation = generation_;
    timers_.StartOnce(CGestureSteps::kBurstGap + std::chrono::milliseconds(50), [this, generation] {
        if (generation == generation_) PushStep(gestures_.FinishIfQuiet(CGestureSteps::Clock::now()));
    });
}

void CConnectionController::PushStep(const std::optional<UndoStep>& step)
{
    if (step && undoView_) undoView_->PushStep(*step);
}

void CConnectionController::HoldGesture(bool held)
{
    PushStep(gestures_.Hold(held));
}

void CConnectionController::FinishGesture()
{
    PushStep(gestures_.Finish());
}

void CConnectionController::ClearUndo()
{
    gestures_.Clear();
    pendingSteps_.clear();
    if (undoView_) undoView_->ClearSteps();
}

std::string CConnectionController::UndoRefusal(const UndoStep& step) const
{
    if (state_ != ConnectionState::Ready) return "Not connected";
    // What B shows is the stored preset; only A's settings are the operator's to change.
    if (compareLock_ && step.a == 0) return step.caption + " is locked while B is compared";
    return {};
}

void CConnectionController::Undo(const UndoStep& step)
{
    CheckStep(step, true);
}

void CConnectionController::Redo(const UndoStep& step)
{
    CheckStep(step, false);
}

void CConnectionController::CheckStep(const UndoStep& step, bool undo)
{
    if (!UndoRefusal(step).empty()) return;
    // Whether the processor still holds what the step left is known only by asking.
    pendingSteps_.push_back({step, undo});
    session_.ReadParam(step.a, step.b, step.c);
}

void CConnectionController::FinishStepCheck(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    if (pendingSteps_.empty()) return;
    const PendingStep pending = pendingSteps_.front();
    const UndoStep& step = pending.step;
    if (step.a != a || step.b != b || step.c != c) return;
    pendingSteps_.pop_front();
    const std::uint8_t expected = pending.undo ? step.after : step.before;
    const std::uint8_t target = pending.undo ? step.before : step.after;
    if (value != expected || !UndoRefusal(step).empty()) {
        Log((pending.undo ? "Undo of " : "Redo of ") + step.caption + " dropped: the processor changed it since");
        if (undoView_) undoView_->DropStep(step.id);
        return;
    }
    session_.WriteParam(a, b, c, target);
    NoteValue(a, b, c, target, pending.undo ? ChangeOrigin::Undo : ChangeOrigin::Redo);
    const ControlRecord* record = FindParameter(a, b, c).record;
    if (record && record->drivesVisibility) {
        reevaluateVisibility_ = true;
        if (PageNode* root = parser_->Root()) StoreValue(*root, a, b, c, target);
    }
    // The operator sees the value come back where it was changed.
    if (currentPage_ != step.page || !page_) OpenPage(step.page, true);
    else ShowDeviceValue(a, b, c, target);
}
