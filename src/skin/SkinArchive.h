#pragma once

#include "common/ByteString.h"
#include "skin/SkinPack.h"
#include "skin/SkinPackSource.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The skin archive inside one file, opened and indexed once: the file stays
// open while the archive lives, and each lookup reads only its own entry.
class CSkinArchive {
public:
    // A file that cannot be read, or holds no archive, lists nothing.
    explicit CSkinArchive(const std::string& path);

    // Whether the archive lists the entry, whether or not it inflates.
    bool Holds(std::string_view entryPath) const;
    // The inflated entry; not found when it is missing, does not inflate, or
    // would inflate to more than maxSize bytes.
    std::optional<ByteString> Read(std::string_view entryPath, std::uint32_t maxSize = CSkinPack::kMaxEntrySize) const;
    // What the entry holds, told apart without inflating it; not found when it
    // is missing or inflates to fewer than minSize bytes.
    std::optional<SkinEntryPrint> Print(std::string_view entryPath, std::uint32_t minSize = 0) const;

private:
    CFileSource source_;
    CSkinPack pack_;
};
