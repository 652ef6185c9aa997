#include "skin/ui/FaceCache.h"

#include "common/WriteAll.h"

#include <QStandardPaths>

#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The file: this header, the shape's rectangles (x, y, width, height as 32-bit
// integers), then the pixels from the next page boundary, so that they map
// page-aligned and nothing else shares their pages.
struct FileHeader {
    std::array<char, 8> magic;
    std::uint32_t size;
    std::uint32_t packedSize;
    std::uint32_t packedCrc;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bytesPerLine;
    std::uint32_t format;
    std::uint32_t hasShape;
    std::uint32_t maskColour;
    std::uint32_t rectCount;
};

constexpr std::array<char, 8> kMagic{'V', 'X', 'F', 'A', 'C', 'E', '1', '\n'};
constexpr std::size_t kPage = 4096;
constexpr std::uint32_t kMaxSide = 16384;
// A shape has at most one band per logical row, each of a few spans.
constexpr std::uint32_t kMaxRects = 1u << 20;
constexpr std::size_t kRectBytes = 4 * sizeof(std::int32_t);

std::size_t PixelOffset(std::uint32_t rectCount)
{
    const std::size_t used = sizeof(FileHeader) + rectCount * kRectBytes;
    return (used + kPage - 1) / kPage * kPage;
}

bool KeptFormat(std::uint32_t format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

bool HeaderFits(const FileHeader& h, const SkinEntryPrint& print, std::uint64_t fileSize)
{
    if (h.magic != kMagic || SkinEntryPrint{h.size, h.packedSize, h.packedCrc} != print)
        return false;
    if (h.width == 0 || h.height == 0 || h.width > kMaxSide || h.height > kMaxSide || !KeptFormat(h.format) ||
        h.bytesPerLine != h.width * 4 || h.hasShape > 1 || h.rectCount > kMaxRects || (!h.hasShape && h.rectCount))
        return false;
    return fileSize == PixelOffset(h.rectCount) + std::uint64_t{h.bytesPerLine} * h.height;
}

// The shape kept after the header: rectangles inside the image, in the
// banded order a region keeps them in (left to right within a band, bands top
// to bottom without overlap); none when any is not.
std::optional<std::vector<QRect>> ReadShape(const uchar* bytes, const FileHeader& h)
{
    std::vector<QRect> rects;
    rects.reserve(h.rectCount);
    for (std::uint32_t i = 0; i < h.rectCount; ++i) {
        std::array<std::int32_t, 4> v;
        std::memcpy(v.data(), bytes + sizeof h + i * kRectBytes, kRectBytes);
        const auto [x, y, width, height] = v;
        // Checked before a rectangle is made of them, whose corners would overflow.
        if (x < 0 || y < 0 || width <= 0 || height <= 0 || std::int64_t{x} + width > h.width ||
            std::int64_t{y} + height > h.height)
            return std::nullopt;
        const QRect r(x, y, width, height);
        if (!rects.empty()) {
            const QRect& p = rects.back();
            const bool sameBand = r.top() == p.top() && r.height() == p.height();
            if (sameBand ? r.left() <= p.right() : r.top() <= p.bottom())
                return std::nullopt;
        }
        rects.push_back(r);
    }
    return rects;
}

// A mapped file, unmapped when the last image that draws from it goes.
class Mapping {
public:
    Mapping(void* address, std::size_t length)
        : address_(address)
        , length_(length)
    {
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping() { ::munmap(address_, length_); }

private:
    void* address_;
    std::size_t length_;
};

// One name per entry: its path with anything but letters, digits and ".@-"
// spelled out, so that no entry name can lead outside the folder.
std::string FileName(std::string_view entryPath)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name;
    for (const char c : entryPath) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (plain || c == '.' || c == '@' || c == '-')
            name += c;
        else if (c == '\\' || c == '/')
            name += '_';
        else
            name.append({'%', kHex[u >> 4], kHex[u & 15]});
    }
    return name + ".face";
}

} // namespace

CFaceCache::CFaceCache(std::string folder)
    : folder_(std::move(folder))
{
}

std::string CFaceCache::FilePath(std::string_view entryPath) const
{
    return (fs::path(folder_) / FileName(entryPath)).string();
}

std::optional<CFaceCache::Face> CFaceCache::Find(std::string_view entryPath, const SkinEntryPrint& print) const
{
    if (!Enabled())
        return std::nullopt;
    const int fd = ::open(FilePath(entryPath).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                         static_cast<std::uint64_t>(st.st_size) >= sizeof(FileHeader);
    const auto length = regular ? static_cast<std::size_t>(st.st_size) : 0;
    void* address = regular ? ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    ::close(fd);
    if (address == MAP_FAILED)
        return std::nullopt;
    auto mapping = std::make_unique<Mapping>(address, length);
    const auto* bytes = static_cast<const uchar*>(address);

    FileHeader h;
    std::memcpy(&h, bytes, sizeof h);
    if (!HeaderFits(h, print, length))
        return std::nullopt;
    const auto rects = ReadShape(bytes, h);
    if (!rects)
        return std::nullopt;

    Face face;
    face.image = QImage(
        bytes + PixelOffset(h.rectCount), static_cast<int>(h.width), static_cast<int>(h.height), h.bytesPerLine,
        static_cast<QImage::Format>(h.format), [](void* m) { delete static_cast<Mapping*>(m); }, mapping.get());
    if (face.image.isNull())
        return std::nullopt;
    mapping.release(); // the image unmaps it
    if (h.hasShape) {
        face.shape.emplace();
        face.shape->setRects(rects->data(), static_cast<int>(rects->size()));
        face.maskColour = h.maskColour;
    }
    return face;
}

bool CFaceCache::Keep(std::string_view entryPath, const SkinEntryPrint& print, const Face& face) const
{
    const QImage& image = face.image;
    if (!Enabled() || image.isNull() || !KeptFormat(image.format()) || image.bytesPerLine() != image.width() * 4)
        return false;
    const std::vector<QRect> rects = face.shape ? std::vector<QRect>(face.shape->begin(), face.shape->end())
                                                : std::vector<QRect>{};
    const FileHeader h{kMagic,
                       print.size,
                       print.packedSize,
                       print.packedCrc,
                       static_cast<std::uint32_t>(image.width()),
                       static_cast<std::uint32_t>(image.height()),
                       static_cast<std::uint32_t>(image.bytesPerLine()),
                       static_cast<std::uint32_t>(image.format()),
                       face.shape ? 1u : 0u,
                       face.maskColour,
                       static_cast<std::uint32_t>(rects.size())};
    if (rects.size() > kMaxRects)
        return false;
    std::vector<unsigned char> head(PixelOffset(h.rectCount), 0);
    std::memcpy(head.data(), &h, sizeof h);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const std::array<std::int32_t, 4> r{rects[i].x(), rects[i].y(), rects[i].width(), rects[i].height()};
        std::memcpy(head.data() + sizeof h + i * kRectBytes, r.data(), kRectBytes);
    }

    std::error_code ec;
    fs::create_directories(folder_, ec);
    // Unnamed until complete: a run that stops half-way leaves nothing behind.
    const int fd = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool kept = WriteAll(fd, head.data(), head.size()) &&
                WriteAll(fd, image.constBits(), static_cast<std::size_t>(image.sizeInBytes())) && ::fdatasync(fd) == 0;
    if (kept) {
        // A run that maps the face kept before goes on drawing from that file.
        const std::string target = FilePath(entryPath);
        ::unlink(target.c_str());
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        kept = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }
    ::close(fd);
    return kept;
}

std::string CFaceCache::DefaultFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        return {};
    return (fs::path(base.toStdString()) / "Tessavorn" / "Vexlor" / "faces").string();
}
