#include "skin/ui/Skin.h"
#include "skin/ui/SkinDrawing.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace {

void Put(QByteArray& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A one-row 16-bit bitmap file: plain (5-5-5) or with 5-6-5 bit fields.
QByteArray SixteenBitBmp(const std::vector<std::uint16_t>& pixels, bool fiveSixFive)
{
    const int width = static_cast<int>(pixels.size());
    const int row = (width * 2 + 3) / 4 * 4;
    const int offset = 14 + 40 + (fiveSixFive ? 12 : 0);
    QByteArray bmp("BM");
    Put(bmp, static_cast<std::uint32_t>(offset + row), 4);
    Put(bmp, 0, 4);
    Put(bmp, static_cast<std::uint32_t>(offset), 4);
    Put(bmp, 40, 4);
    Put(bmp, static_cast<std::uint32_t>(width), 4);
    Put(bmp, 1, 4);
    Put(bmp, 1, 2);
    Put(bmp, 16, 2);
    Put(bmp, fiveSixFive ? 3 : 0, 4);
    Put(bmp, static_cast<std::uint32_t>(row), 4);
    Put(bmp, 2835, 4);
    Put(bmp, 2835, 4);
    Put(bmp, 0, 4);
    Put(bmp, 0, 4);
    if (fiveSixFive) {
        Put(bmp, 0xF800, 4);
        Put(bmp, 0x07E0, 4);
        Put(bmp, 0x001F, 4);
    }
    for (const std::uint16_t pixel : pixels)
        Put(bmp, pixel, 2);
    while (bmp.size() < offset + row)
        bmp.append('\0');
    return bmp;
}

class NoErrors : public ISkinErrorSink {
public:
    void OnSkinError(const std::string& text, Icon) override { ADD_FAILURE() << text; }
};

QImage LoadThroughSkin(const QByteArray& bmp)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("S");
    QFile ini(dir.path() + "/S/skin.ini");
    EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("IMAGE(Dlg::bk, \"Bk.bmp\")\n");
    ini.close();
    QFile file(dir.path() + "/S/Bk.bmp");
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bmp);
    file.close();
    NoErrors errors;
    CSkin skin(&errors, "/nonexistent/vexlor-no-archive");
    EXPECT_TRUE(skin.Load((dir.path() + "/S").toStdString()));
    return skin.GetImage("Dlg", "bk", nullptr);
}

constexpr std::uint32_t kMagenta = 0x00FF00FF;

} // namespace

// A 16-bit skin bitmap is cut by its own 16-bit values: a pixel written as the
// mask colour in that layout is transparent, whatever the image library widens
// its five-bit channels to.
TEST(SkinSixteenBit, MaskColouredPixelsOfA565BitmapAreCutOut)
{
    const QImage image = LoadThroughSkin(SixteenBitBmp({0xF81F, 0x1234, 0xF81F, 0x07E0}, true));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(RegionFromBitmap(image, kMagenta), QRegion(1, 0, 1, 1) + QRegion(3, 0, 1, 1));
    // #0072CB in 5-6-5: red 0, green 0x72 >> 2, blue 0xCB >> 3.
    const auto blue = static_cast<std::uint16_t>(((0x72 >> 2) << 5) | (0xCB >> 3));
    const QImage other = LoadThroughSkin(SixteenBitBmp({blue, 0xFFFF}, true));
    EXPECT_EQ(RegionFromBitmap(other, 0x00CB7200u), QRegion(1, 0, 1, 1));
}

TEST(SkinSixteenBit, MaskColouredPixelsOfAPlain555BitmapAreCutOut)
{
    const QImage image = LoadThroughSkin(SixteenBitBmp({0x7C1F, 0x7C1E, 0x7C1F}, false));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(RegionFromBitmap(image, kMagenta), QRegion(1, 0, 1, 1));
}

// Pixels are compared as stored: the unused top bit set makes a pixel that is
// not the mask colour's value, though it shows the same colour.
TEST(SkinSixteenBit, A555PixelWithItsTopBitSetIsNotCutOut)
{
    const QImage image = LoadThroughSkin(SixteenBitBmp({0xFC1F, 0x7C1F, 0x801F}, false));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(RegionFromBitmap(image, kMagenta), QRegion(0, 0, 1, 1) + QRegion(2, 0, 1, 1));
    EXPECT_EQ(image.pixel(0, 0), image.pixel(1, 0));  // drawn alike
}
