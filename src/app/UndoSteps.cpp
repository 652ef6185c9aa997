#include "app/UndoSteps.h"

std::optional<UndoStep> CGestureSteps::OnWrite(const UndoStep& write, Clock::time_point now)
{
    const bool same = open_ && open_->a == write.a && open_->b == write.b && open_->c == write.c;
    std::optional<UndoStep> ended;
    if (open_ && !(same && (held_ || now - last_ < kBurstGap))) ended = Finish();
    if (!open_) {
        open_ = write;
        open_->id = nextId_++;
    }
    open_->after = write.after;
    last_ = now;
    return ended;
}

std::optional<UndoStep> CGestureSteps::Hold(bool held)
{
    held_ = held;
    if (held) return std::nullopt;
    return Finish();
}

std::optional<UndoStep> CGestureSteps::Finish()
{
    std::optional<UndoStep> step = std::move(open_);
    open_.reset();
    if (step && step->before == step->after) return std::nullopt;
    return step;
}

std::optional<UndoStep> CGestureSteps::FinishIfQuiet(Clock::time_point now)
{
    if (held_ || !open_ || now - last_ < kBurstGap) return std::nullopt;
    return Finish();
}

void CGestureSteps::Clear()
{
    open_.reset();
    held_ = false;
}
