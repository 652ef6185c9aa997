#include "app/DebugLineStore.h"

#include "app/ChangeHistory.h"

#include <chrono>
#include <cstdio>
#include <fstream>

std::time_t CSystemDebugClock::CalendarSeconds()
{
    return std::time(nullptr);
}

std::uint32_t CSystemDebugClock::TickMs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

CDebugLineStore::CDebugLineStore(IDebugClock& clock)
    : clock_(clock), baseSeconds_(clock.CalendarSeconds()), baseTick_(clock.TickMs())
{
}

bool CDebugLineStore::Accepts(const std::string& text) const
{
    if (!recording_) return false;
    if (changesOnly_) return text.rfind(kChangeLogPrefix, 0) == 0;
    auto has = [&text](const char* part) { return text.find(part) != std::string::npos; };
    if (!showLeds_ && (has("Leds") || has("Recieved  - 06 - 82"))) return false;
    if (!showDetail_ && (has("tick") || has("Debug : "))) return false;
    return true;
}

std::string CDebugLineStore::Stamp()
{
    // Unsigned subtraction keeps the stamp right across a wrap of the counter.
    const std::uint32_t elapsed = clock_.TickMs() - baseTick_;
    const std::time_t when = baseSeconds_ + static_cast<std::time_t>(elapsed / 1000);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d:%03d ", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(elapsed % 1000));
    return stamp;
}

void CDebugLineStore::AddLine(const std::string& text)
{
    if (!Accepts(text)) return;
    ++count_;
    if (count_ > lines_.size()) lines_.resize(lines_.size() + kGrowStep);
    lines_[count_ - 1] = Stamp() + text;
}

const std::string& CDebugLineStore::Line(std::size_t index) const
{
    static const std::string empty;
    return index < count_ ? lines_[index] : empty;
}

void CDebugLineStore::Clear()
{
    lines_.clear();
    count_ = 0;
}

bool CDebugLineStore::SaveToFile(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    std::string all;
    for (std::size_t i = 0; i < count_; ++i) all += lines_[i] + "\r\n";
    out.write(all.data(), static_cast<std::streamsize>(all.size()));
    return static_cast<bool>(out);
}

std::string CDebugLineStore::DefaultSavePath()
{
#ifdef _WIN32
    return "c:\\debug.txt";
#else
    return "debug.txt";
#endif
}
