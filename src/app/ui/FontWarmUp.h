#pragma once

#include <fontconfig/fontconfig.h>

#include <thread>

// Fontconfig reads its configuration and font caches the first time anything
// asks for a font, and the window's first text would wait for that. This reads
// them on a thread of its own while the program connects to the display and
// reads its skin; Qt's font database itself stays on the UI thread.
class CFontWarmUp {
public:
    CFontWarmUp();
    ~CFontWarmUp();
    CFontWarmUp(const CFontWarmUp&) = delete;
    CFontWarmUp& operator=(const CFontWarmUp&) = delete;

    // The configuration fontconfig would load, with its fonts, or null where
    // fontconfig would have to mend it (a file that does not parse, no cache
    // folder); the caller owns it. Fontconfig's own start-up also parses
    // every file shipped but not enabled, only to list them; this does not.
    static FcConfig* LoadEnabledConfig();

private:
    std::thread thread_;
};
