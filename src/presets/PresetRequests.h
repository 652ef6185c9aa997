#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>

namespace presets {

// Why a preset was asked for; its data goes where its own request said.
enum class PresetPurpose {
    ListRow,     // building the list: a row is added from the temporary file
    ReadBack,    // an upload read back: the row is updated, the current preset loaded
    SaveToFile,  // the operator's file only
};

struct PresetRequest {
    PresetPurpose purpose = PresetPurpose::ListRow;
    std::string file;  // where the data is written; empty: nowhere (a cancelled dialog)
};

// Preset downloads asked for and not yet arrived. The processor answers them in
// the order they were asked, so each preset's requests are kept oldest first and
// an arriving preset takes the oldest request of its own index, never another's.
class CPresetRequests {
public:
    void Add(std::uint8_t index, PresetRequest request);
    // Empty when nothing was asked for this preset.
    std::optional<PresetRequest> Take(std::uint8_t index);
    void Clear() { pending_.clear(); }
    bool Empty() const { return pending_.empty(); }

private:
    std::map<std::uint8_t, std::deque<PresetRequest>> pending_;
};

}  // namespace presets
