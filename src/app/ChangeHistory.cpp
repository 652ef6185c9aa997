#include "app/ChangeHistory.h"

#include <cstdio>
#include <ctime>

const char* ChangeOriginName(ChangeOrigin origin)
{
    switch (origin) {
    case ChangeOrigin::Operator: return "operator";
    case ChangeOrigin::Undo: return "undo";
    case ChangeOrigin::Redo: return "redo";
    case ChangeOrigin::Processor: return "processor";
    }
    return "?";
}

std::string ChangeLineText(const ChangeLine& line)
{
    return std::string(ChangeOriginName(line.origin)) + ' ' + line.page + " / " + line.caption + ": " + line.oldText +
           " -> " + line.newText;
}

std::string ChangeTimeText(const ChangeLine& line)
{
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(line.when);
    const auto millis = duration_cast<milliseconds>(line.when.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

void CChangeHistory::Add(ChangeLine line)
{
    if (lines_.size() >= kMaxLines) lines_.pop_front();
    lines_.push_back(std::move(line));
}
