#pragma once

#include "../app/ChildProcess.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

// A private X server (Xvfb) for tests and benchmarks that need real windows:
// it picks a free display number itself and lives at most `lifetime`, even if
// its owner dies without stopping it.
class XvfbServer {
public:
    explicit XvfbServer(std::chrono::seconds lifetime, int width = 1024, int height = 768);
    bool Started() const { return !display_.empty(); }
    // ":N"
    const std::string& Display() const { return display_; }
    static bool Available();

private:
    std::unique_ptr<ChildProcess> process_;
    std::string display_;
};

struct XWindow {
    std::uint32_t id = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// A client connection that watches top-level windows and reads pixels of the
// screen, as a user looking at it would see them.
class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool Connected() const { return connection_ != nullptr; }
    // Starts listening for windows being mapped; call before starting the program.
    void WatchMaps();
    // The next top-level window of this size to be mapped, within the time.
    std::optional<XWindow> WaitForMap(int width, int height, std::chrono::milliseconds limit);
    // The next top-level window other than `except` to be unmapped, within the time.
    std::optional<std::uint32_t> WaitForUnmap(std::uint32_t except, std::chrono::milliseconds limit);
    // The top-level windows that are mapped now.
    std::vector<XWindow> MappedWindows();
    // The mapped top-level window with this title, looked up now.
    std::optional<XWindow> FindByName(const std::string& name);
    std::string WindowName(std::uint32_t window);
    // The colour at a screen position as 0xRRGGBB.
    std::uint32_t PixelAt(int x, int y);

private:
    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
};

// Moves the pointer and clicks with xdotool; `keys` like "ctrl+alt" are held during the click.
bool ClickAt(const std::string& display, int x, int y, const std::string& keys = "");
// Presses the first button at (x, y), moves the pointer by `dy` in a few steps and lets go.
bool DragAt(const std::string& display, int x, int y, int dy);
// Types `keys` like "ctrl+z" with xdotool, to the window that has the input focus.
bool PressKeys(const std::string& display, const std::string& keys);
