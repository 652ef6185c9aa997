#include "app/ui/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

CFontWarmUp::CFontWarmUp()
{
    try {
        // Fontconfig installs its configuration once, atomically: when Qt asks
        // first, both load it and one copy is dropped, which only costs time.
        thread_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: Qt loads fontconfig when it needs it, as always.
    }
}

CFontWarmUp::~CFontWarmUp()
{
    if (thread_.joinable()) thread_.join();
}
