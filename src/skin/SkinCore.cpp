#include "skin/SkinCore.h"

#include "skin/SkinParser.h"

#include <array>
#include <fstream>
#include <iterator>

namespace {

// Whole file as text; empty optional when it cannot be opened, a text of more
// than limit bytes reads as limit + 1 bytes.
std::optional<std::string> ReadText(const std::string& path, std::size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text;
    std::array<char, 65536> block{};
    while (in && text.size() <= limit) {
        in.read(block.data(), block.size());
        text.append(block.data(), static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

template <typename Map>
auto FindValue(const Map& map, std::string_view element, std::string_view property)
{
    return map.find(SkinValues::Key(element, property));
}

} // namespace

CSkinCore::CSkinCore(ISkinErrorSink* errors, std::string archivePath)
    : errors_(errors), files_({}, std::move(archivePath), errors)
{
}

bool CSkinCore::Load(const std::string& folder)
{
    if (folder.empty())
        return false;
    files_ = CSkinFiles(folder, files_.ArchivePath(), errors_);
    values_ = {};
    const SkinFileRef ref = files_.ExtractFile(kDescriptionName);
    const auto text = ReadText(ref.path, kMaxDescriptionSize);
    bool ok = true;
    if (text && text->size() > kMaxDescriptionSize) {
        if (errors_ != nullptr)
            errors_->OnSkinError(CSkinParser::ErrorMessage(0, 0), ISkinErrorSink::Icon::Error);
        ok = false;
    } else if (text) {
        ok = CSkinParser::ParseAndReport(*text, values_, errors_);
    }
    files_.ReleaseFile(ref);
    loaded_ = ok;
    return ok;
}

std::int32_t CSkinCore::GetLong(std::string_view element, std::string_view property) const
{
    const auto it = FindValue(values_.numbers, element, property);
    return it == values_.numbers.end() ? 0 : it->second;
}

std::string CSkinCore::GetString(std::string_view element, std::string_view property) const
{
    const auto it = FindValue(values_.strings, element, property);
    return it == values_.strings.end() ? std::string{} : it->second;
}

std::optional<std::string> CSkinCore::GetImagePath(std::string_view element, std::string_view property) const
{
    const auto it = FindValue(values_.images, element, property);
    return it == values_.images.end() ? std::nullopt : std::optional(it->second);
}

std::optional<std::string> CSkinCore::GetIconPath(std::string_view element, std::string_view property) const
{
    const auto it = FindValue(values_.icons, element, property);
    return it == values_.icons.end() ? std::nullopt : std::optional(it->second);
}
