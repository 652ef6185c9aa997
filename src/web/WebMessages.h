#pragma once

#include "description/DescriptionTree.h"
#include "description/SliderSendGate.h"
#include "presets/PresetModel.h"
#include "web/WebAuth.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// What a browser may ask over its WebSocket, checked in full before anything
// reaches the processor: known message shape, an address of a shown control
// of the description, a value that control can take, a role allowed to write.

inline constexpr std::size_t kMaxClientMessageBytes = 4096;

struct ClientWrite {
    ParamAddress address;
    std::uint8_t value = 0;
    bool release = false;  // the operator let go of the slider
    bool drivesVisibility = false;
};
struct ClientOpenPage {
    std::size_t index = 0;
};
struct ClientPreset {
    presets::PresetCommand command = presets::PresetCommand::Load;
    unsigned index = 0;
    std::string name;  // Rename only
};
struct ClientCompare {
    bool b = false;  // true: B (compare), false: A
};
using ClientMessage = std::variant<ClientWrite, ClientOpenPage, ClientPreset, ClientCompare>;

// What the check needs to know of the processor and the user.
struct ClientContext {
    const PageNode* root = nullptr;
    std::size_t pageCount = 0;
    std::size_t presetRows = 0;
    unsigned userPresets = 0;
    bool compareLock = false;
    WebRole role = WebRole::ReadOnly;
};

struct ClientCheck {
    std::optional<ClientMessage> message;
    std::string refusal;  // why it was refused, for the log and the browser
};

ClientCheck CheckClientMessage(std::string_view text, const ClientContext& context);

// Paces each address's writes as the desktop slider does: at most one per
// 200 ms while it moves, the last value always going out once.
class CWritePacer {
public:
    // The value to send now, if any; otherwise it is kept for Due.
    std::optional<std::uint8_t> Offer(ParamAddress address, std::uint8_t value, bool release, std::uint32_t nowMs);
    // Kept values whose time has come.
    std::vector<std::pair<ParamAddress, std::uint8_t>> Due(std::uint32_t nowMs);

private:
    struct Slot {
        CSliderSendGate gate;
        std::optional<std::uint8_t> pending;
    };
    static std::uint32_t Key(ParamAddress a) { return a.a | a.b << 8 | a.c << 16; }
    std::map<std::uint32_t, Slot> slots_;
};
