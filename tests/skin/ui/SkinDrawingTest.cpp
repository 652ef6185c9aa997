#include "skin/SkinPack.h"
#include "skin/SkinPackSource.h"
#include "skin/ui/SkinDrawing.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include <functional>

namespace {

// Every pixel gets its own value, so a pixel that lands in the wrong place shows.
QRgb Unique(int x, int y)
{
    return qRgb(x * 4 + 1, y * 4 + 2, (x * 7 + y * 13) & 0xFF);
}

QImage PatternImage(int w, int h, QImage::Format format)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, Unique(x, y));
    return image.convertToFormat(format);
}

// An 8-bit image whose index is its own pixel value modulo 256.
QImage IndexedPattern(int w, int h)
{
    QImage image(w, h, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.push_back(qRgb(i, 255 - i, (i * 3) & 0xFF));
    image.setColorTable(table);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, static_cast<uint>((x + 3 * y) & 0xFF));
    return image;
}

using Mapping = std::function<int(int)>;

void ExpectMapped(const QImage& source, const QImage& result, const Mapping& mapX,
                  const Mapping& mapY)
{
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            ASSERT_EQ(result.pixel(x, y), source.pixel(mapX(x), mapY(y)))
                << "at " << x << "," << y;
}

class StretchFormats : public ::testing::TestWithParam<QImage::Format> {};

TEST_P(StretchFormats, GroupBackgroundGrowsByRepeatingTheResizeLines)
{
    const QImage source = GetParam() == QImage::Format_Indexed8 ? IndexedPattern(54, 52)
                                                                 : PatternImage(54, 52, GetParam());
    const QImage result = StretchByResizeLines(source, 25, 32, 200, 100);
    ASSERT_EQ(result.size(), QSize(200, 100));
    EXPECT_EQ(result.format(), source.format());
    // Columns 0..25 stay, column 25 fills up to 170, source 25..53 land on 171..199;
    // rows 0..32 stay, row 32 fills up to 79, source 32..51 land on 80..99.
    const Mapping mapX = [](int x) { return x <= 25 ? x : x <= 170 ? 25 : x - 146; };
    const Mapping mapY = [](int y) { return y <= 32 ? y : y <= 79 ? 32 : y - 48; };
    ExpectMapped(source, result, mapX, mapY);
}

TEST_P(StretchFormats, SmallerTargetDrawsRightAndLowerQuartersOverTheOthers)
{
    const QImage source = GetParam() == QImage::Format_Indexed8 ? IndexedPattern(54, 52)
                                                                 : PatternImage(54, 52, GetParam());
    const QImage result = StretchByResizeLines(source, 25, 32, 40, 30);
    ASSERT_EQ(result.size(), QSize(40, 30));
    // dx = -14, dy = -22: from x 11 and y 10 on the later quarters win.
    ExpectMapped(source, result, [](int x) { return x >= 11 ? x + 14 : x; },
                 [](int y) { return y >= 10 ? y + 22 : y; });
}

TEST_P(StretchFormats, TargetOfTheSourceSizeReproducesTheSource)
{
    const QImage source = GetParam() == QImage::Format_Indexed8 ? IndexedPattern(31, 17)
                                                                 : PatternImage(31, 17, GetParam());
    const QImage result = StretchByResizeLines(source, 9, 4, 31, 17);
    EXPECT_EQ(result, source);
    // The face itself, not a copy: its shape is looked up by its cache key.
    EXPECT_EQ(result.cacheKey(), source.cacheKey());
}

TEST(Stretch, ATwinAtItsOwnSizeIsTheTwin)
{
    QImage twin = PatternImage(62, 34, QImage::Format_ARGB32);
    twin.setDevicePixelRatio(2);
    const QImage result = StretchByResizeLines(twin, 9, 4, 31, 17);
    EXPECT_EQ(result.cacheKey(), twin.cacheKey());
    EXPECT_EQ(result.devicePixelRatio(), 2);
    // One logical pixel wider is a new image, two device pixels wider.
    EXPECT_EQ(StretchByResizeLines(twin, 9, 4, 32, 17).size(), QSize(64, 34));
}

INSTANTIATE_TEST_SUITE_P(EachDepth, StretchFormats,
                         ::testing::Values(QImage::Format_Indexed8, QImage::Format_RGB16,
                                           QImage::Format_RGB888, QImage::Format_RGB32,
                                           QImage::Format_ARGB32));

TEST(Stretch, ResizeLinesOutsideTheBitmapOrAbsurdSizesNeverReadOutOfBounds)
{
    const QImage source = PatternImage(20, 10, QImage::Format_RGB32);
    EXPECT_EQ(StretchByResizeLines(source, 60, 70, 50, 30).size(), QSize(50, 30));
    EXPECT_EQ(StretchByResizeLines(source, -5, -9, 50, 30).size(), QSize(50, 30));
    EXPECT_TRUE(StretchByResizeLines(source, 0, 0, 0, 30).isNull());
    EXPECT_TRUE(StretchByResizeLines(source, 0, 0, 100000, 30).isNull());
    EXPECT_TRUE(StretchByResizeLines(QImage(), 0, 0, 10, 10).isNull());
}

TEST(SkinColour, HashColoursAreBlueGreenRedInTheLowBytes)
{
    EXPECT_EQ(SkinColourToRgb(0x00CB7200u), qRgb(0x00, 0x72, 0xCB));
    EXPECT_EQ(RgbToSkinColour(qRgb(0xFF, 0x00, 0xFF)), 0x00FF00FFu);
}

// The expected shape is built pixel by pixel, independently of the band logic.
QRegion ExpectedRegion(const QImage& image, const std::function<bool(int, int)>& opaque)
{
    QRegion region;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (opaque(x, y))
                region += QRect(x, y, 1, 1);
    return region;
}

constexpr std::uint32_t kMagenta = 0x00FF00FFu;

// Regions are compared as point sets: QRegion may split equal shapes into
// different rectangle lists.
::testing::AssertionResult SameShape(const QRegion& actual, const QRegion& expected)
{
    if ((actual ^ expected).isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "shapes differ in " << (actual ^ expected).rectCount()
                                         << " rectangles, bounding " << (actual ^ expected).boundingRect().x()
                                         << "," << (actual ^ expected).boundingRect().y();
}

// Rounded corners and a hole: the shapes skins actually cut.
bool InShape(int x, int y)
{
    if ((x < 3 && y < 3 - x) || (x > 16 && y > 12 + (19 - x)))
        return false;
    return !(x >= 8 && x < 11 && y >= 5 && y < 7);
}

QImage ShapeImage(QImage::Format format)
{
    QImage image(20, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x)
            image.setPixel(x, y, InShape(x, y) ? Unique(x, y) : qRgb(255, 0, 255));
    return image.convertToFormat(format);
}

class RegionFormats : public ::testing::TestWithParam<QImage::Format> {};

TEST_P(RegionFormats, MaskColouredPixelsAreCutOut)
{
    const QImage image = ShapeImage(GetParam());
    EXPECT_TRUE(SameShape(RegionFromBitmap(image, kMagenta), ExpectedRegion(image, InShape)));
}

TEST_P(RegionFormats, AllMaskGivesEmptyAndNoMaskGivesTheFullRectangle)
{
    QImage all(13, 7, QImage::Format_RGB32);
    all.fill(qRgb(255, 0, 255));
    EXPECT_TRUE(RegionFromBitmap(all.convertToFormat(GetParam()), kMagenta).isEmpty());
    QImage none(13, 7, QImage::Format_RGB32);
    none.fill(qRgb(30, 33, 39));
    const QRegion full = RegionFromBitmap(none.convertToFormat(GetParam()), kMagenta);
    EXPECT_TRUE(SameShape(full, QRegion(0, 0, 13, 7)));
    EXPECT_EQ(full.rectCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(EachDepth, RegionFormats,
                         ::testing::Values(QImage::Format_Indexed8, QImage::Format_RGB16,
                                           QImage::Format_RGB555, QImage::Format_RGB888,
                                           QImage::Format_RGB32, QImage::Format_ARGB32));

// The twin that drawing at scale 2 gives of a face made of flat pixels: every
// pixel doubled, with a device pixel ratio of 2.
QImage Doubled(const QImage& image)
{
    QImage twin = image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    twin.setDevicePixelRatio(2);
    return twin;
}

TEST(Twins, StretchingATwinGivesTheTwinOfTheStretchedFace)
{
    const QImage face = PatternImage(54, 52, QImage::Format_RGB32);
    // Larger, the same and smaller than the face; lines and sizes are logical.
    for (const QSize target : {QSize(200, 100), QSize(54, 52), QSize(30, 20)}) {
        const QImage stretched = StretchByResizeLines(Doubled(face), 25, 32, target.width(), target.height());
        EXPECT_EQ(stretched.devicePixelRatio(), 2.0);
        EXPECT_EQ(LogicalSize(stretched), target);
        EXPECT_EQ(stretched, Doubled(StretchByResizeLines(face, 25, 32, target.width(), target.height())))
            << target.width() << 'x' << target.height();
    }
    EXPECT_TRUE(StretchByResizeLines(Doubled(face), 25, 32, kMaxStretchSide, 10).isNull());
}

TEST(Twins, ATwinsShapeIsLogicalAndLeavesOutPixelsPartlyMasked)
{
    const QImage face = ShapeImage(QImage::Format_RGB32);
    QImage twin = Doubled(face);
    const QRegion plain = RegionFromBitmap(face, kMagenta);
    EXPECT_TRUE(SameShape(RegionFromBitmap(twin, kMagenta), plain));
    // One device pixel of mask colour takes its whole logical pixel out, so
    // the cut-out colour never shows along an edge drawn finer than the shape.
    twin.setPixel(2 * 12 + 1, 2 * 9 + 1, qRgb(255, 0, 255));
    twin.setPixel(2 * 4, 2 * 2, qRgb(255, 0, 255));
    EXPECT_TRUE(SameShape(RegionFromBitmap(twin, kMagenta), plain - QRegion(12, 9, 1, 1) - QRegion(4, 2, 1, 1)));
}

TEST(Region, EightBitsCompareTheColourTableEntryNotTheIndex)
{
    QImage image(4, 1, QImage::Format_Indexed8);
    // Entries 1 and 3 both hold the mask colour; entry 2 is one step off.
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 255), qRgb(254, 0, 255), qRgb(255, 0, 255)});
    const uchar indices[4] = {1, 2, 3, 0};
    for (int x = 0; x < 4; ++x)
        image.scanLine(0)[x] = indices[x];
    EXPECT_TRUE(SameShape(RegionFromBitmap(image, kMagenta), QRegion(1, 0, 1, 1) + QRegion(3, 0, 1, 1)));
    // An index beyond the colour table is opaque, never a read past its end.
    image.setColorCount(2);
    image.scanLine(0)[2] = 200;
    EXPECT_TRUE(SameShape(RegionFromBitmap(image, kMagenta), QRegion(1, 0, 3, 1)));
}

TEST(Region, SixteenBitsCompareTheQuantisedValueExactly)
{
    QImage image(3, 1, QImage::Format_RGB16);
    auto* line = reinterpret_cast<quint16*>(image.scanLine(0));
    line[0] = 0xF81F; // #FF00FF in 5-6-5
    line[1] = 0xF81E; // one blue step off
    line[2] = 0xF81F;
    EXPECT_TRUE(SameShape(RegionFromBitmap(image, kMagenta), QRegion(1, 0, 1, 1)));
    // #0072CB quantises to red 0, green 0x72 >> 2, blue 0xCB >> 3.
    line[1] = static_cast<quint16>(((0x72 >> 2) << 5) | (0xCB >> 3));
    EXPECT_TRUE(SameShape(RegionFromBitmap(image, 0x00CB7200u), QRegion(0, 0, 1, 1) + QRegion(2, 0, 1, 1)));
}

TEST(Region, TwentyFourAndThirtyTwoBitsCompareEveryByte)
{
    QImage rgb(3, 1, QImage::Format_RGB888);
    rgb.setPixel(0, 0, qRgb(255, 0, 255));
    rgb.setPixel(1, 0, qRgb(255, 1, 255));
    rgb.setPixel(2, 0, qRgb(255, 0, 255));
    EXPECT_TRUE(SameShape(RegionFromBitmap(rgb, kMagenta), QRegion(1, 0, 1, 1)));

    QImage argb(3, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(255, 0, 255, 255));
    argb.setPixel(1, 0, qRgba(255, 0, 255, 128)); // not the opaque mask colour
    argb.setPixel(2, 0, qRgb(0, 0, 0));
    EXPECT_TRUE(SameShape(RegionFromBitmap(argb, kMagenta), QRegion(1, 0, 2, 1)));
}

TEST(Region, BlackIsTheMaskWhenTheSkinGivesNone)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    image.setPixel(1, 1, qRgb(9, 9, 9));
    EXPECT_TRUE(SameShape(RegionFromBitmap(image, 0), QRegion(1, 1, 1, 1)));
}

QByteArray BitmapFile(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QImage ReaderImage(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    return QImageReader(&buffer, "BMP").read();
}

void ExpectSameImage(const QImage& a, const QImage& b)
{
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a.format(), b.format());
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.dotsPerMeterX(), b.dotsPerMeterX());
    EXPECT_EQ(a.dotsPerMeterY(), b.dotsPerMeterY());
}

TEST(PlainBitmap, DecodesAsTheImageReaderDoes)
{
    // Widths 1 to 5 cover every amount of row padding.
    for (int width = 1; width <= 5; ++width) {
        QImage image = PatternImage(width, 3, QImage::Format_RGB32);
        image.setDotsPerMeterX(2835);
        image.setDotsPerMeterY(3000);
        const QByteArray file = BitmapFile(image);
        ASSERT_EQ(file[28], 24) << "Qt writes these as 24-bit bitmaps";
        ExpectSameImage(DecodePlainBitmap(file), ReaderImage(file));
    }
}

TEST(PlainBitmap, EveryShippedBitmapDecodesAsTheImageReaderDoes)
{
    const CFileSource program(CSkinPack::ExecutablePath().c_str());
    const CSkinPack pack = CSkinPack::Index(program);
    int decoded = 0;
    for (const SkinPackEntry& entry : pack.Entries()) {
        if (!entry.path.ends_with(".bmp"))
            continue;
        const auto bytes = CSkinPack::Read(program, entry);
        ASSERT_TRUE(bytes) << entry.path;
        const QByteArray file(reinterpret_cast<const char*>(bytes->data()), static_cast<qsizetype>(bytes->size()));
        SCOPED_TRACE(entry.path);
        ExpectSameImage(DecodePlainBitmap(file), ReaderImage(file));
        // The skin's own faces are written to be used without a copy.
        ByteString adoptable = *bytes;
        ExpectSameImage(AdoptPlainBitmap(adoptable), ReaderImage(file));
        ++decoded;
    }
    EXPECT_GT(decoded, 100);
}

TEST(PlainBitmap, ReadsTopDownRowsAndTheDataOffset)
{
    const QImage image = PatternImage(3, 4, QImage::Format_RGB32);
    const QByteArray bottomUp = BitmapFile(image);
    // The same rows stored top-down with a negative height, two spare bytes
    // before them that the data offset skips.
    QByteArray topDown = bottomUp.left(54) + QByteArray(2, '\x7F');
    const qsizetype stride = 12;
    for (int row = 3; row >= 0; --row)
        topDown += bottomUp.mid(54 + row * stride, stride);
    const auto put32 = [&topDown](int at, std::int32_t value) {
        for (int i = 0; i < 4; ++i)
            topDown[at + i] = static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    };
    put32(10, 56);
    put32(22, -4);
    EXPECT_EQ(DecodePlainBitmap(topDown), DecodePlainBitmap(bottomUp));
    ExpectSameImage(DecodePlainBitmap(topDown), ReaderImage(topDown));
}

// `image` as a 32-bit bitmap file with its pixels at `offset`, rows top-down
// or bottom-up, and `unused` as every pixel's fourth byte.
ByteString WordBitmapFile(const QImage& image, std::uint32_t offset, bool topDown, std::uint8_t unused)
{
    ByteString file(offset, 0);
    const auto put = [&file](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(10, offset, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(image.width()), 4);
    put(22, static_cast<std::uint32_t>(topDown ? -image.height() : image.height()), 4);
    put(26, 1, 2);
    put(28, 32, 2);
    put(38, static_cast<std::uint32_t>(image.dotsPerMeterX()), 4);
    put(42, static_cast<std::uint32_t>(image.dotsPerMeterY()), 4);
    for (int row = 0; row < image.height(); ++row) {
        const int y = topDown ? row : image.height() - 1 - row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            for (const int channel : {qBlue(p), qGreen(p), qRed(p)})
                file.push_back(static_cast<std::uint8_t>(channel));
            file.push_back(unused);
        }
    }
    return file;
}

QByteArray Bytes(const ByteString& file)
{
    return QByteArray(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
}

TEST(PlainBitmap, ATopDownThirtyTwoBitFileBecomesTheImageWithoutACopy)
{
    QImage image = PatternImage(5, 3, QImage::Format_RGB32);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(3000);
    // Other writers leave the fourth byte at 0; Qt's pixels need 0xFF there.
    ByteString file = WordBitmapFile(image, 56, true, 0x00);
    const QByteArray asRead = Bytes(file);
    const std::uint8_t* pixels = file.data() + 56;
    const QImage adopted = AdoptPlainBitmap(file);
    ExpectSameImage(adopted, ReaderImage(asRead));
    ExpectSameImage(DecodePlainBitmap(asRead), adopted);
    EXPECT_EQ(adopted.constBits(), pixels) << "the file's own memory";
    EXPECT_TRUE(file.empty()) << "the image owns the file now";
    for (int y = 0; y < adopted.height(); ++y)
        for (int x = 0; x < adopted.width(); ++x)
            EXPECT_EQ(reinterpret_cast<const QRgb*>(adopted.constScanLine(y))[x] >> 24, 0xFFu) << x << ',' << y;
}

TEST(PlainBitmap, OtherFilesAreNotAdoptedAndStayAsTheyWere)
{
    const QImage image = PatternImage(3, 4, QImage::Format_RGB32);
    ByteString bottomUp = WordBitmapFile(image, 56, false, 0xFF);
    ByteString unaligned = WordBitmapFile(image, 55, true, 0xFF);
    ByteString truncated = WordBitmapFile(image, 56, true, 0xFF);
    truncated.pop_back();
    const QByteArray plain24 = BitmapFile(image);
    ByteString twentyFour(plain24.begin(), plain24.end());
    for (ByteString* file : {&bottomUp, &unaligned, &truncated, &twentyFour}) {
        const ByteString before = *file;
        EXPECT_TRUE(AdoptPlainBitmap(*file).isNull());
        EXPECT_EQ(*file, before);
    }
    // What is not adopted still decodes as the reader does, by copy.
    ExpectSameImage(DecodePlainBitmap(Bytes(bottomUp)), ReaderImage(Bytes(bottomUp)));
    ExpectSameImage(DecodePlainBitmap(Bytes(unaligned)), ReaderImage(Bytes(unaligned)));
    EXPECT_TRUE(DecodePlainBitmap(Bytes(truncated)).isNull());
}

TEST(PlainBitmap, LeavesOtherOrIncompleteFilesToTheReader)
{
    const QByteArray plain = BitmapFile(PatternImage(4, 4, QImage::Format_RGB32));
    EXPECT_TRUE(DecodePlainBitmap(BitmapFile(IndexedPattern(4, 4))).isNull());
    EXPECT_TRUE(DecodePlainBitmap(plain.left(plain.size() - 1)).isNull());
    EXPECT_TRUE(DecodePlainBitmap(plain.left(40)).isNull());
    EXPECT_TRUE(DecodePlainBitmap(QByteArray("not a bitmap at all, but long enough to hold a header....."))
                    .isNull());
}

} // namespace
