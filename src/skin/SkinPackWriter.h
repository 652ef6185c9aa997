#pragma once

#include "common/ByteString.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// One file to put in an archive: its path inside the archive (backslash
// separators) and its bytes.
struct SkinPackFile {
    std::string path;
    ByteString data;
};

// Builds QuilPack archives: the header, the header text "none", then one entry
// per file with one zlib stream each (default compression), in the order of
// the upper-cased paths. Refuses what a reader could not use: paths over 247
// bytes, names that differ only in letter case, files over the entry limit.
class CSkinPackWriter {
public:
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    static constexpr const char* kHeaderText = "none";

    static ByteString Build(std::vector<SkinPackFile> files);

    // Every regular file below folder, with its path relative to it.
    static std::vector<SkinPackFile> CollectFolder(const std::filesystem::path& folder);

    // Writes the archive of folder to the end of file. An archive that an
    // earlier run appended (a clean archive that ends the file) is replaced, so
    // running the step twice leaves the same file. Throws Error when the file
    // already holds the signature elsewhere, because readers take the first.
    static void AppendToFile(const std::filesystem::path& file, const ByteString& archive);

    // The path of a file inside the archive: relative, backslash separators.
    static std::string ArchivePath(const std::filesystem::path& relative);

    // The bytes of the 32-byte header, the header text and its length.
    static ByteString Header(const std::string& text = kHeaderText);
    // One entry with the given stream and declared size, for building archives
    // by hand (tests of damaged input).
    static void AppendEntry(ByteString& archive, const std::string& path, const ByteString& packed,
                            std::uint32_t size);
    static ByteString Compress(const ByteString& data);
};
