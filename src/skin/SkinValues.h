#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// What a skin description defines: four tables keyed "Element::property",
// compared byte by byte, case-sensitively. Images and icons hold the path of
// their file inside the skin (e.g. "Buttons\BtnConnect_Up.bmp"); the skin
// loads them on first use.
struct SkinValues {
    std::map<std::string, std::string, std::less<>> images;
    std::map<std::string, std::string, std::less<>> icons;
    std::map<std::string, std::int32_t, std::less<>> numbers;
    std::map<std::string, std::string, std::less<>> strings;

    static std::string Key(std::string_view element, std::string_view property)
    {
        std::string key;
        key.reserve(element.size() + 2 + property.size());
        key.append(element).append("::").append(property);
        return key;
    }

    bool Empty() const { return images.empty() && icons.empty() && numbers.empty() && strings.empty(); }
};

// Colours are stored as 0x00BBGGRR.
constexpr std::int32_t SkinColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return static_cast<std::int32_t>(red | green << 8 | blue << 16);
}
constexpr std::uint8_t SkinColorRed(std::int32_t color) { return static_cast<std::uint8_t>(color & 0xFF); }
constexpr std::uint8_t SkinColorGreen(std::int32_t color) { return static_cast<std::uint8_t>(color >> 8 & 0xFF); }
constexpr std::uint8_t SkinColorBlue(std::int32_t color) { return static_cast<std::uint8_t>(color >> 16 & 0xFF); }
