#include "presets/PresetFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace presets;
namespace fs = std::filesystem;

namespace {

class PresetFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("vexlor_presetfile_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

}  // namespace

TEST(PresetFileNames, TempNameIsLowerCaseHexWithoutLeadingZeros)
{
    EXPECT_EQ(PresetTempFileName(0), "preset0.pst");
    EXPECT_EQ(PresetTempFileName(10), "preseta.pst");
    EXPECT_EQ(PresetTempFileName(16), "preset10.pst");
    EXPECT_EQ(PresetTempFileName(39), "preset27.pst");
    EXPECT_EQ(PresetTempFileName(255), "presetff.pst");
}

TEST_F(PresetFileTest, WriteThenReadGivesTheSameBytesIncludingZeros)
{
    ByteString bytes;
    for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 7));
    bytes[3] = 0;
    ASSERT_TRUE(WritePresetFile(Path("a.pst"), bytes));
    EXPECT_EQ(ReadPresetFile(Path("a.pst")), bytes);
    // Overwrite with shorter data truncates.
    ASSERT_TRUE(WritePresetFile(Path("a.pst"), ByteString{1, 2}));
    EXPECT_EQ(ReadPresetFile(Path("a.pst")), (ByteString{1, 2}));
}

TEST_F(PresetFileTest, MissingFileReadsEmptyWithoutLogAndUncreatableFileIsRefused)
{
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadPresetFile(Path("none.pst"), [&](const std::string& l) { lines.push_back(l); }).empty());
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(WritePresetFile(Path("no/such/dir/x.pst"), ByteString{1}));
    EXPECT_FALSE(WritePresetFile("", ByteString{1}));
}

TEST_F(PresetFileTest, AFailedWriteSaysWhyAndLeavesNothingBehind)
{
    std::string reason;
    EXPECT_FALSE(WritePresetFile(Path("no/such/dir/x.pst"), ByteString{1}, &reason));
    EXPECT_EQ(reason, std::strerror(ENOENT));
    // The name is taken by a folder: the bytes written beside it are removed again.
    fs::create_directories(dir_ / "taken.pst" / "inside");
    reason.clear();
    EXPECT_FALSE(WritePresetFile(Path("taken.pst"), ByteString{1, 2, 3}, &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.pst" / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(PresetFileTest, OversizedFileIsLoggedAndGivesNothing)
{
    {
        std::ofstream out(Path("big.pst"), std::ios::binary);
        out.seekp(static_cast<std::streamoff>(kMaxPresetFileBytes));
        out.put(1);
    }
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadPresetFile(Path("big.pst"), [&](const std::string& l) { lines.push_back(l); }).empty());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "File Read Error ");
}

TEST(PresetNames, NameStopsAtFirstZeroOrAfterFifteenBytes)
{
    const std::string full = "ABCDEFGHIJKLMNOPQ";
    EXPECT_EQ(PresetNameFromBytes(ByteString(full.begin(), full.end())), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(PresetNameFromBytes(ByteString{'r', 'o', 'c', 'k', 0, 'x'}), "rock");
    EXPECT_EQ(PresetNameFromBytes(ByteString{0, 'a'}), "");
    EXPECT_EQ(PresetNameFromBytes(ByteString{'a', 'b'}), "ab");
    EXPECT_EQ(PresetNameFromBytes({}), "");
}

TEST(PresetNames, RenameCarriesExactlyFifteenBytesPaddedWithZeros)
{
    ByteString abc = PresetRenameBytes(ToUpperAscii("abc"));
    ByteString expected(15, 0);
    expected[0] = 'A';
    expected[1] = 'B';
    expected[2] = 'C';
    EXPECT_EQ(abc, expected);
    EXPECT_EQ(PresetRenameBytes("12345678901234567890"),
              ByteString({'1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2', '3', '4', '5'}));
    EXPECT_EQ(PresetRenameBytes(""), ByteString(15, 0));
}
