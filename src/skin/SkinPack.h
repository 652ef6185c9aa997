#pragma once

#include "common/ByteString.h"
#include "skin/SkinPackSource.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One file of the archive: where its zlib stream lies and what it inflates to.
struct SkinPackEntry {
    std::string path;             // as stored, backslash separators
    std::uint64_t dataOffset = 0; // first byte of the zlib stream in the source
    std::uint32_t packedSize = 0;
    std::uint32_t size = 0;
};

// What tells an entry's contents apart without inflating it: its sizes and the
// CRC-32 of its zlib stream (which itself ends with a checksum of the contents).
struct SkinEntryPrint {
    std::uint32_t size = 0;
    std::uint32_t packedSize = 0;
    std::uint32_t packedCrc = 0;
    bool operator==(const SkinEntryPrint&) const = default;
};

// The QuilPack archive appended to the executable. The archive has no index of
// its own: Index() finds it by its first signature and walks its entries once,
// so that each later lookup reads just its own stream by offset.
//
// Layout (little-endian): "@@@@", "QuilPack", 20 zero bytes; text length N and
// N bytes of header text; then entries to the end of the file, each: path
// length L, L path bytes, packed size P, size S, P bytes of one zlib stream.
class CSkinPack {
public:
    static constexpr std::size_t kHeaderSize = 32;
    // The reader keeps a path with its terminator in 248 bytes.
    static constexpr std::size_t kMaxPathLength = 247;
    // No skin file comes near this; it keeps a forged size from allocating gigabytes.
    static constexpr std::uint32_t kMaxEntrySize = 64u << 20;
    // Bounds the index of a hostile file made of tiny entries.
    static constexpr std::size_t kMaxEntries = 65536;

    // Scans the source for the archive and records every usable entry. In an
    // ELF program the scan starts past the program's own image, which never
    // holds the signature, and covers the image only when nothing follows it.
    // An entry with an over-long path or an impossible size is left out; a
    // truncated entry ends the walk.
    static CSkinPack Index(const ISkinPackSource& source);

    bool HasArchive() const { return archiveOffset_.has_value(); }
    std::optional<std::uint64_t> ArchiveOffset() const { return archiveOffset_; }
    // True when the entries run exactly to the end of the source, none left out:
    // what a well-formed appended archive looks like.
    bool EndsCleanly() const { return endsCleanly_; }
    const std::vector<SkinPackEntry>& Entries() const { return entries_; }

    // ASCII case-insensitive; of several entries of one name the first counts.
    const SkinPackEntry* Lookup(std::string_view path) const;
    // Inflates the entry from the source it was indexed from. Not found when the
    // path is missing or its stream does not inflate to exactly its size.
    std::optional<ByteString> Read(const ISkinPackSource& source, std::string_view path) const;
    static std::optional<ByteString> Read(const ISkinPackSource& source, const SkinPackEntry& entry);
    // The entry's print, from its packed bytes; not found when they cannot be read.
    static std::optional<SkinEntryPrint> Print(const ISkinPackSource& source, const SkinPackEntry& entry);

    // One-shot inflation of one zlib stream that must end with exactly size bytes.
    static std::optional<ByteString> Inflate(std::span<const std::uint8_t> packed, std::uint32_t size);

    // One lookup in the archive inside the file at executablePath (opened and
    // indexed for this call; CSkinArchive keeps them for many lookups): not
    // found when it would inflate to more than maxSize bytes. Thread-safe.
    static std::optional<ByteString> Find(const std::string& executablePath, std::string_view entryPath,
                                          std::uint32_t maxSize = kMaxEntrySize);
    // Whether that archive lists the entry, whether or not it inflates.
    static bool Holds(const std::string& executablePath, std::string_view entryPath);
    // The running executable's own file.
    static std::string ExecutablePath();

    // Upper-cases ASCII letters only, as the archive compares names.
    static std::string UpperAscii(std::string_view text);

    // The signature and name. They are made at run time and never stored in the
    // program, so its own bytes cannot be mistaken for an archive by the
    // first-signature scan.
    static std::span<const std::uint8_t, 4> Signature();
    static std::span<const std::uint8_t, 8> ArchiveName();

private:
    std::optional<std::uint64_t> archiveOffset_;
    bool endsCleanly_ = false;
    std::vector<SkinPackEntry> entries_;
    std::unordered_map<std::string, std::size_t> byUpperPath_;
};
