// Large faces kept decoded on disk between runs: what a later run maps is the
// face it would have decoded, and a stale, damaged or unwritable cache costs
// nothing but the decoding.
#include "skin/SkinArchive.h"
#include "skin/SkinPackWriter.h"
#include "skin/ui/FaceCache.h"
#include "skin/ui/Skin.h"
#include "skin/ui/SkinDrawing.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kMagenta = 0xFF00FF;

class Errors : public ISkinErrorSink {
public:
    void OnSkinError(const std::string& text, Icon) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// A face of `size` with a cut-out corner in the mask colour and a pattern that
// depends on `seed`, as a bitmap file.
QImage Face(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed) & 0xFF, (y * 3 + seed) & 0xFF, (x ^ y) & 0xFF));
    for (int y = 0; y < size.height() / 10; ++y)
        for (int x = 0; x < size.width() / 10 - y; ++x)
            image.setPixel(x, y, kMagenta);
    return image;
}

ByteString Bmp(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return ByteString(bytes.begin(), bytes.end());
}

ByteString Text(const std::string& text)
{
    return ByteString(text.begin(), text.end());
}

// The pages of this process that map `file`.
bool Maps(const void* address, const std::string& file)
{
    std::ifstream maps("/proc/self/maps");
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (std::string line; std::getline(maps, line);) {
        if (line.find(file) == std::string::npos)
            continue;
        const std::uintptr_t from = std::stoull(line.substr(0, line.find('-')), nullptr, 16);
        const std::uintptr_t to = std::stoull(line.substr(line.find('-') + 1), nullptr, 16);
        if (at >= from && at < to)
            return true;
    }
    return false;
}

class FaceCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        archive_ = (fs::path(dir_.path().toStdString()) / "skin.pack").string();
        folder_ = (fs::path(dir_.path().toStdString()) / "faces").string();
        WriteSkin(1);
    }

    // A skin whose large face (and its twin) follow `seed`, with a small face
    // beside it.
    void WriteSkin(int seed)
    {
        const ByteString archive = CSkinPackWriter::Build({
            {"skin.ini", Text("IMAGE(Main::background, \"Big.bmp\")\nLONG(Main::bkcolormask, \"#FF00FF\")\n"
                              "IMAGE(Small::up, \"Small.bmp\")\n")},
            {"Big.bmp", Bmp(Face({480, 240}, seed))},
            {"Big@2x.bmp", Bmp(Face({960, 480}, seed + 1))},
            {"Small.bmp", Bmp(Face({20, 10}, seed))},
        });
        std::ofstream(archive_, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
    }

    // A run of the program: a skin that keeps its faces in `folder`, or none.
    std::unique_ptr<CSkin> Run(const std::string& folder)
    {
        auto skin = std::make_unique<CSkin>(&errors_, archive_);
        EXPECT_TRUE(skin->Load("Skins\\Test"));
        skin->KeepFacesIn(folder);
        return skin;
    }

    struct Shown {
        QImage image;
        QRegion shape;
    };
    // What a window asking for the main face at `scale` gets.
    static Shown Show(CSkin& skin, int scale, bool prefetched)
    {
        if (prefetched)
            skin.Prefetch({{"Main", "background"}}, scale);
        static const int user = 0;
        const QImage image = skin.GetImage("Main", "background", reinterpret_cast<SkinUser>(&user), scale);
        return {image, skin.Shape(image, kMagenta)};
    }

    QTemporaryDir dir_;
    std::string archive_;
    std::string folder_;
    Errors errors_;
};

TEST_F(FaceCacheTest, AFaceDecodedByOneRunIsMappedByTheNextAsTheSameFaceAtBothScales)
{
    for (const int scale : {1, 2}) {
        for (const bool prefetched : {true, false}) {
            SCOPED_TRACE(testing::Message() << "scale " << scale << (prefetched ? ", prefetched" : ""));
            fs::remove_all(folder_);
            const Shown decoded = Show(*Run(""), scale, prefetched);
            ASSERT_FALSE(decoded.image.isNull());
            EXPECT_FALSE(fs::exists(folder_));
            Show(*Run(folder_), scale, prefetched); // decodes, and keeps it when the skin goes

            const auto skin = Run(folder_);
            const Shown kept = Show(*skin, scale, prefetched);
            const std::string file = CFaceCache(folder_).FilePath(scale == 2 ? "Big@2x.bmp" : "Big.bmp");
            EXPECT_TRUE(Maps(kept.image.constBits(), file)) << "drawn from the kept file, not decoded";
            EXPECT_EQ(kept.image, decoded.image);
            EXPECT_EQ(kept.image.devicePixelRatio(), scale);
            EXPECT_EQ(kept.shape, decoded.shape);
            EXPECT_EQ(kept.shape.boundingRect(), QRect(0, 0, 480, 240)) << "in logical pixels";
        }
    }
    // Small faces decode faster than a file opens.
    auto skin = Run(folder_);
    static const int user = 0;
    EXPECT_FALSE(skin->GetImage("Small", "up", reinterpret_cast<SkinUser>(&user)).isNull());
    skin.reset();
    EXPECT_FALSE(fs::exists(CFaceCache(folder_).FilePath("Small.bmp")));
    EXPECT_TRUE(errors_.texts.empty());
}

TEST_F(FaceCacheTest, AChangedSkinIsDecodedAfreshAndKeptAgain)
{
    Show(*Run(folder_), 1, true);
    WriteSkin(2);
    const Shown fresh = Show(*Run(""), 1, true);
    const Shown first = Show(*Run(folder_), 1, true);
    EXPECT_EQ(first.image, fresh.image) << "not the face kept from the old skin";
    const auto skin = Run(folder_);
    const Shown second = Show(*skin, 1, true);
    EXPECT_TRUE(Maps(second.image.constBits(), CFaceCache(folder_).FilePath("Big.bmp")));
    EXPECT_EQ(second.image, fresh.image);
}

TEST_F(FaceCacheTest, ADamagedKeptFileIsPassedOverAndReplaced)
{
    const Shown decoded = Show(*Run(""), 2, true);
    const std::string file = CFaceCache(folder_).FilePath("Big@2x.bmp");
    const auto patch = [&file](std::streamoff at, std::uint32_t value) {
        std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(at);
        f.write(reinterpret_cast<const char*>(&value), sizeof value);
    };
    // Header: magic (8), size, packed size, CRC, width, height, bytes per
    // line, format, has shape, mask colour, rectangle count; then rectangles.
    const std::vector<std::pair<const char*, std::function<void()>>> damages{
        {"cut short", [&] { fs::resize_file(file, fs::file_size(file) - 5000); }},
        {"cut to its header", [&] { fs::resize_file(file, 20); }},
        {"longer", [&] { fs::resize_file(file, fs::file_size(file) + 4096); }},
        {"not a face", [&] { patch(0, 0x4D42); }},
        {"another face's print", [&] { patch(16, 0); }},
        {"wider", [&] { patch(20, 961); }},
        {"huge", [&] { patch(24, 0x7FFFFFFF); }},
        {"stride", [&] { patch(28, 960 * 4 + 4); }},
        {"format", [&] { patch(32, QImage::Format_Indexed8); }},
        {"more rectangles", [&] { patch(44, 100000); }},
        {"rectangle outside", [&] { patch(48, 5000); }},
        {"rectangle as wide as can be", [&] { patch(56, 0x7FFFFFFF); }},
        {"rectangles out of order", [&] { patch(52, 300); }},
        {"a folder", [&] {
             fs::remove(file);
             fs::create_directory(file);
         }},
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        fs::remove_all(folder_);
        Show(*Run(folder_), 2, true);
        ASSERT_TRUE(fs::is_regular_file(file));
        damage();
        EXPECT_FALSE(CFaceCache(folder_).Find("Big@2x.bmp", *CSkinArchive(archive_).Print("Big@2x.bmp")));
        const Shown shown = Show(*Run(folder_), 2, true);
        EXPECT_EQ(shown.image, decoded.image);
        EXPECT_EQ(shown.shape, decoded.shape);
        if (fs::is_regular_file(file)) {
            const auto skin = Run(folder_);
            const Shown again = Show(*skin, 2, true);
            EXPECT_TRUE(Maps(again.image.constBits(), file)) << "kept again";
            EXPECT_EQ(again.image, decoded.image);
        }
    }
    EXPECT_TRUE(errors_.texts.empty());
}

TEST_F(FaceCacheTest, ACacheThatCannotBeWrittenCostsOnlyTheDecoding)
{
    const std::string blocked = (fs::path(folder_) / "under-a-file").string();
    std::ofstream(folder_) << "a file where the folder would be";
    const Shown decoded = Show(*Run(""), 1, true);
    for (int run = 0; run < 2; ++run) {
        const Shown shown = Show(*Run(blocked), 1, true);
        EXPECT_EQ(shown.image, decoded.image);
        EXPECT_EQ(shown.shape, decoded.shape);
    }
    EXPECT_FALSE(CFaceCache(blocked).Keep("Big.bmp", {1, 2, 3}, {decoded.image, std::nullopt, 0}));
    EXPECT_FALSE(CFaceCache().Keep("Big.bmp", {1, 2, 3}, {decoded.image, std::nullopt, 0}));
    EXPECT_TRUE(errors_.texts.empty());
}

TEST(FaceCacheNames, EveryEntryHasItsOwnFileInsideTheFolder)
{
    const CFaceCache cache("/cache");
    EXPECT_EQ(cache.FilePath("Backgrounds\\DlgBk@2x.bmp"), "/cache/Backgrounds_DlgBk@2x.bmp.face");
    EXPECT_EQ(cache.FilePath("..\\..\\etc/passwd"), "/cache/.._.._etc_passwd.face");
    EXPECT_EQ(cache.FilePath("a b%"), "/cache/a%20b%25.face");
    EXPECT_FALSE(CFaceCache().Enabled());
}

} // namespace
