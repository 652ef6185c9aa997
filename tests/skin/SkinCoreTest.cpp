#include "skin/SkinCore.h"
#include "skin/SkinPackWriter.h"

#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

// A description that is there but gives nothing is refused with one message.
void ExpectDescriptionRefused(const SkinOnDisk& disk)
{
    RecordingErrorSink errors;
    CSkinCore skin(&errors, disk.program());
    EXPECT_FALSE(skin.Load(disk.folder()));
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0].text, "Unable to load description: \"skin.ini\"");
    EXPECT_EQ(errors.messages[0].icon, ISkinErrorSink::Icon::Error);
}

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

// Refused before it is parsed, in the archive as loose.
TEST(SkinCore, OversizedDescriptionIsRefusedWithTheMessage)
{
    EXPECT_LE(CSkinCore::kMaxDescriptionSize, 8u << 20);
    const std::string big(CSkinCore::kMaxDescriptionSize + 1, ' ');
    const SkinOnDisk loose({});
    WriteFile(loose.looseFolder() / "skin.ini", big);
    const SkinOnDisk packed({{"skin.ini", Bytes(big)}});
    ExpectDescriptionRefused(loose);
    ExpectDescriptionRefused(packed);
    const SkinOnDisk justFits({{"skin.ini", Bytes("LONG(A::x, 1)" + std::string(CSkinCore::kMaxDescriptionSize - 13, ' '))}});
    CSkinCore skin(nullptr, justFits.program());
    EXPECT_TRUE(skin.Load(justFits.folder()));
}

// The description is read in memory: a temporary folder nobody may write to
// (the kernel's own /proc refuses every new file) changes nothing.
TEST(SkinCore, UnwritableTemporaryFolderStillLoadsTheArchivesDescription)
{
    const SkinOnDisk disk({{"skin.ini", Bytes("LONG(DlgMain::width, 783)")}});
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", "/proc", 1);
    RecordingErrorSink errors;
    CSkinCore skin(&errors, disk.program());
    const bool loaded = skin.Load(disk.folder());
    const SkinFileRef extracted = skin.ExtractFile("skin.ini");
    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_FALSE(extracted.temporary);  // the folder really cannot take a file
    EXPECT_TRUE(loaded);
    EXPECT_EQ(skin.GetLong("DlgMain", "width"), 783);
    EXPECT_TRUE(errors.messages.empty());
}

// The program's own skin that yields nothing would open a 0 x 0 window.
TEST(SkinCore, ArchivedDescriptionWithoutValuesFailsToLoad)
{
    const SkinOnDisk onlyComments({{"skin.ini", Bytes("// nothing here\n/* at all */\n")}});
    const SkinOnDisk broken({{"skin.ini", Bytes("LONG(A::x, 1)")}});
    {
        // Damage the stream of the one entry: its last byte is the checksum's.
        ByteString bytes = ReadFile(broken.program());
        bytes.back() ^= 0xFF;
        WriteFile(broken.program(), bytes);
    }
    ExpectDescriptionRefused(onlyComments);
    ExpectDescriptionRefused(broken);
    // A loose description of comments only is still an empty skin.
    const SkinOnDisk loose({});
    WriteFile(loose.looseFolder() / "skin.ini", "// nothing\n");
    CSkinCore skin(nullptr, loose.program());
    EXPECT_TRUE(skin.Load(loose.folder()));
}

TEST(SkinCore, CrLfLineEndsLeaveNoCarriageReturnInValues)
{
    const SkinOnDisk disk({{"skin.ini", Bytes("STRING(A::two, first\r\nsecond)\r\nSTRING(A::end, last\r\n)\r\n"
                                              "LONG(A::n, 5)\r\n")}});
    CSkinCore skin(nullptr, disk.program());
    ASSERT_TRUE(skin.Load(disk.folder()));
    EXPECT_EQ(skin.GetString("A", "two"), "first\nsecond");
    EXPECT_EQ(skin.GetString("A", "end"), "last\n");
    EXPECT_EQ(skin.GetLong("A", "n"), 5);
}
