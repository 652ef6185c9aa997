#include "skin/SkinPack.h"
#include "skin/SkinPackWriter.h"

#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

using namespace skintest;

namespace {

int RunQuilpack(const std::string& arguments)
{
    const std::string command = std::string("\"") + QUILPACK_PATH + "\" " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

} // namespace

TEST(Quilpack, PacksAFolderThatTheReaderFindsAgain)
{
    const TempDir dir;
    const std::string archive = dir / "skin.qpk";
    ASSERT_EQ(RunQuilpack("pack " + Quoted(SKIN_TEST_DATA) + " " + Quoted(archive)), 0);
    const std::filesystem::path data(SKIN_TEST_DATA);
    EXPECT_EQ(CSkinPack::Find(archive, "skin.ini"), ReadFile(data / "skin.ini"));
    EXPECT_EQ(CSkinPack::Find(archive, "BACKGROUNDS\\DLGBK.BMP"), ReadFile(data / "Backgrounds" / "DlgBk.bmp"));
    EXPECT_EQ(CSkinPack::Find(archive, "Empty.txt"), ByteString{});
    EXPECT_EQ(ReadFile(archive), CSkinPackWriter::Build(CSkinPackWriter::CollectFolder(data)));
}

TEST(Quilpack, AppendsToAProgramAndReplacesItsOwnEarlierArchive)
{
    const TempDir dir;
    const std::string program = dir / "program";
    WriteFile(program, FakeProgram());
    ASSERT_EQ(RunQuilpack("append " + Quoted(SKIN_TEST_DATA) + " " + Quoted(program)), 0);
    const auto once = ReadFile(program);
    ASSERT_EQ(RunQuilpack("append " + Quoted(SKIN_TEST_DATA) + " " + Quoted(program)), 0);
    EXPECT_EQ(ReadFile(program), once);
    EXPECT_EQ(CSkinPack::Find(program, "buttons\\btna_up.bmp"),
              ReadFile(std::filesystem::path(SKIN_TEST_DATA) / "Buttons" / "BtnA_Up.bmp"));
    EXPECT_EQ(RunQuilpack("list " + Quoted(program)), 0);
}

TEST(Quilpack, FailsClearlyOnBadArguments)
{
    const TempDir dir;
    EXPECT_EQ(RunQuilpack(""), 2);
    EXPECT_EQ(RunQuilpack("pack " + Quoted(dir / "missing") + " " + Quoted(dir / "out")), 1);
    EXPECT_EQ(RunQuilpack("append " + Quoted(SKIN_TEST_DATA) + " " + Quoted(dir / "missing")), 1);
    WriteFile(dir.Path() / "plain", FakeProgram());
    EXPECT_EQ(RunQuilpack("list " + Quoted(dir / "plain")), 1);
}
