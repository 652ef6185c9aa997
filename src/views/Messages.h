#pragma once

#include "common/ByteString.h"

#include <cstdint>

// Numbers of the messages the main window handles. The session's events arrive
// as 3008..3018; the preset list sends 1347..1349.
namespace msg {

constexpr int UM_CONNECTED = 3008;
constexpr int UM_DISCONNECTED = 3009;
constexpr int UM_PARAM_VALUE = 3010;
constexpr int UM_VERSION = 3011;
constexpr int UM_STATUS = 3012;
constexpr int UM_CONFIG = 3013;
constexpr int UM_PRESET_DATA = 3014;
constexpr int UM_LOG = 3015;
constexpr int UM_PRESET_COUNT = 3016;
constexpr int UM_PRESET_SENT = 3017;
constexpr int UM_PRESET_LOADED = 3018;
constexpr int UM_RESERVED = 3019;  // slot 9 of the sink; never raised

constexpr int UM_PRESET_COMMAND = 1347;
constexpr int UM_PRESET_NAME_CHANGED = 1348;
constexpr int UM_PRESET_SELECTED = 1349;

}  // namespace msg

// One posted message. The data is owned by the message, so the receiving
// handler frees it simply by letting the message go.
struct AppMessage {
    int id = 0;
    std::uint32_t wParam = 0;
    std::uint32_t lParam = 0;
    ByteString data;
};

// Takes messages from any thread; never blocks for long.
class IMessagePoster {
public:
    virtual ~IMessagePoster() = default;
    virtual void Post(AppMessage message) = 0;
};

// Packs a parameter reply the way it travels in lParam.
constexpr std::uint32_t PackParamValue(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                       std::uint8_t value)
{
    return static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b) << 8 |
           static_cast<std::uint32_t>(c) << 16 | static_cast<std::uint32_t>(value) << 24;
}
