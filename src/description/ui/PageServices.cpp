#include "description/ui/PageServices.h"

std::uint32_t PageServices::Now() const
{
    if (tickMs) return tickMs();
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    // The counter wraps like a tick count; the send gate measures across it.
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
