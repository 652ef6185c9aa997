#include "web/WebMessages.h"

#include "presets/PresetFile.h"
#include "web/WebPage.h"

#include <nlohmann/json.hpp>

#include <algorithm>

using nlohmann::json;

namespace {

ClientCheck Refuse(std::string why)
{
    return {std::nullopt, std::move(why)};
}

std::optional<unsigned> Byte(const json& j, const char* key)
{
    const auto it = j.find(key);
    if (it == j.end() || !it->is_number_unsigned() || it->get<std::uint64_t>() > 255) return std::nullopt;
    return it->get<unsigned>();
}

// The shown item record at the address, with the item's style.
const ControlRecord* FindShownRecord(const PageNode& root, ParamAddress address, ControlStyle& style)
{
    const ControlRecord* found = nullptr;
    auto visit = [&](auto& self, const PageNode& node) -> void {
        if (node.hidden) return;
        for (const ControlItem& item : node.items) {
            if (item.hidden || item.Style() == ControlStyle::None) continue;
            // Only spins write their later records; the other controls have one.
            const std::size_t used = item.Style() == ControlStyle::Spin ? item.records.size() : 1;
            for (std::size_t i = 0; i < used && !found; ++i)
                if (item.records[i].Address() == address) found = &item.records[i], style = item.Style();
        }
        for (const PageNode& child : node.children) self(self, child);
    };
    visit(visit, root);
    return found;
}

ClientCheck CheckWrite(const json& j, const ClientContext& context)
{
    const auto a = Byte(j, "a"), b = Byte(j, "b"), c = Byte(j, "c"), v = Byte(j, "v");
    if (!a || !b || !c || !v) return Refuse("address or value missing or not a byte");
    if (context.role != WebRole::Admin) return Refuse("read-only user");
    if (!context.root) return Refuse("no description yet");
    const ParamAddress address{static_cast<std::uint8_t>(*a), static_cast<std::uint8_t>(*b),
                               static_cast<std::uint8_t>(*c)};
    ControlStyle style = ControlStyle::None;
    const ControlRecord* record = FindShownRecord(*context.root, address, style);
    if (!record) return Refuse("no shown control has this address");
    if (!AllowedRaws(*record, style, context.presetRows + 1).test(*v)) return Refuse("value out of range");
    // The desktop disables these controls while B is compared.
    if (context.compareLock && address.a == 0) return Refuse("locked while comparing");
    const auto release = j.find("release");
    const bool released = release != j.end() && release->is_boolean() && release->get<bool>();
    return {ClientWrite{address, static_cast<std::uint8_t>(*v), released, record->drivesVisibility}, {}};
}

ClientCheck CheckPreset(const json& j, const ClientContext& context)
{
    if (context.role != WebRole::Admin) return Refuse("read-only user");
    const auto command = j.find("cmd");
    const auto index = j.find("index");
    if (command == j.end() || !command->is_string() || index == j.end() || !index->is_number_unsigned())
        return Refuse("preset command or index missing");
    const std::uint64_t n = index->get<std::uint64_t>();
    if (n >= context.presetRows) return Refuse("no such preset");
    const std::string name = command->get<std::string>();
    ClientPreset preset{presets::PresetCommand::Load, static_cast<unsigned>(n), {}};
    if (name == "save") preset.command = presets::PresetCommand::Save;
    else if (name == "rename") preset.command = presets::PresetCommand::Rename;
    else if (name != "load") return Refuse("unknown preset command");
    if (!presets::IsCommandAllowed(preset.command, preset.index, context.userPresets))
        return Refuse("not allowed on this preset");
    if (preset.command == presets::PresetCommand::Rename) {
        const auto text = j.find("name");
        if (text == j.end() || !text->is_string()) return Refuse("name missing");
        preset.name = text->get<std::string>();
        const bool printable = std::all_of(preset.name.begin(), preset.name.end(),
                                           [](char ch) { return ch >= 0x20 && ch < 0x7F; });
        if (preset.name.empty() || preset.name.size() > presets::kPresetNameBytes || !printable)
            return Refuse("name must be 1 to 15 printable ASCII characters");
    }
    return {preset, {}};
}

}  // namespace

ClientCheck CheckClientMessage(std::string_view text, const ClientContext& context)
{
    if (text.size() > kMaxClientMessageBytes) return Refuse("message too large");
    const json j = json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object()) return Refuse("not a JSON object");
    const auto type = j.find("t");
    if (type == j.end() || !type->is_string()) return Refuse("message type missing");
    const std::string t = type->get<std::string>();
    if (t == "set") return CheckWrite(j, context);
    if (t == "preset") return CheckPreset(j, context);
    if (t == "open") {
        const auto index = j.find("page");
        if (index == j.end() || !index->is_number_unsigned() || index->get<std::uint64_t>() >= context.pageCount)
            return Refuse("no such page");
        return {ClientOpenPage{index->get<std::size_t>()}, {}};
    }
    if (t == "ab") {
        if (context.role != WebRole::Admin) return Refuse("read-only user");
        const auto which = j.find("which");
        if (which == j.end() || !which->is_string() || (*which != "a" && *which != "b"))
            return Refuse("which must be a or b");
        return {ClientCompare{*which == "b"}, {}};
    }
    return Refuse("unknown message type");
}

std::optional<std::uint8_t> CWritePacer::Offer(ParamAddress address, std::uint8_t value, bool release,
                                               std::uint32_t nowMs)
{
    Slot& slot = slots_[Key(address)];
    if (release) slot.gate.ForgetSendTime();
    switch (slot.gate.Ask(value, nowMs)) {
    case CSliderSendGate::Answer::Send: slot.pending.reset(); return value;
    case CSliderSendGate::Answer::AlreadySent: slot.pending.reset(); return std::nullopt;
    case CSliderSendGate::Answer::TooSoon: slot.pending = value; return std::nullopt;
    }
    return std::nullopt;
}

std::vector<std::pair<ParamAddress, std::uint8_t>> CWritePacer::Due(std::uint32_t nowMs)
{
    std::vector<std::pair<ParamAddress, std::uint8_t>> due;
    for (auto& [key, slot] : slots_) {
        if (!slot.pending) continue;
        const ParamAddress address{static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                                   static_cast<std::uint8_t>(key >> 16)};
        const auto answer = slot.gate.Ask(*slot.pending, nowMs);
        if (answer == CSliderSendGate::Answer::TooSoon) continue;
        if (answer == CSliderSendGate::Answer::Send) due.emplace_back(address, *slot.pending);
        slot.pending.reset();
    }
    return due;
}
