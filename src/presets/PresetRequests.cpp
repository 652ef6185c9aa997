#include "presets/PresetRequests.h"

namespace presets {

void CPresetRequests::Add(std::uint8_t index, PresetRequest request)
{
    pending_[index].push_back(std::move(request));
}

std::optional<PresetRequest> CPresetRequests::Take(std::uint8_t index)
{
    const auto it = pending_.find(index);
    if (it == pending_.end()) return std::nullopt;
    PresetRequest request = std::move(it->second.front());
    it->second.pop_front();
    if (it->second.empty()) pending_.erase(it);
    return request;
}

}  // namespace presets
