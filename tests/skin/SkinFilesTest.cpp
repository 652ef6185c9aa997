#include "skin/SkinFiles.h"
#include "skin/SkinPack.h"

#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace skintest;
namespace fs = std::filesystem;

namespace {

const fs::path kData(SKIN_TEST_DATA);

// Points the system's temporary folder at a private one for one test.
class PrivateTempFolder {
public:
    PrivateTempFolder()
    {
        if (const char* old = std::getenv("TMPDIR"))
            old_ = old;
        ::setenv("TMPDIR", dir_.Path().c_str(), 1);
    }
    ~PrivateTempFolder()
    {
        if (old_.empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", old_.c_str(), 1);
    }
    std::size_t FileCount() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()));
    }
    const fs::path& Path() const { return dir_.Path(); }

private:
    TempDir dir_;
    std::string old_;
};

} // namespace

TEST(SkinFiles, ExtractWritesAQseTemporaryFileThatReleaseDeletes)
{
    PrivateTempFolder temp;
    const CSkinFiles files("Skins\\Vexlor"); // the archive of this program
    const SkinFileRef ref = files.ExtractFile("buttons\\BTNA_UP.bmp");
    ASSERT_TRUE(ref.temporary);
    const fs::path path(ref.path);
    EXPECT_EQ(path.parent_path(), temp.Path());
    EXPECT_TRUE(path.filename().string().starts_with("qse"));
    EXPECT_EQ(path.extension(), ".bmp");
    EXPECT_EQ(ReadFile(path), ReadFile(kData / "Buttons" / "BtnA_Up.bmp"));

    files.ReleaseFile(ref);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(temp.FileCount(), 0u);
}

TEST(SkinFiles, EveryExtractionGetsItsOwnFileAndNoneIsLeftBehind)
{
    PrivateTempFolder temp;
    const CSkinFiles files("Skins/Vexlor");
    std::vector<SkinFileRef> refs;
    for (int i = 0; i < 20; ++i)
        refs.push_back(files.ExtractFile("skin.ini"));
    refs.push_back(files.ExtractFile("NotInTheArchive.bmp"));
    EXPECT_EQ(temp.FileCount(), 20u);
    for (const auto& ref : refs)
        files.ReleaseFile(ref);
    EXPECT_EQ(temp.FileCount(), 0u);
}

TEST(SkinFiles, MissingEntryNamesTheLooseFileAndReleaseLeavesIt)
{
    const TempDir dir;
    const std::string folder = dir / "Skins\\Vexlor";
    const CSkinFiles files(folder);
    const SkinFileRef ref = files.ExtractFile("ScrollBar\\ArrowUp.bmp");
    EXPECT_FALSE(ref.temporary);
    EXPECT_EQ(ref.path, (dir.Path() / "Skins" / "Vexlor" / "ScrollBar" / "ArrowUp.bmp").string());

    WriteFile(ref.path, "loose");
    files.ReleaseFile(ref);
    EXPECT_TRUE(fs::exists(ref.path));
    EXPECT_EQ(files.ReadFile("ScrollBar\\ArrowUp.bmp"), Bytes("loose"));
}

TEST(SkinFiles, FallbackPathJoinsWithOneSeparator)
{
    EXPECT_EQ(CSkinFiles::JoinFallbackPath("Skins\\Vexlor", "Backgrounds\\DlgBk.bmp"),
              "Skins/Vexlor/Backgrounds/DlgBk.bmp");
    EXPECT_EQ(CSkinFiles::JoinFallbackPath("Skins\\Vexlor\\", "skin.ini"), "Skins/Vexlor/skin.ini");
    EXPECT_EQ(CSkinFiles::JoinFallbackPath("Skins/Vexlor/", "skin.ini"), "Skins/Vexlor/skin.ini");
}

TEST(SkinFiles, LooseFilesAreFoundWhateverTheLetterCase)
{
    const TempDir dir;
    WriteFile(dir.Path() / "Skins" / "Vexlor" / "Buttons" / "btna_down.BMP", "face");
    const CSkinFiles files(dir / "skins\\VEXLOR");
    EXPECT_EQ(files.FallbackPath("BUTTONS\\BtnA_Down.bmp"),
              (dir.Path() / "Skins" / "Vexlor" / "Buttons" / "btna_down.BMP").string());
    EXPECT_EQ(files.ReadFile("Buttons\\BtnA_Down.bmp"), Bytes("face"));
}

TEST(SkinFiles, TheArchiveWinsOverALooseFileOfTheSameName)
{
    const TempDir dir;
    WriteFile(dir.Path() / "Skin" / "skin.ini", "loose copy");
    const CSkinFiles files(dir / "Skin");
    EXPECT_EQ(files.ReadFile("skin.ini"), ReadFile(kData / "skin.ini"));
    const SkinFileRef ref = files.ExtractFile("skin.ini");
    EXPECT_TRUE(ref.temporary);
    EXPECT_EQ(ReadFile(ref.path), ReadFile(kData / "skin.ini"));
    files.ReleaseFile(ref);
}

TEST(SkinFiles, ProgramWithoutArchiveTakesEveryFileFromTheFolder)
{
    const TempDir dir;
    WriteFile(dir.Path() / "program", FakeProgram());
    WriteFile(dir.Path() / "Skin" / "skin.ini", "loose");
    const CSkinFiles files(dir / "Skin", dir / "program");
    const SkinFileRef ref = files.ExtractFile("skin.ini");
    EXPECT_FALSE(ref.temporary);
    EXPECT_EQ(ReadFile(ref.path), Bytes("loose"));
    EXPECT_FALSE(CSkinFiles(dir / "Skin", dir / "no program").ExtractFile("skin.ini").temporary);
}

TEST(SkinFiles, AFailedDeletionShowsTheSystemErrorNumber)
{
    RecordingErrorSink errors;
    const CSkinFiles files("Skins\\Vexlor", CSkinFiles::DefaultArchivePath(), &errors);
    const SkinFileRef ref = files.ExtractFile("skin.ini");
    ASSERT_TRUE(ref.temporary);
    fs::remove(ref.path);
    files.ReleaseFile(ref);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0].text, std::to_string(ENOENT));
    EXPECT_EQ(errors.messages[0].icon, ISkinErrorSink::Icon::None);
}

TEST(SkinFiles, OversizedLooseFileIsNotRead)
{
    const TempDir dir;
    WriteFile(dir.Path() / "Skin" / "big.bin", ByteString(100, 1));
    const CSkinFiles files(dir / "Skin");
    EXPECT_FALSE(files.ReadFile("big.bin", 99));
    EXPECT_EQ(files.ReadFile("big.bin", 100), ByteString(100, 1));
    EXPECT_FALSE(files.ReadFile("missing.bin"));
}

TEST(SkinFiles, LoosePathsThatLeaveTheSkinFolderAreRefused)
{
    for (const char* bad : {"..\\secret.bin", "Buttons\\..\\..\\secret.bin", "../secret.bin", "a/../../secret.bin",
                            "/etc/passwd", "\\secret.bin", "C:\\secret.bin", "..", ""})
        EXPECT_FALSE(CSkinFiles::StaysInsideFolder(bad)) << bad;
    for (const char* good : {"skin.ini", "Buttons\\BtnA_Up.bmp", "a..b.bmp", "x/..y/z.bmp", "./skin.ini"})
        EXPECT_TRUE(CSkinFiles::StaysInsideFolder(good)) << good;

    const TempDir dir;
    WriteFile(dir.Path() / "secret.bin", "not a skin file");
    WriteFile(dir.Path() / "Skin" / "Buttons" / "face.bmp", "face");
    const CSkinFiles files(dir / "Skin", dir / "no program");
    EXPECT_FALSE(files.ReadFile("..\\secret.bin"));
    EXPECT_FALSE(files.ReadFile("Buttons\\..\\..\\secret.bin"));
    EXPECT_FALSE(files.ReadFile((dir.Path() / "secret.bin").string()));
    EXPECT_FALSE(files.HasLooseFile("..\\secret.bin"));
    EXPECT_EQ(files.ExtractFile("..\\secret.bin").path, "");
    EXPECT_EQ(files.ReadFile("Buttons\\face.bmp"), Bytes("face"));
}

TEST(SkinFiles, TwinPathMarksTheNameBeforeItsExtension)
{
    EXPECT_EQ(CSkinFiles::TwinPath("Buttons\\BtnA_Up.bmp"), "Buttons\\BtnA_Up@2x.bmp");
    EXPECT_EQ(CSkinFiles::TwinPath("DlgBk.bmp"), "DlgBk@2x.bmp");
    EXPECT_EQ(CSkinFiles::TwinPath("a.b/Plain"), "a.b/Plain@2x");
    EXPECT_EQ(CSkinFiles::TwinPath("a.b\\Plain"), "a.b\\Plain@2x");
    EXPECT_EQ(CSkinFiles::TwinPath("x.tar.bmp"), "x.tar@2x.bmp");
}
