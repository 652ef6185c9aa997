#pragma once

#include "skin/SkinErrors.h"
#include "skin/SkinFiles.h"
#include "skin/SkinValues.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The Qt-free half of a skin: its folder, its files (archive first, loose
// files after) and the values of its "skin.ini". The Qt skin adds the loaded
// bitmaps and icons with their users on top of this.
class CSkinCore {
public:
    static constexpr const char* kDescriptionName = "skin.ini";
    // A description larger than this is refused as damaged (the shipped one
    // holds some 25 KB).
    static constexpr std::size_t kMaxDescriptionSize = 4u << 20;

    explicit CSkinCore(ISkinErrorSink* errors = nullptr, std::string archivePath = CSkinFiles::DefaultArchivePath());

    // Reads "skin.ini" of the skin in folder (e.g. "Skins\Vexlor") into memory
    // and parses it. No folder: false. No description anywhere: true with no
    // values. A bad description: "Error (0) in line n" to the error sink, false.
    // A description that is there but cannot be read (too large, damaged) or
    // an archive's description without a single value: "Unable to load
    // description: "skin.ini"", false.
    bool Load(const std::string& folder);

    bool IsLoaded() const { return loaded_; }
    const std::string& Folder() const { return files_.Folder(); }
    const CSkinFiles& Files() const { return files_; }
    const SkinValues& Values() const { return values_; }

    SkinFileRef ExtractFile(std::string_view entryPath) const { return files_.ExtractFile(entryPath); }
    void ReleaseFile(const SkinFileRef& ref) const { files_.ReleaseFile(ref); }

    // Missing keys read as 0 and the empty text, and stay missing.
    std::int32_t GetLong(std::string_view element, std::string_view property) const;
    std::string GetString(std::string_view element, std::string_view property) const;
    // The file path an IMAGE or ICON statement gives; none when not declared.
    std::optional<std::string> GetImagePath(std::string_view element, std::string_view property) const;
    std::optional<std::string> GetIconPath(std::string_view element, std::string_view property) const;

private:
    bool LoadDescription();
    bool Refuse() const;

    ISkinErrorSink* errors_;
    std::string archivePath_;
    CSkinFiles files_; // no folder and no archive before the first Load
    SkinValues values_;
    bool loaded_ = false;
};
