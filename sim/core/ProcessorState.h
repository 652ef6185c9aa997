#pragma once

#include "PresetImage.h"
#include "SimModel.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vsim {

// Preset markers and flags as the status packet reports them (bytes 2 to 5).
struct PresetFlags {
    std::uint8_t tr = 255, dp = 255, def = 255;  // 255: no preset marked
    std::uint8_t current = 0;
    bool compare = false;
    bool change = false;

    std::uint8_t StatusByte() const
    {
        return static_cast<std::uint8_t>((current & 0x3F) | (compare ? 0x40 : 0) | (change ? 0x80 : 0));
    }
};

// What the processor remembers: parameter values, the preset bank, which preset
// runs and whether it was edited or is being compared. Pure logic, no clock.
class ProcessorState {
public:
    explicit ProcessorState(const Model& model);

    // Reads what the processor runs: while comparing, a preset parameter reads
    // the value stored in the current preset. Unknown addresses read 0.
    std::uint8_t Read(Address address) const;
    // Returns the value now held (clamped to the parameter's range), or nullopt
    // for an address the processor does not have.
    std::optional<std::uint8_t> Write(Address address, std::uint8_t value);
    bool Knows(Address address) const { return params_.count(address) != 0; }

    // Each gives the preset that runs afterwards / whether it did anything.
    std::uint8_t Load(std::uint8_t index);
    bool Save(std::uint8_t index);
    bool Rename(std::uint8_t index, const PresetName& name);
    void Compare();
    void Revert();

    std::size_t PresetCount() const { return presets_.size(); }
    bool IsUserPreset(std::uint8_t index) const { return index < userPresets_; }
    std::optional<ByteString> PresetImage(std::uint8_t index) const;
    // Stores an uploaded image in a user preset; false (and why) when refused.
    bool StorePresetImage(std::uint8_t index, const ByteString& image, std::string* why);
    const PresetLayout& Layout() const { return layout_; }

    PresetFlags Flags() const;

    const std::array<char, 3>& Version() const { return version_; }
    void SetVersion(const std::array<char, 3>& version) { version_ = version; }

    // Persistence of what survives a power cycle: values, user presets, the
    // current preset and the change flag. The text is JSON.
    std::string Serialize() const;
    bool Deserialize(const std::string& text, std::string* why);

private:
    struct Param {
        std::uint8_t maxValue = 0;
        std::uint8_t value = 0;
        int presetSlot = -1;  // position in a preset image, -1 when not stored in presets
    };
    struct Preset {
        PresetName name{};
        std::vector<std::uint8_t> values;
    };

    bool Restore(const std::string& text, std::string* why);
    std::uint8_t Marker(Address address) const;
    void MakeFactoryBank(const Model& model);
    void RunPreset(std::uint8_t index);

    std::map<Address, Param> params_;
    PresetLayout layout_;
    std::vector<Preset> presets_;
    std::array<char, 3> version_{};
    std::uint8_t userPresets_ = 8;
    std::uint8_t current_ = 0;
    bool change_ = false;
    bool comparing_ = false;
};

}  // namespace vsim
