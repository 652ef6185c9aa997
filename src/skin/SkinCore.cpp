#include "skin/SkinCore.h"

#include "skin/SkinParser.h"

namespace {

// The description is text: CR LF line ends read as LF, as a text-mode read
// gives them, so no CR stays in a value.
std::string TextModeLineEnds(const ByteString& bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            text.push_back(static_cast<char>(bytes[i]));
    return text;
}

template <typename Map>
auto FindValue(const Map& map, std::string_view element, std::string_view property)
{
    return map.find(SkinValues::Key(element, property));
}

} // namespace

CSkinCore::CSkinCore(ISkinErrorSink* errors, std::string archivePath)
    : errors_(errors), archivePath_(std::move(archivePath)), files_({}, {}, errors)
{
}

bool CSkinCore::Load(const std::string& folder)
{
    if (folder.empty())
        return false;
    // Each load opens the archive afresh: a reloaded skin reads what the file holds now.
    files_ = CSkinFiles(folder, archivePath_, errors_);
    values_ = {};
    loaded_ = LoadDescription();
    return loaded_;
}

bool CSkinCore::LoadDescription()
{
    // Read in memory like every other skin file, so that no temporary file can
    // fail and leave the skin empty.
    const auto bytes = files_.ReadFile(kDescriptionName, kMaxDescriptionSize);
    const bool packed = files_.InArchive(kDescriptionName);
    if (!bytes) {
        if (!packed && !files_.HasLooseFile(kDescriptionName))
            return true; // no description anywhere: every value reads as its default
        return Refuse();
    }
    if (!CSkinParser::ParseAndReport(TextModeLineEnds(*bytes), values_, errors_))
        return false;
    // The program's own skin without a single value would open a 0 x 0 window.
    if (packed && values_.Empty())
        return Refuse();
    return true;
}

bool CSkinCore::Refuse() const
{
    if (errors_ != nullptr)
        errors_->OnSkinError(std::string("Unable to load description: \"") + kDescriptionName + '"',
                             ISkinErrorSink::Icon::Error);
    return false;
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
