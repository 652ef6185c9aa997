#include "skin/SkinArchive.h"

CSkinArchive::CSkinArchive(const std::string& path)
    : source_(path.c_str())
{
    if (source_.IsOpen())
        pack_ = CSkinPack::Index(source_);
}

bool CSkinArchive::Holds(std::string_view entryPath) const
{
    return pack_.Lookup(entryPath) != nullptr;
}

std::optional<ByteString> CSkinArchive::Read(std::string_view entryPath, std::uint32_t maxSize) const
{
    const SkinPackEntry* entry = pack_.Lookup(entryPath);
    if (entry == nullptr || entry->size > maxSize)
        return std::nullopt;
    return CSkinPack::Read(source_, *entry);
}

std::optional<SkinEntryPrint> CSkinArchive::Print(std::string_view entryPath, std::uint32_t minSize) const
{
    const SkinPackEntry* entry = pack_.Lookup(entryPath);
    if (entry == nullptr || entry->size < minSize)
        return std::nullopt;
    return CSkinPack::Print(source_, *entry);
}
