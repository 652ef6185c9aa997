#include "ProcessorState.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace vsim {
namespace {

std::uint64_t Mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A factory preset's value: near the default, each preset leaning its own way.
std::uint8_t FactoryValue(std::uint8_t def, std::uint8_t maxValue, std::size_t preset, std::size_t slot)
{
    const std::uint64_t h = Mix(preset * 1000003u + slot);
    if (maxValue <= 4)  // switches and short choice lists mostly keep their default
        return (h & 3) == 0 ? static_cast<std::uint8_t>((h >> 8) % (maxValue + 1u)) : def;
    const int spread = maxValue / 4;
    const int offset = static_cast<int>((h >> 8) % static_cast<std::uint64_t>(spread + 1)) - spread / 2;
    return static_cast<std::uint8_t>(std::clamp(def + offset, 0, static_cast<int>(maxValue)));
}

std::string AddressKey(Address a)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u.%u", a.a, a.b, a.c);
    return buf;
}

std::optional<Address> ParseAddressKey(const std::string& key)
{
    unsigned a = 0, b = 0, c = 0;
    char tail = 0;
    if (std::sscanf(key.c_str(), "%u.%u.%u%c", &a, &b, &c, &tail) != 3 || a > 255 || b > 255 || c > 255)
        return std::nullopt;
    return Address{static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(c)};
}

std::string ToHex(const ByteString& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : bytes) {
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 15]);
    }
    return s;
}

std::optional<ByteString> FromHex(const std::string& s)
{
    if (s.size() % 2 != 0 || s.size() > 64 * 1024)
        return std::nullopt;
    ByteString out;
    for (std::size_t i = 0; i < s.size(); i += 2) {
        unsigned v = 0;
        if (std::sscanf(s.substr(i, 2).c_str(), "%2x", &v) != 1)
            return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

}  // namespace

ProcessorState::ProcessorState(const Model& model)
    : layout_(MakePresetLayout(model)), version_(model.version), userPresets_(model.userPresets)
{
    ForEachItem(model.pages, [&](const Page&, const Item& item) {
        for (const Record& r : item.records)
            params_.emplace(r.address, Param{r.maxValue, r.defaultRaw, -1});
    });
    for (std::size_t i = 0; i < layout_.addresses.size(); ++i)
        params_[layout_.addresses[i]].presetSlot = static_cast<int>(i);
    // Out of the box the processor starts on its first factory preset.
    if (auto it = params_.find(kMarkerDEF); it != params_.end() && it->second.value == 0)
        it->second.value = static_cast<std::uint8_t>(userPresets_ + 1);
    MakeFactoryBank(model);
    const std::uint8_t def = Marker(kMarkerDEF);
    RunPreset(def < presets_.size() ? def : 0);
}

void ProcessorState::MakeFactoryBank(const Model& model)
{
    std::vector<std::uint8_t> defaults;
    for (const Address& a : layout_.addresses)
        defaults.push_back(params_[a].value);
    auto bankValues = [&](std::size_t f) {
        std::vector<std::uint8_t> v(defaults.size());
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = FactoryValue(defaults[i], layout_.maxValues[i], f, i);
        return v;
    };
    const std::size_t factory = model.factoryPresets.size();
    // User presets leave the factory as copies of the first factory presets.
    for (std::size_t u = 0; u < userPresets_; ++u)
        presets_.push_back({MakePresetName("USER " + std::to_string(u + 1)), bankValues(factory ? u % factory : 0)});
    for (std::size_t f = 0; f < factory; ++f)
        presets_.push_back({MakePresetName(model.factoryPresets[f]), bankValues(f)});
}

void ProcessorState::RunPreset(std::uint8_t index)
{
    const Preset& p = presets_[index];
    for (std::size_t i = 0; i < layout_.addresses.size(); ++i)
        params_[layout_.addresses[i]].value = p.values[i];
    current_ = index;
    change_ = false;
    comparing_ = false;
}

std::uint8_t ProcessorState::Read(Address address) const
{
    auto it = params_.find(address);
    if (it == params_.end())
        return 0;
    if (comparing_ && it->second.presetSlot >= 0)
        return presets_[current_].values[static_cast<std::size_t>(it->second.presetSlot)];
    return it->second.value;
}

std::optional<std::uint8_t> ProcessorState::Write(Address address, std::uint8_t value)
{
    auto it = params_.find(address);
    if (it == params_.end())
        return std::nullopt;
    // Touching a preset parameter while comparing goes back to the edited
    // settings first, so the edit lands on what the operator was editing.
    if (comparing_ && it->second.presetSlot >= 0)
        comparing_ = false;
    it->second.value = std::min(value, it->second.maxValue);
    change_ = true;
    return it->second.value;
}

std::uint8_t ProcessorState::Load(std::uint8_t index)
{
    if (index < presets_.size())
        RunPreset(index);
    return current_;
}

bool ProcessorState::Save(std::uint8_t index)
{
    if (!IsUserPreset(index) || index >= presets_.size())
        return false;
    Preset& p = presets_[index];
    for (std::size_t i = 0; i < layout_.addresses.size(); ++i)
        p.values[i] = params_[layout_.addresses[i]].value;
    current_ = index;
    change_ = false;
    comparing_ = false;
    return true;
}

bool ProcessorState::Rename(std::uint8_t index, const PresetName& name)
{
    if (!IsUserPreset(index) || index >= presets_.size())
        return false;
    PresetName clean{};
    for (std::size_t i = 0; i < name.size() && name[i] != 0; ++i)
        clean[i] = name[i];
    presets_[index].name = clean;
    return true;
}

void ProcessorState::Compare()
{
    comparing_ = true;
}

void ProcessorState::Revert()
{
    comparing_ = false;
}

std::optional<ByteString> ProcessorState::PresetImage(std::uint8_t index) const
{
    if (index >= presets_.size())
        return std::nullopt;
    return EncodePresetImage(layout_, {presets_[index].name, presets_[index].values});
}

bool ProcessorState::StorePresetImage(std::uint8_t index, const ByteString& image, std::string* why)
{
    if (!IsUserPreset(index) || index >= presets_.size()) {
        if (why)
            *why = "only user presets can be written";
        return false;
    }
    auto content = DecodePresetImage(layout_, image, why);
    if (!content)
        return false;
    presets_[index] = {content->name, std::move(content->values)};
    return true;
}

std::uint8_t ProcessorState::Marker(Address address) const
{
    auto it = params_.find(address);
    if (it == params_.end() || it->second.value == 0 || it->second.value > presets_.size())
        return 255;
    return static_cast<std::uint8_t>(it->second.value - 1);
}

PresetFlags ProcessorState::Flags() const
{
    PresetFlags f;
    f.tr = Marker(kMarkerTR);
    f.dp = Marker(kMarkerDP);
    f.def = Marker(kMarkerDEF);
    f.current = current_;
    f.compare = comparing_;
    f.change = change_;
    return f;
}

std::string ProcessorState::Serialize() const
{
    nlohmann::json j;
    j["format"] = 1;
    j["model"] = layout_.modelCode;
    j["current"] = current_;
    j["change"] = change_;
    j["version"] = std::string(version_.begin(), version_.end());
    nlohmann::json params = nlohmann::json::object();
    for (const auto& [addr, p] : params_)
        if (addr.a != kLiveGroup)
            params[AddressKey(addr)] = p.value;
    j["params"] = params;
    nlohmann::json presets = nlohmann::json::array();
    for (std::uint8_t i = 0; i < userPresets_ && i < presets_.size(); ++i)
        presets.push_back(ToHex(*PresetImage(i)));
    j["user_presets"] = presets;
    return j.dump(1);
}

bool ProcessorState::Deserialize(const std::string& text, std::string* why)
{
    try {
        return Restore(text, why);
    } catch (const nlohmann::json::exception& e) {
        if (why)
            *why = e.what();
        return false;
    }
}

bool ProcessorState::Restore(const std::string& text, std::string* why)
{
    auto fail = [&](const std::string& w) {
        if (why)
            *why = w;
        return false;
    };
    nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object())
        return fail("not a JSON object");
    if (j.value("format", 0) != 1)
        return fail("unknown state format");
    if (!j.contains("model") || !j["model"].is_number_unsigned() || j["model"].get<unsigned>() != layout_.modelCode)
        return fail("state belongs to another model code");
    if (!j.contains("user_presets") || !j["user_presets"].is_array() || j["user_presets"].size() != userPresets_)
        return fail("wrong number of user presets");
    // Check everything before changing anything, so a bad file changes nothing.
    std::vector<Preset> users;
    for (const auto& hex : j["user_presets"]) {
        auto bytes = hex.is_string() ? FromHex(hex.get<std::string>()) : std::nullopt;
        std::string w;
        auto content = bytes ? DecodePresetImage(layout_, *bytes, &w) : std::nullopt;
        if (!content)
            return fail("user preset " + std::to_string(users.size() + 1) + ": " + (bytes ? w : "not hex"));
        users.push_back({content->name, std::move(content->values)});
    }
    std::map<Address, std::uint8_t> values;
    if (!j.contains("params") || !j["params"].is_object())
        return fail("no parameter values");
    const nlohmann::json& params = j["params"];
    for (auto it = params.begin(); it != params.end(); ++it) {
        const std::string& key = it.key();
        const nlohmann::json& v = it.value();
        auto addr = ParseAddressKey(key);
        if (!addr || !params_.count(*addr) || !v.is_number_unsigned() || v.get<unsigned>() > params_[*addr].maxValue)
            return fail("bad parameter entry " + key);
        values[*addr] = static_cast<std::uint8_t>(v.get<unsigned>());
    }
    const auto current = j.value("current", 0u);
    if (current >= presets_.size())
        return fail("current preset out of range");
    const std::string version = j.value("version", std::string(version_.begin(), version_.end()));
    if (version.size() != version_.size())
        return fail("version must be three characters");
    std::copy(version.begin(), version.end(), version_.begin());
    for (std::size_t i = 0; i < users.size(); ++i)
        presets_[i] = std::move(users[i]);
    for (const auto& [addr, v] : values)
        params_[addr].value = v;
    current_ = static_cast<std::uint8_t>(current);
    change_ = j.value("change", false);
    comparing_ = false;
    return true;
}

}  // namespace vsim
