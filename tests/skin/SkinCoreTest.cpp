#include "skin/SkinCore.h"
#include "skin/SkinPackWriter.h"

#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

using namespace skintest;

namespace {

// A program carrying the given files, and a loose folder beside it.
struct SkinOnDisk {
    explicit SkinOnDisk(const std::vector<SkinPackFile>& packed)
    {
        ByteString bytes = FakeProgram();
        if (!packed.empty()) {
            const ByteString archive = CSkinPackWriter::Build(packed);
            bytes.insert(bytes.end(), archive.begin(), archive.end());
        }
        WriteFile(program(), bytes);
    }
    std::string program() const { return dir / "program"; }
    std::string folder() const { return dir / "Skins\\Vexlor"; }
    std::filesystem::path looseFolder() const { return dir.Path() / "Skins" / "Vexlor"; }

    TempDir dir;
};

} // namespace

TEST(SkinCore, LoadsTheDescriptionAppendedToThisProgram)
{
    RecordingErrorSink errors;
    CSkinCore skin(&errors);
    ASSERT_TRUE(skin.Load("Skins\\Vexlor"));
    EXPECT_TRUE(skin.IsLoaded());
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(skin.Folder(), "Skins\\Vexlor");
    EXPECT_EQ(skin.GetLong("DlgMain", "width"), 783);
    EXPECT_EQ(skin.GetLong("DlgMain", "bkcolormask"), 0x00FF00FF);
    EXPECT_EQ(skin.GetString("BtnA", "caption"), "A, (compare)");
    EXPECT_EQ(skin.GetImagePath("BtnA", "up"), "Buttons\\BtnA_Up.bmp");
    EXPECT_EQ(skin.GetIconPath("Tree", "icon"), "tree_icon.ico");
    EXPECT_EQ(skin.GetLong("DlgMain", "missing"), 0);
    EXPECT_EQ(skin.GetString("DlgMain", "missing"), "");
    EXPECT_FALSE(skin.GetImagePath("BtnA", "over"));
    EXPECT_FALSE(skin.GetImagePath("btna", "up"));
}

TEST(SkinCore, NoFolderFailsAndNoDescriptionGivesAnEmptySkin)
{
    CSkinCore unnamed;
    EXPECT_FALSE(unnamed.Load(""));
    EXPECT_FALSE(unnamed.IsLoaded());

    const SkinOnDisk disk({{"other.bmp", Bytes("x")}});
    RecordingErrorSink errors;
    CSkinCore skin(&errors, disk.program());
    EXPECT_TRUE(skin.Load(disk.folder()));
    EXPECT_TRUE(skin.IsLoaded());
    EXPECT_TRUE(skin.Values().Empty());
    EXPECT_TRUE(errors.messages.empty());
}

TEST(SkinCore, LooseDescriptionFillsTheGapOfTheArchive)
{
    const SkinOnDisk disk({});
    WriteFile(disk.looseFolder() / "SKIN.INI", "LONG(A::x, 5)");
    CSkinCore skin(nullptr, disk.program());
    ASSERT_TRUE(skin.Load(disk.folder()));
    EXPECT_EQ(skin.GetLong("A", "x"), 5);
}

TEST(SkinCore, BadDescriptionShowsTheErrorAndFails)
{
    const SkinOnDisk disk({{"skin.ini", Bytes("LONG(A::x, 1)\r\n// fine\r\nLONG(A::y 2)\r\nLONG(A::z, 3)")}});
    RecordingErrorSink errors;
    CSkinCore skin(&errors, disk.program());
    EXPECT_FALSE(skin.Load(disk.folder()));
    EXPECT_FALSE(skin.IsLoaded());
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0].text, "Error (0) in line 3");
    EXPECT_EQ(errors.messages[0].icon, ISkinErrorSink::Icon::Error);
    EXPECT_EQ(std::string(kSkinErrorCaption), "Skin Error");
}

TEST(SkinCore, OversizedDescriptionIsRefusedWithTheMessage)
{
    const SkinOnDisk disk({});
    WriteFile(disk.looseFolder() / "skin.ini", std::string(CSkinCore::kMaxDescriptionSize + 1, ' '));
    RecordingErrorSink errors;
    CSkinCore skin(&errors, disk.program());
    EXPECT_FALSE(skin.Load(disk.folder()));
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0].text, "Error (0) in line 0");
}
