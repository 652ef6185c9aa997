#include "skin/ui/SkinDrawing.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Pixel formats whose pixels are whole bytes are copied as raw bytes; the
// others are widened once so that every copy below is a plain byte move.
QImage ByteAddressable(const QImage& image)
{
    if (image.depth() >= 8)
        return image;
    return image.convertToFormat(QImage::Format_Indexed8);
}

// Copies a w x h block from (sx, sy) of `from` to (dx, dy) of `to`, clipped to
// both images like a device-context copy. `from` may be `to`; overlapping
// blocks are moved row by row in a safe order.
void CopyBlock(const QImage& from, int sx, int sy, int w, int h, QImage& to, int dx, int dy)
{
    if (w <= 0 || h <= 0)
        return;
    // Clip against the source, then against the target, moving both origins.
    auto clip = [&](int& s, int& d, int& len, int sLimit, int dLimit) {
        if (s < 0) { d -= s; len += s; s = 0; }
        if (d < 0) { s -= d; len += d; d = 0; }
        len = std::min({len, sLimit - s, dLimit - d});
    };
    clip(sx, dx, w, from.width(), to.width());
    clip(sy, dy, h, from.height(), to.height());
    if (w <= 0 || h <= 0)
        return;
    const int bpp = to.depth() / 8;
    const auto bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(bpp);
    const bool upwards = &from == &to && dy > sy;
    for (int i = 0; i < h; ++i) {
        const int row = upwards ? h - 1 - i : i;
        const uchar* src = from.constScanLine(sy + row) + static_cast<std::ptrdiff_t>(sx) * bpp;
        uchar* dst = to.scanLine(dy + row) + static_cast<std::ptrdiff_t>(dx) * bpp;
        std::memmove(dst, src, bytes);
    }
}

// Copies column x of every row onto the count - 1 columns right of it, as far
// as the image reaches: row by row, doubling the copied run each step.
void RepeatColumn(QImage& image, int x, int count)
{
    if (x < 0 || x >= image.width() || count < 2)
        return;
    const auto bpp = static_cast<std::size_t>(image.depth() / 8);
    const auto total = static_cast<std::size_t>(std::min(count, image.width() - x));
    for (int y = 0; y < image.height(); ++y) {
        uchar* run = image.scanLine(y) + static_cast<std::size_t>(x) * bpp;
        for (std::size_t filled = 1; filled < total;) {
            const std::size_t more = std::min(filled, total - filled);
            std::memcpy(run + filled * bpp, run, more * bpp);
            filled += more;
        }
    }
}

} // namespace

namespace {

// Device pixels per logical pixel of a skin image: 1, or 2 for a twin.
int ScaleOf(const QImage& image)
{
    return std::max(1, qRound(image.devicePixelRatio()));
}

} // namespace

QSize LogicalSize(const QImage& image)
{
    return image.size() / ScaleOf(image);
}

QImage StretchByResizeLines(const QImage& sourceIn, int rx, int ry, int width, int height)
{
    const int scale = ScaleOf(sourceIn);
    if (sourceIn.isNull() || width <= 0 || height <= 0 || width > kMaxStretchSide / scale
        || height > kMaxStretchSide / scale)
        return {};
    if (scale > 1) {
        // Lines past the edges draw as lines at the edges (below), so pulling
        // them in first keeps the scaled values in range.
        rx = std::clamp(rx, -1, kMaxStretchSide) * scale;
        ry = std::clamp(ry, -1, kMaxStretchSide) * scale;
        width *= scale;
        height *= scale;
    }
    const QImage source = ByteAddressable(sourceIn);
    // A face at its own size is the face: not copied, it keeps its cache key,
    // so a shape already read for it is found again.
    if (width == source.width() && height == source.height())
        return source;
    QImage target(width, height, source.format());
    if (target.isNull())
        return {};
    target.setDevicePixelRatio(sourceIn.devicePixelRatio());
    target.setColorTable(source.colorTable());
    target.fill(0);

    const int w = source.width();
    const int h = source.height();
    const int dx = width - w;
    const int dy = height - h;
    // Lines come from the skin file. Beyond the edges every copy is clipped the
    // same, so pulling them in keeps the picture and the arithmetic in range.
    rx = std::clamp(rx, -1, std::max(w, width));
    ry = std::clamp(ry, -1, std::max(h, height));
    CopyBlock(source, 0, 0, rx + 1, ry + 1, target, 0, 0);
    CopyBlock(source, 0, ry, rx + 1, h - ry, target, 0, ry + dy);
    CopyBlock(source, rx, 0, w - rx, ry + 1, target, rx + dx, 0);
    CopyBlock(source, rx, ry, w - rx, h - ry, target, rx + dx, ry + dy);
    RepeatColumn(target, rx, dx);
    for (int j = 1; j < dy; ++j)
        CopyBlock(target, 0, ry, width, 1, target, 0, ry + j);
    return target;
}

namespace {

std::uint32_t FileValue(QByteArrayView file, qsizetype at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | static_cast<std::uint8_t>(file[at + i]);
    return value;
}

} // namespace

namespace {

// The 16-bit pixels exactly as the file stores them, unused top bit included,
// in an image of `format`; null when the file does not hold them all.
QImage StoredPixels(const QImage& decoded, QByteArrayView file, QImage::Format format)
{
    const std::uint32_t offset = FileValue(file, 10, 4);
    const auto width = static_cast<std::int32_t>(FileValue(file, 18, 4));
    const auto height = static_cast<std::int32_t>(FileValue(file, 22, 4));
    const qsizetype rows = height < 0 ? -static_cast<qsizetype>(height) : height;
    if (width != decoded.width() || rows != decoded.height())
        return {};
    const qsizetype stride = (static_cast<qsizetype>(width) * 2 + 3) / 4 * 4;
    if (offset > static_cast<std::uint64_t>(file.size()) || (file.size() - offset) / stride < rows)
        return {};
    QImage image(width, static_cast<int>(rows), format);
    if (image.isNull())
        return {};
    for (qsizetype y = 0; y < rows; ++y) {
        // Rows are stored bottom-up unless the height is negative.
        const qsizetype stored = height < 0 ? y : rows - 1 - y;
        std::memcpy(image.scanLine(static_cast<int>(y)), file.data() + offset + stored * stride,
                    static_cast<std::size_t>(width) * 2);
    }
    return image;
}

QImage SixteenBit(const QImage& decoded, QByteArrayView file, QImage::Format format)
{
    const QImage stored = StoredPixels(decoded, file, format);
    return stored.isNull() ? decoded.convertToFormat(format) : stored;
}

} // namespace

QImage InFileLayout(const QImage& decoded, QByteArrayView file)
{
    // File header (14 bytes), then the bitmap header: bit count at 28,
    // compression at 30, and with bit fields (3) the red, green and blue masks at 54.
    if (decoded.isNull() || file.size() < 34 || file[0] != 'B' || file[1] != 'M' || FileValue(file, 28, 2) != 16)
        return decoded;
    const std::uint32_t compression = FileValue(file, 30, 4);
    if (compression == 0)
        return SixteenBit(decoded, file, QImage::Format_RGB555);
    if (compression != 3 || file.size() < 66)
        return decoded;
    const std::uint32_t red = FileValue(file, 54, 4);
    const std::uint32_t green = FileValue(file, 58, 4);
    const std::uint32_t blue = FileValue(file, 62, 4);
    if (red == 0xF800 && green == 0x07E0 && blue == 0x001F)
        return SixteenBit(decoded, file, QImage::Format_RGB16);
    if (red == 0x7C00 && green == 0x03E0 && blue == 0x001F)
        return SixteenBit(decoded, file, QImage::Format_RGB555);
    return decoded;
}

namespace {

// Where an uncompressed 24- or 32-bit bitmap file keeps its pixels: file
// header (14 bytes) and a 40-byte bitmap header with the pixel data offset at
// 10, width at 18, height at 22 (negative: rows stored top-down), planes at
// 26, bit count at 28, compression at 30, resolution at 38 and 42.
struct PlainLayout {
    std::uint32_t offset = 0;
    int width = 0;
    int rows = 0;
    bool topDown = false;
    int bits = 0;
    qsizetype stride = 0;
};

std::optional<PlainLayout> PlainBitmapLayout(QByteArrayView file)
{
    constexpr std::uint32_t kHeadersSize = 54;
    if (file.size() < kHeadersSize || file[0] != 'B' || file[1] != 'M' || FileValue(file, 14, 4) != 40
        || FileValue(file, 26, 2) != 1 || FileValue(file, 30, 4) != 0)
        return std::nullopt;
    PlainLayout layout;
    layout.bits = static_cast<int>(FileValue(file, 28, 2));
    layout.offset = FileValue(file, 10, 4);
    const auto width = static_cast<std::int32_t>(FileValue(file, 18, 4));
    const auto height = static_cast<std::int32_t>(FileValue(file, 22, 4));
    if ((layout.bits != 24 && layout.bits != 32) || width <= 0 || height == 0
        || height == std::numeric_limits<std::int32_t>::min() || layout.offset < kHeadersSize)
        return std::nullopt;
    layout.width = width;
    layout.topDown = height < 0;
    layout.rows = layout.topDown ? -height : height;
    layout.stride = (static_cast<qsizetype>(width) * layout.bits / 8 + 3) / 4 * 4;
    if (layout.offset > static_cast<std::uint64_t>(file.size())
        || (file.size() - layout.offset) / layout.stride < layout.rows)
        return std::nullopt;
    return layout;
}

void SetResolution(QImage& image, QByteArrayView file)
{
    image.setDotsPerMeterX(static_cast<std::int32_t>(FileValue(file, 38, 4)));
    image.setDotsPerMeterY(static_cast<std::int32_t>(FileValue(file, 42, 4)));
}

// Qt's 32-bit RGB pixels keep their unused top byte at 0xFF; a file may hold
// anything there.
void SetUnusedBytes(QRgb* pixels, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i)
        pixels[i] |= 0xFF000000u;
}

void CopyRow(const uchar* in, QRgb* out, int width, int bits)
{
    if (bits == 32) {
        std::memcpy(out, in, static_cast<std::size_t>(width) * 4);
        SetUnusedBytes(out, width);
        return;
    }
    // Blue, green, red in the file are 0xFFRRGGBB read as one little-endian
    // word with the next byte replaced; a word at a time is about three times
    // faster than byte by byte. The row's last pixel may end the file, so its
    // fourth byte is never read.
    static_assert(std::endian::native == std::endian::little);
    int x = 0;
    for (; x < width - 1; ++x, in += 3) {
        std::uint32_t word;
        std::memcpy(&word, in, sizeof word);
        out[x] = (word & 0x00FFFFFFu) | 0xFF000000u;
    }
    out[x] = qRgb(in[2], in[1], in[0]);
}

void FreeFile(void* file)
{
    delete static_cast<ByteString*>(file);
}

} // namespace

QImage DecodePlainBitmap(QByteArrayView file)
{
    const auto layout = PlainBitmapLayout(file);
    if (!layout)
        return {};
    QImage image(layout->width, layout->rows, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const auto* pixels = reinterpret_cast<const uchar*>(file.data()) + layout->offset;
    for (int y = 0; y < layout->rows; ++y) {
        const qsizetype stored = layout->topDown ? y : layout->rows - 1 - y;
        CopyRow(pixels + stored * layout->stride, reinterpret_cast<QRgb*>(image.scanLine(y)), layout->width,
                layout->bits);
    }
    SetResolution(image, file);
    return image;
}

QImage AdoptPlainBitmap(ByteString& file)
{
    const QByteArrayView view(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
    const auto layout = PlainBitmapLayout(view);
    if (!layout || layout->bits != 32 || !layout->topDown)
        return {};
    if (reinterpret_cast<std::uintptr_t>(file.data() + layout->offset) % alignof(QRgb) != 0)
        return {};
    // Moving the file keeps its memory where it is; the image frees it.
    auto owner = std::make_unique<ByteString>(std::move(file));
    uchar* pixels = owner->data() + layout->offset;
    QImage image(pixels, layout->width, layout->rows, layout->stride, QImage::Format_RGB32, FreeFile, owner.get());
    if (image.isNull()) {
        file = std::move(*owner);
        return {};
    }
    owner.release();
    SetUnusedBytes(reinterpret_cast<QRgb*>(pixels), static_cast<qsizetype>(layout->rows) * layout->width);
    SetResolution(image, view);
    return image;
}

QRgb SkinColourToRgb(std::uint32_t colour)
{
    return qRgb(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                static_cast<int>((colour >> 16) & 0xFFu));
}

std::uint32_t RgbToSkinColour(QRgb rgb)
{
    return static_cast<std::uint32_t>(qRed(rgb)) | static_cast<std::uint32_t>(qGreen(rgb)) << 8
           | static_cast<std::uint32_t>(qBlue(rgb)) << 16;
}

namespace {

using Spans = std::vector<std::pair<int, int>>;

// Finds the runs of pixels that are not the mask colour, row by row; one loop
// per pixel layout.
class MaskTest {
public:
    MaskTest(const QImage& image, std::uint32_t maskColour)
        : image_(image)
        , format_(image.format())
    {
        const QRgb rgb = SkinColourToRgb(maskColour);
        const unsigned r = static_cast<unsigned>(qRed(rgb));
        const unsigned g = static_cast<unsigned>(qGreen(rgb));
        const unsigned b = static_cast<unsigned>(qBlue(rgb));
        rgb_ = rgb & 0x00FFFFFFu;
        rgb565_ = static_cast<quint16>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        rgb555_ = static_cast<quint16>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
        bytes_[0] = static_cast<uchar>(r);
        bytes_[1] = static_cast<uchar>(g);
        bytes_[2] = static_cast<uchar>(b);
        const QList<QRgb> table = image.colorTable();
        for (const QRgb entry : table)
            indexMatches_.push_back((entry & 0x00FFFFFFu) == rgb_);
    }

    // The runs of pixels that are not the mask colour in row y, left to right,
    // each from its first pixel up to but not including the next mask pixel.
    void RowSpans(int y, Spans& spans) const
    {
        // One loop per layout: the layout is settled once per row, not per pixel.
        const uchar* line = image_.constScanLine(y);
        const auto* pixels16 = reinterpret_cast<const quint16*>(line);
        const auto* pixels32 = reinterpret_cast<const QRgb*>(line);
        switch (format_) {
        case QImage::Format_Indexed8:
            return Runs(spans, [&](std::size_t x) {
                const std::size_t index = line[x];
                return index < indexMatches_.size() && indexMatches_[index];
            });
        case QImage::Format_RGB16:
            return Runs(spans, [&](std::size_t x) { return pixels16[x] == rgb565_; });
        case QImage::Format_RGB555:
            return Runs(spans, [&](std::size_t x) { return pixels16[x] == rgb555_; });
        case QImage::Format_RGB888:
            return Runs(spans, [&](std::size_t x) {
                const uchar* p = line + 3 * x;
                return p[0] == bytes_[0] && p[1] == bytes_[1] && p[2] == bytes_[2];
            });
        case QImage::Format_BGR888:
            return Runs(spans, [&](std::size_t x) {
                const uchar* p = line + 3 * x;
                return p[0] == bytes_[2] && p[1] == bytes_[1] && p[2] == bytes_[0];
            });
        case QImage::Format_RGB32: // Qt keeps the unused byte at 0xFF
            return Runs(spans, [&](std::size_t x) { return (pixels32[x] & 0x00FFFFFFu) == rgb_; });
        default: // ARGB32 and ARGB32_Premultiplied: only the opaque mask colour
            return Runs(spans, [&](std::size_t x) { return pixels32[x] == (0xFF000000u | rgb_); });
        }
    }

private:
    template <typename IsMask>
    void Runs(Spans& spans, IsMask isMask) const
    {
        spans.clear();
        const auto width = static_cast<std::size_t>(image_.width());
        std::size_t x = 0;
        while (x < width) {
            while (x < width && isMask(x))
                ++x;
            const std::size_t start = x;
            while (x < width && !isMask(x))
                ++x;
            if (x > start)
                spans.emplace_back(static_cast<int>(start), static_cast<int>(x));
        }
    }

    const QImage& image_;
    const QImage::Format format_;
    QRgb rgb_ = 0;
    quint16 rgb565_ = 0;
    quint16 rgb555_ = 0;
    uchar bytes_[3] = {};
    std::vector<char> indexMatches_;
};

bool HasOwnMaskTest(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Indexed8:
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

// The runs of `spans` that also lie in `other`, into `out`.
void IntersectSpans(const Spans& spans, const Spans& other, Spans& out)
{
    out.clear();
    for (std::size_t i = 0, j = 0; i < spans.size() && j < other.size();) {
        const int from = std::max(spans[i].first, other[j].first);
        const int to = std::min(spans[i].second, other[j].second);
        if (from < to)
            out.emplace_back(from, to);
        (spans[i].second < other[j].second ? i : j)++;
    }
}

// The runs of logical row y of an image at `scale`: the logical pixels whose
// device pixels all lie in runs of the device rows.
void LogicalRowSpans(const MaskTest& test, int y, int scale, Spans& spans, Spans& row, Spans& both)
{
    test.RowSpans(y * scale, spans);
    for (int i = 1; i < scale; ++i) {
        test.RowSpans(y * scale + i, row);
        IntersectSpans(spans, row, both);
        spans.swap(both);
    }
    if (scale == 1)
        return;
    Spans whole;
    for (const auto& [x0, x1] : spans)
        if ((x0 + scale - 1) / scale < x1 / scale)
            whole.emplace_back((x0 + scale - 1) / scale, x1 / scale);
    spans.swap(whole);
}

} // namespace

QRegion RegionFromBitmap(const QImage& bitmapIn, std::uint32_t maskColour)
{
    if (bitmapIn.isNull())
        return {};
    const QImage bitmap = HasOwnMaskTest(bitmapIn.format())
                              ? bitmapIn
                              : bitmapIn.convertToFormat(QImage::Format_ARGB32);
    const MaskTest test(bitmap, maskColour);
    const int scale = ScaleOf(bitmap);
    const int height = bitmap.height() / scale;

    // Rows with the same runs are merged into one band, the canonical form
    // QRegion itself uses, so the result compares equal to a region built by
    // uniting the single-row rectangles.
    std::vector<QRect> rects;
    Spans band;
    Spans row;
    Spans scratch[2];
    int bandTop = 0;
    auto flush = [&](int bandEnd) {
        for (const auto& [x0, x1] : band)
            rects.emplace_back(x0, bandTop, x1 - x0, bandEnd - bandTop);
    };
    for (int y = 0; y < height; ++y) {
        LogicalRowSpans(test, y, scale, row, scratch[0], scratch[1]);
        if (y > 0 && row == band)
            continue;
        flush(y);
        band.swap(row);
        bandTop = y;
    }
    flush(height);

    QRegion region;
    if (!rects.empty())
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}
