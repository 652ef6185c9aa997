#pragma once

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

private:
    std::thread thread_;
};
