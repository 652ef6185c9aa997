#include "agent/AgentLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace agentlog {
namespace {

std::atomic<bool> verbose{false};
std::mutex mutex;

}  // namespace

void SetVerbose(bool on)
{
    verbose = on;
}

void Write(Level level, const std::string& line)
{
    if (level == Level::Debug && !verbose)
        return;
    // One write per line, so lines of several threads never interleave.
    std::string text = "<" + std::to_string(static_cast<int>(level)) + ">";
    for (const char c : line)
        text += (c == '\n' || c == '\r') ? ' ' : c;
    text += '\n';
    std::lock_guard lock(mutex);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace agentlog
