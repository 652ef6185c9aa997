#include "skin/SkinPack.h"

#include "skin/SkinArchive.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace {

// Deflate cannot do better than about 1032:1; a larger declared size is a lie.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::size_t kScanChunk = 1u << 20;
constexpr std::size_t kSignatureLength = 12;

std::uint32_t LittleEndian32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads the entry headers spread through the archive a window at a time, so
// indexing costs a few reads rather than four per entry.
class CReadAhead {
public:
    explicit CReadAhead(const ISkinPackSource& source) : source_(source) {}

    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out)
    {
        if (out.size() > kWindow)
            return source_.ReadAt(offset, out);
        const bool inWindow = offset >= start_ && offset - start_ + out.size() <= filled_;
        if (!inWindow && !Fill(offset, out.size()))
            return false;
        std::memcpy(out.data(), window_.data() + (offset - start_), out.size());
        return true;
    }

    bool ReadU32(std::uint64_t offset, std::uint32_t& value)
    {
        std::array<std::uint8_t, 4> bytes{};
        if (!ReadAt(offset, bytes))
            return false;
        value = LittleEndian32(bytes.data());
        return true;
    }

private:
    static constexpr std::size_t kWindow = 64u * 1024u;

    bool Fill(std::uint64_t offset, std::size_t needed)
    {
        const std::uint64_t size = source_.Size();
        if (offset > size || needed > size - offset)
            return false;
        filled_ = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, size - offset));
        start_ = offset;
        if (!source_.ReadAt(offset, std::span(window_.data(), filled_))) {
            filled_ = 0;
            return false;
        }
        return true;
    }

    const ISkinPackSource& source_;
    std::array<std::uint8_t, kWindow> window_{};
    std::uint64_t start_ = 0;
    std::size_t filled_ = 0;
};

bool IsSignatureAt(const std::uint8_t* p)
{
    const auto sig = CSkinPack::Signature();
    const auto name = CSkinPack::ArchiveName();
    return std::equal(sig.begin(), sig.end(), p) && std::equal(name.begin(), name.end(), p + sig.size());
}

std::uint64_t LittleEndian64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(LittleEndian32(p)) | static_cast<std::uint64_t>(LittleEndian32(p + 4)) << 32;
}

std::uint16_t LittleEndian16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The end of the furthest of `count` records of `entrySize` bytes at `offset`,
// each giving its own extent (offset at `at`, size at `at` + sizeAt, both
// 64-bit); records for which `skip` holds are not counted. 0 when unreadable.
template <typename Skip>
std::uint64_t FurthestExtent(const ISkinPackSource& source, std::uint64_t offset, std::uint16_t count,
                             std::uint16_t entrySize, std::size_t at, std::size_t sizeAt, Skip skip)
{
    if (entrySize < at + sizeAt + 8)
        return 0;
    std::vector<std::uint8_t> table(static_cast<std::size_t>(count) * entrySize);
    if (!source.ReadAt(offset, table))
        return 0;
    std::uint64_t end = offset + table.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* record = table.data() + i * entrySize;
        if (skip(record))
            continue;
        const std::uint64_t start = LittleEndian64(record + at);
        const std::uint64_t length = LittleEndian64(record + at + sizeAt);
        if (start > source.Size() || length > source.Size() - start)
            return 0;
        end = std::max(end, start + length);
    }
    return end;
}

// Where the bytes of a 64-bit little-endian ELF program end: past its headers,
// segments and sections. 0 for anything else, or when the headers do not add up.
std::uint64_t ProgramImageEnd(const ISkinPackSource& source)
{
    constexpr std::uint32_t kSectionWithoutBytes = 8; // SHT_NOBITS
    std::array<std::uint8_t, 64> header{};
    if (!source.ReadAt(0, header) || header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F' ||
        header[4] != 2 || header[5] != 1)
        return 0;
    const std::uint64_t segments =
        FurthestExtent(source, LittleEndian64(&header[0x20]), LittleEndian16(&header[0x38]),
                       LittleEndian16(&header[0x36]), 8, 24, [](const std::uint8_t*) { return false; });
    const std::uint64_t sections = FurthestExtent(
        source, LittleEndian64(&header[0x28]), LittleEndian16(&header[0x3C]), LittleEndian16(&header[0x3A]), 24, 8,
        [](const std::uint8_t* record) { return LittleEndian32(record + 4) == kSectionWithoutBytes; });
    return segments == 0 || sections == 0 ? 0 : std::max(segments, sections);
}

// The first k in [from, size - 32) where the signature and name stand.
std::optional<std::uint64_t> FindSignatureFrom(const ISkinPackSource& source, std::uint64_t from)
{
    const std::uint64_t size = source.Size();
    if (size <= CSkinPack::kHeaderSize)
        return std::nullopt;
    const std::uint64_t lastStart = size - CSkinPack::kHeaderSize - 1;
    if (from > lastStart)
        return std::nullopt;
    // An archive appended where a program's image ends stands right at `from`:
    // one signature's read finds it, where a chunk would read the whole archive.
    std::array<std::uint8_t, kSignatureLength> head{};
    if (source.ReadAt(from, head) && IsSignatureAt(head.data()))
        return from;
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(
        std::min<std::uint64_t>(kScanChunk + kSignatureLength - 1, size - from)));
    for (std::uint64_t base = from; base <= lastStart; base += kScanChunk) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - base));
        if (!source.ReadAt(base, std::span(chunk.data(), length)))
            return std::nullopt;
        const auto lastLocal = static_cast<std::size_t>(std::min<std::uint64_t>(kScanChunk - 1, lastStart - base));
        const std::uint8_t* const begin = chunk.data();
        for (std::size_t i = 0; i <= lastLocal;) {
            const void* hit = std::memchr(begin + i, 0x40, lastLocal - i + 1);
            if (hit == nullptr)
                break;
            i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - begin);
            if (IsSignatureAt(begin + i))
                return base + i;
            ++i;
        }
    }
    return std::nullopt;
}

// The first signature in the file. A program's own bytes never hold it (see
// Magic below), so in a program the search starts where its image ends and
// reads only the appended archive, not megabytes of code and debug data; only
// when nothing follows the image is the whole file searched.
std::optional<std::uint64_t> FindSignature(const ISkinPackSource& source)
{
    const std::uint64_t imageEnd = ProgramImageEnd(source);
    if (imageEnd > 0)
        if (const auto found = FindSignatureFrom(source, imageEnd))
            return found;
    return FindSignatureFrom(source, 0);
}

bool SizesPlausible(std::uint32_t packedSize, std::uint32_t size)
{
    return packedSize <= CSkinPack::kMaxEntrySize && size <= CSkinPack::kMaxEntrySize &&
           size <= static_cast<std::uint64_t>(packedSize) * kMaxInflateRatio;
}

} // namespace

namespace {

// The archive's first twelve bytes ("@@@@" and "QuilPack"), each kept one
// higher than it is. They are lowered at run time by a step read through a
// volatile, which no compiler may fold into a constant, so the program's own
// file never holds them and the first-signature scan can only find the
// appended archive.
constexpr std::array<std::uint8_t, 12> kRaisedMagic = {'A', 'A', 'A', 'A', 'R', 'v', 'j', 'm', 'Q', 'b', 'd', 'l'};
volatile std::uint8_t g_magicStep = 1;

const std::array<std::uint8_t, 12>& Magic()
{
    static const std::array<std::uint8_t, 12> magic = [] {
        const std::uint8_t step = g_magicStep;
        std::array<std::uint8_t, 12> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(kRaisedMagic[i] - step);
        return bytes;
    }();
    return magic;
}

} // namespace

std::span<const std::uint8_t, 4> CSkinPack::Signature()
{
    return std::span<const std::uint8_t, 4>(Magic().data(), 4);
}

std::span<const std::uint8_t, 8> CSkinPack::ArchiveName()
{
    return std::span<const std::uint8_t, 8>(Magic().data() + 4, 8);
}

std::string CSkinPack::UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

CSkinPack CSkinPack::Index(const ISkinPackSource& source)
{
    CSkinPack pack;
    pack.archiveOffset_ = FindSignature(source);
    if (!pack.archiveOffset_)
        return pack;
    const std::uint64_t size = source.Size();
    auto reader = std::make_unique<CReadAhead>(source);
    std::uint32_t textLength = 0;
    if (!reader->ReadU32(*pack.archiveOffset_ + kHeaderSize, textLength))
        return pack;
    std::uint64_t offset = *pack.archiveOffset_ + kHeaderSize + 4 + textLength;
    bool leftOut = false;
    std::string path;
    while (offset < size && size - offset > 1 && pack.entries_.size() < kMaxEntries) {
        std::uint32_t pathLength = 0;
        if (!reader->ReadU32(offset, pathLength))
            break;
        const std::uint64_t sizesAt = offset + 4 + pathLength;
        std::uint32_t packedSize = 0;
        std::uint32_t unpackedSize = 0;
        if (!reader->ReadU32(sizesAt, packedSize) || !reader->ReadU32(sizesAt + 4, unpackedSize))
            break;
        const std::uint64_t dataOffset = sizesAt + 8;
        if (packedSize > size - dataOffset)
            break; // truncated: nothing after it can be framed
        offset = dataOffset + packedSize;
        if (pathLength > kMaxPathLength || !SizesPlausible(packedSize, unpackedSize)) {
            leftOut = true;
            continue;
        }
        path.resize(pathLength);
        if (!reader->ReadAt(sizesAt - pathLength, std::span(reinterpret_cast<std::uint8_t*>(path.data()), path.size())))
            break;
        pack.byUpperPath_.try_emplace(UpperAscii(path), pack.entries_.size());
        pack.entries_.push_back({path, dataOffset, packedSize, unpackedSize});
    }
    pack.endsCleanly_ = offset == size && !leftOut;
    return pack;
}

const SkinPackEntry* CSkinPack::Lookup(std::string_view path) const
{
    if (path.size() > kMaxPathLength)
        return nullptr;
    const auto it = byUpperPath_.find(UpperAscii(path));
    return it == byUpperPath_.end() ? nullptr : &entries_[it->second];
}

std::optional<ByteString> CSkinPack::Read(const ISkinPackSource& source, std::string_view path) const
{
    const SkinPackEntry* entry = Lookup(path);
    if (entry == nullptr)
        return std::nullopt;
    return Read(source, *entry);
}

namespace {

// The entry's zlib stream as it lies in the source.
std::optional<ByteString> PackedBytes(const ISkinPackSource& source, const SkinPackEntry& entry)
{
    if (!SizesPlausible(entry.packedSize, entry.size))
        return std::nullopt;
    ByteString packed(entry.packedSize);
    if (!source.ReadAt(entry.dataOffset, packed))
        return std::nullopt;
    return packed;
}

} // namespace

std::optional<ByteString> CSkinPack::Read(const ISkinPackSource& source, const SkinPackEntry& entry)
{
    const auto packed = PackedBytes(source, entry);
    return packed ? Inflate(*packed, entry.size) : std::nullopt;
}

std::optional<SkinEntryPrint> CSkinPack::Print(const ISkinPackSource& source, const SkinPackEntry& entry)
{
    const auto packed = PackedBytes(source, entry);
    if (!packed)
        return std::nullopt;
    const auto crc = static_cast<std::uint32_t>(libdeflate_crc32(0, packed->data(), packed->size()));
    return SkinEntryPrint{entry.size, entry.packedSize, crc};
}

namespace {

struct DecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

} // namespace

std::optional<ByteString> CSkinPack::Inflate(std::span<const std::uint8_t> packed, std::uint32_t size)
{
    if (packed.size() > CSkinPack::kMaxEntrySize || size > CSkinPack::kMaxEntrySize)
        return std::nullopt;
    // libdeflate inflates a whole stream two to three times faster than zlib,
    // which matters for the images of the first window. A decompressor is not
    // shared between threads; each thread keeps its own.
    thread_local const std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor)
        return std::nullopt;
    ByteString out(size);
    std::uint8_t spare = 0; // somewhere to point even for an empty file
    // Without an "actual size" result the stream must fill exactly size bytes:
    // a damaged stream, a checksum that fails or a size that does not match all
    // mean the entry cannot be trusted.
    const libdeflate_result result = libdeflate_zlib_decompress(
        decompressor.get(), packed.data(), packed.size(), out.empty() ? &spare : out.data(), out.size(), nullptr);
    if (result != LIBDEFLATE_SUCCESS)
        return std::nullopt;
    return out;
}

std::optional<ByteString> CSkinPack::Find(const std::string& executablePath, std::string_view entryPath,
                                          std::uint32_t maxSize)
{
    return CSkinArchive(executablePath).Read(entryPath, maxSize);
}

bool CSkinPack::Holds(const std::string& executablePath, std::string_view entryPath)
{
    return CSkinArchive(executablePath).Holds(entryPath);
}

std::string CSkinPack::ExecutablePath()
{
    // Names the running image itself, even after the file was replaced on disk.
    return "/proc/self/exe";
}
