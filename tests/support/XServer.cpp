#include "XServer.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

bool OnPath(const std::string& program)
{
    return RunProgram("/usr/bin/which", {program}, std::chrono::seconds(5)).exitCode == 0;
}

}  // namespace

bool XvfbServer::Available()
{
    return OnPath("Xvfb") && OnPath("xdotool");
}

XvfbServer::XvfbServer(std::chrono::seconds lifetime, int width, int height)
{
    if (!Available()) return;
    // Xvfb writes the display number it chose to -displayfd once it accepts clients.
    process_ = std::make_unique<ChildProcess>(
        "/usr/bin/timeout",
        std::vector<std::string>{std::to_string(lifetime.count()), "Xvfb", "-displayfd", "1", "-nolisten", "tcp",
                                 "-screen", "0", std::to_string(width) + "x" + std::to_string(height) + "x24"});
    if (const auto line = process_->ReadLine(std::chrono::seconds(15)); line && !line->empty())
        display_ = ":" + *line;
}

XClient::XClient(const std::string& display)
{
    int screenNumber = 0;
    connection_ = xcb_connect(display.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    root_ = it.data->root;
}

XClient::~XClient()
{
    if (connection_) xcb_disconnect(connection_);
}

void XClient::WatchMaps()
{
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

namespace {

// The next event of this type from the connection within the deadline; the
// window it is about, or nothing.
std::optional<std::uint32_t> NextEventWindow(xcb_connection_t* connection, std::uint8_t type,
                                             std::chrono::steady_clock::time_point deadline)
{
    while (std::chrono::steady_clock::now() < deadline) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (!event) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            continue;
        }
        std::optional<std::uint32_t> window;
        if ((event->response_type & 0x7F) == type)
            window = type == XCB_MAP_NOTIFY ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window
                                            : reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window;
        std::free(event);
        if (window) return window;
    }
    return std::nullopt;
}

}  // namespace

std::optional<XWindow> XClient::WaitForMap(int width, int height, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (const auto mapped = NextEventWindow(connection_, XCB_MAP_NOTIFY, deadline)) {
        auto* geometry = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, *mapped), nullptr);
        if (!geometry) continue;
        const XWindow window{*mapped, geometry->x, geometry->y, geometry->width, geometry->height};
        std::free(geometry);
        if (window.width == width && window.height == height) return window;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> XClient::WaitForUnmap(std::uint32_t except, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (const auto unmapped = NextEventWindow(connection_, XCB_UNMAP_NOTIFY, deadline))
        if (*unmapped != except) return unmapped;
    return std::nullopt;
}

std::vector<XWindow> XClient::MappedWindows()
{
    std::vector<XWindow> mapped;
    auto* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr);
    if (!tree) return mapped;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        auto* attributes = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, children[i]), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (!viewable) continue;
        auto* geometry = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, children[i]), nullptr);
        if (geometry) mapped.push_back({children[i], geometry->x, geometry->y, geometry->width, geometry->height});
        std::free(geometry);
    }
    std::free(tree);
    return mapped;
}

std::optional<XWindow> XClient::FindByName(const std::string& name)
{
    for (const XWindow& window : MappedWindows())
        if (WindowName(window.id) == name) return window;
    return std::nullopt;
}

std::string XClient::WindowName(std::uint32_t window)
{
    auto* reply = xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
    if (!reply) return {};
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply));
    std::string name(text, text + xcb_get_property_value_length(reply));
    std::free(reply);
    return name;
}

std::uint32_t XClient::PixelAt(int x, int y)
{
    auto* reply = xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), 1, 1, 0xFFFFFFFF),
        nullptr);
    if (!reply) return 0xFFFFFFFF;
    std::uint32_t pixel = 0;
    const std::uint8_t* data = xcb_get_image_data(reply);
    if (xcb_get_image_data_length(reply) >= 3) pixel = data[0] | data[1] << 8 | data[2] << 16;
    std::free(reply);
    return pixel;
}

bool ClickAt(const std::string& display, int x, int y, const std::string& keys)
{
    setenv("DISPLAY", display.c_str(), 1);
    std::vector<std::string> args{"mousemove", "--sync", std::to_string(x), std::to_string(y)};
    if (!keys.empty()) args.insert(args.end(), {"keydown", keys});
    args.insert(args.end(), {"click", "1"});
    if (!keys.empty()) args.insert(args.end(), {"keyup", keys});
    return RunProgram("/usr/bin/xdotool", args, std::chrono::seconds(10)).exitCode == 0;
}

bool DragAt(const std::string& display, int x, int y, int dy)
{
    setenv("DISPLAY", display.c_str(), 1);
    std::vector<std::string> args{"mousemove", "--sync", std::to_string(x), std::to_string(y), "mousedown", "1"};
    constexpr int kSteps = 4;
    for (int step = 1; step <= kSteps; ++step)
        args.insert(args.end(), {"sleep", "0.1", "mousemove", "--sync", std::to_string(x), std::to_string(y + dy * step / kSteps)});
    args.insert(args.end(), {"sleep", "0.1", "mouseup", "1"});
    return RunProgram("/usr/bin/xdotool", args, std::chrono::seconds(10)).exitCode == 0;
}

bool PressKeys(const std::string& display, const std::string& keys)
{
    setenv("DISPLAY", display.c_str(), 1);
    return RunProgram("/usr/bin/xdotool", {"key", keys}, std::chrono::seconds(10)).exitCode == 0;
}
