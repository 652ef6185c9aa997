#include "PresetImage.h"

#include <numeric>

namespace vsim {
namespace {

constexpr std::size_t kHeader = kPresetNameLength + 4;
constexpr std::size_t kBlock = 128;

std::uint8_t Sum(const ByteString& bytes, std::size_t from, std::size_t to)
{
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                                     bytes.begin() + static_cast<std::ptrdiff_t>(to), 0u));
}

}  // namespace

PresetName MakePresetName(const std::string& text)
{
    PresetName name{};
    for (std::size_t i = 0; i < name.size() && i < text.size(); ++i)
        name[i] = static_cast<std::uint8_t>(text[i]);
    return name;
}

std::string PresetNameText(const PresetName& name)
{
    std::string text;
    for (std::uint8_t c : name) {
        if (c == 0)
            break;
        text.push_back(static_cast<char>(c));
    }
    return text;
}

std::size_t PresetLayout::ImageSize() const
{
    const std::size_t used = kHeader + addresses.size() + 1;
    return (used + kBlock - 1) / kBlock * kBlock;
}

PresetLayout MakePresetLayout(const Model& model)
{
    PresetLayout layout;
    layout.modelCode = model.code;
    ForEachItem(model.pages, [&](const Page&, const Item& item) {
        for (const Record& r : item.records) {
            if (r.address.a != kPresetGroup)
                continue;
            bool known = false;
            for (const Address& a : layout.addresses)
                known = known || a == r.address;
            if (!known) {
                layout.addresses.push_back(r.address);
                layout.maxValues.push_back(r.maxValue);
            }
        }
    });
    return layout;
}

ByteString EncodePresetImage(const PresetLayout& layout, const PresetContent& content)
{
    ByteString image(layout.ImageSize(), 0);
    std::copy(content.name.begin(), content.name.end(), image.begin());
    const std::size_t n = layout.addresses.size();
    image[15] = layout.modelCode;
    image[16] = kPresetImageFormat;
    image[17] = static_cast<std::uint8_t>(n >> 8);
    image[18] = static_cast<std::uint8_t>(n & 0xFF);
    for (std::size_t i = 0; i < n; ++i)
        image[kHeader + i] = i < content.values.size() ? content.values[i] : 0;
    image[kHeader + n] = Sum(image, kPresetNameLength, kHeader + n);
    return image;
}

std::optional<PresetContent> DecodePresetImage(const PresetLayout& layout, const ByteString& image,
                                               std::string* why)
{
    auto fail = [&](const char* text) -> std::optional<PresetContent> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    const std::size_t n = layout.addresses.size();
    if (image.size() < kHeader + n + 1)
        return fail("preset image too short");
    if (image[15] != layout.modelCode)
        return fail("preset image of another model");
    if (image[16] != kPresetImageFormat)
        return fail("unknown preset image format");
    if (((image[17] << 8) | image[18]) != static_cast<int>(n))
        return fail("preset image holds another number of values");
    if (image[kHeader + n] != Sum(image, kPresetNameLength, kHeader + n))
        return fail("preset image checksum wrong");
    PresetContent content;
    std::copy(image.begin(), image.begin() + kPresetNameLength, content.name.begin());
    content.values.assign(image.begin() + kHeader, image.begin() + static_cast<std::ptrdiff_t>(kHeader + n));
    for (std::size_t i = 0; i < n; ++i)
        if (content.values[i] > layout.maxValues[i])
            return fail("preset image value out of range");
    // Everything after the first zero of the name is padding.
    bool ended = false;
    for (std::uint8_t& c : content.name) {
        ended = ended || c == 0;
        if (ended)
            c = 0;
    }
    return content;
}

}  // namespace vsim
