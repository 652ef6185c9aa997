#pragma once

#include "common/ByteString.h"
#include "skin/SkinErrors.h"
#include "skin/SkinPack.h"

class CSkinArchive;

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A skin file made ready for a loader: a path, and whether that path is a
// temporary file that ReleaseFile deletes.
struct SkinFileRef {
    std::string path;
    bool temporary = false;
};

// The skin's files: taken from the archive appended to the executable, else
// from the skin folder on disk. The archive wins; a loose file only fills a gap.
class CSkinFiles {
public:
    // skinFolder: e.g. "Skins\Vexlor" (either separator). archivePath: the file
    // that carries the archive, normally the running executable; it is opened
    // and indexed here, once, and read from until the last copy goes.
    explicit CSkinFiles(std::string skinFolder, std::string archivePath = DefaultArchivePath(),
                        ISkinErrorSink* errors = nullptr);

    const std::string& Folder() const { return folder_; }
    const std::string& ArchivePath() const { return archivePath_; }
    void SetErrorSink(ISkinErrorSink* errors) { errors_ = errors; }

    // Inflates the entry into a new temporary file "qse…" in the system's
    // temporary folder. When the archive lacks it (or the temporary file cannot
    // be written), the reference names the loose file and is not temporary.
    SkinFileRef ExtractFile(std::string_view entryPath) const;
    // Deletes a temporary file; a failure is reported with the system's error
    // number as the whole text. Nothing happens for a loose file.
    void ReleaseFile(const SkinFileRef& ref) const;

    // The same file as bytes, without a temporary file: the archive's entry,
    // else the loose file when it exists; either at most maxSize bytes.
    std::optional<ByteString> ReadFile(std::string_view entryPath, std::size_t maxSize = kMaxLooseFileSize) const;
    // Whether the archive lists the entry (whether or not it inflates), and
    // whether the skin folder has a loose copy.
    bool InArchive(std::string_view entryPath) const;
    // What the archive's entry holds, told apart without inflating it; not
    // found for an entry the archive lacks or one smaller than minSize bytes.
    std::optional<SkinEntryPrint> ArchivePrint(std::string_view entryPath, std::uint32_t minSize = 0) const;
    bool HasLooseFile(std::string_view entryPath) const;

    // Where the loose copy of an entry lives; empty for an entry that would
    // lead outside the skin folder.
    std::string FallbackPath(std::string_view entryPath) const;
    // A relative path without ".." parts: one that stays inside the skin folder.
    static bool StaysInsideFolder(std::string_view entryPath);
    // folder + separator (none when folder ends in one) + entry, with the
    // archive's backslashes turned into this system's separator. An existing
    // file is found whatever the letter case of its path.
    static std::string JoinFallbackPath(std::string_view folder, std::string_view entryPath);

    static std::string DefaultArchivePath();
    // The file that holds an image drawn at twice its size: "Buttons\Up.bmp"
    // has its twin in "Buttons\Up@2x.bmp" (the mark goes before the extension).
    static std::string TwinPath(std::string_view path);
    static constexpr std::size_t kMaxLooseFileSize = 64u << 20;

private:
    void ReportErrno(int error) const;

    std::string folder_;
    std::string archivePath_;
    std::shared_ptr<const CSkinArchive> archive_;
    ISkinErrorSink* errors_ = nullptr;
};
