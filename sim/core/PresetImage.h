#pragma once

#include "SimModel.h"
#include "common/ByteString.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vsim {

// A preset as the processor stores and transfers it:
//   0   15 bytes  name, ASCII, zero-padded
//   15  1         model code
//   16  1         image format (1)
//   17  2         number of values N, big-endian
//   19  N         values of the preset parameters, in the model's order
//   19+N 1        8-bit sum of bytes 15 to 18+N
//   then zero bytes up to a whole number of 128-byte blocks, so that an image
//   travels in whole transfer blocks and comes back from a round trip unchanged.
constexpr std::size_t kPresetNameLength = 15;
constexpr std::uint8_t kPresetImageFormat = 1;

using PresetName = std::array<std::uint8_t, kPresetNameLength>;

PresetName MakePresetName(const std::string& text);
std::string PresetNameText(const PresetName& name);

struct PresetContent {
    PresetName name{};
    std::vector<std::uint8_t> values;
};

// Which parameters a preset holds, and their ranges.
struct PresetLayout {
    std::uint8_t modelCode = 0;
    std::vector<Address> addresses;
    std::vector<std::uint8_t> maxValues;

    std::size_t ImageSize() const;
};

PresetLayout MakePresetLayout(const Model& model);

ByteString EncodePresetImage(const PresetLayout& layout, const PresetContent& content);

// Checks everything the image claims; on failure gives nullopt and says why.
// Bytes past the image (transfer padding) are ignored.
std::optional<PresetContent> DecodePresetImage(const PresetLayout& layout, const ByteString& image,
                                               std::string* why);

}  // namespace vsim
