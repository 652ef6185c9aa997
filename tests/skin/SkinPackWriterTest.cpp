#include "skin/SkinPackWriter.h"
#include "skin/SkinPack.h"

#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace skintest;

TEST(SkinPackWriter, WritesHeaderTextNoneAndOneDefaultZlibStreamPerFile)
{
    const ByteString archive = CSkinPackWriter::Build({{"b.txt", Bytes("bee")}, {"a.txt", Bytes("ay")}});
    ASSERT_GT(archive.size(), 40u);
    EXPECT_EQ(std::memcmp(archive.data(), "@@@@", 4), 0);
    EXPECT_EQ(std::memcmp(archive.data() + 4, "QuilPack", 8), 0);
    EXPECT_EQ(ByteString(archive.begin() + 12, archive.begin() + 32), ByteString(20, 0));
    EXPECT_EQ(ByteString(archive.begin() + 32, archive.begin() + 40), Bytes(std::string("\x04\0\0\0none", 8)));

    const CMemorySource source(archive);
    const CSkinPack pack = CSkinPack::Index(source);
    ASSERT_EQ(pack.Entries().size(), 2u);
    for (const auto& entry : pack.Entries()) {
        ByteString head(2);
        ASSERT_TRUE(source.ReadAt(entry.dataOffset, head));
        EXPECT_EQ(head, (ByteString{0x78, 0x9C}));
    }
    EXPECT_EQ(pack.Entries()[0].dataOffset, 40u + 4 + 5 + 8);
}

TEST(SkinPackWriter, SortsByUpperCasedPath)
{
    const ByteString archive = CSkinPackWriter::Build({
        {"Buttons\\BtnA_Disable.bmp", Bytes("1")},
        {"skin.ini", Bytes("2")},
        {"Buttons\\BtnApply_Down.bmp", Bytes("3")},
        {"backgrounds\\z.bmp", Bytes("4")},
    });
    const CMemorySource source(archive);
    const CSkinPack pack = CSkinPack::Index(source);
    std::vector<std::string> order;
    for (const auto& entry : pack.Entries())
        order.push_back(entry.path);
    EXPECT_EQ(order, (std::vector<std::string>{"backgrounds\\z.bmp", "Buttons\\BtnApply_Down.bmp",
                                               "Buttons\\BtnA_Disable.bmp", "skin.ini"}));
}

TEST(SkinPackWriter, RefusesWhatAReaderCouldNotUse)
{
    EXPECT_THROW(CSkinPackWriter::Build({{"a.bmp", {}}, {"A.BMP", {}}}), CSkinPackWriter::Error);
    EXPECT_THROW(CSkinPackWriter::Build({{std::string(248, 'x'), {}}}), CSkinPackWriter::Error);
    EXPECT_THROW(CSkinPackWriter::Build({{"", {}}}), CSkinPackWriter::Error);
    EXPECT_NO_THROW(CSkinPackWriter::Build({{std::string(247, 'x'), {}}}));
}

TEST(SkinPackWriter, CollectsAFolderWithBackslashPaths)
{
    const TempDir dir;
    WriteFile(dir.Path() / "skin.ini", "x");
    WriteFile(dir.Path() / "Buttons" / "Deep" / "B.bmp", "yy");
    auto files = CSkinPackWriter::CollectFolder(dir.Path());
    std::sort(files.begin(), files.end(), [](auto& a, auto& b) { return a.path < b.path; });
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].path, "Buttons\\Deep\\B.bmp");
    EXPECT_EQ(files[0].data, Bytes("yy"));
    EXPECT_EQ(files[1].path, "skin.ini");
    EXPECT_THROW(CSkinPackWriter::CollectFolder(dir.Path() / "missing"), CSkinPackWriter::Error);
}

TEST(SkinPackWriter, AppendingAgainReplacesTheEarlierArchive)
{
    const TempDir dir;
    const std::string program = dir / "program";
    WriteFile(program, FakeProgram());
    CSkinPackWriter::AppendToFile(program, CSkinPackWriter::Build({{"skin.ini", Bytes("old text")}}));
    CSkinPackWriter::AppendToFile(program, CSkinPackWriter::Build({{"skin.ini", Bytes("new")}}));
    const ByteString bytes = ReadFile(program);
    EXPECT_EQ(ByteString(bytes.begin(), bytes.begin() + 3000), FakeProgram());
    EXPECT_EQ(bytes.size(), 3000 + CSkinPackWriter::Build({{"skin.ini", Bytes("new")}}).size());
    EXPECT_EQ(CSkinPack::Find(program, "skin.ini"), Bytes("new"));
}

TEST(SkinPackWriter, RefusesAProgramThatAlreadyHoldsTheSignatureElsewhere)
{
    const TempDir dir;
    const std::string program = dir / "program";
    ByteString bytes = FakeProgram();
    const ByteString header = CSkinPackWriter::Header();
    bytes.insert(bytes.begin() + 100, header.begin(), header.end());
    WriteFile(program, bytes);
    EXPECT_THROW(CSkinPackWriter::AppendToFile(program, CSkinPackWriter::Build({{"a", {}}})),
                 CSkinPackWriter::Error);
    EXPECT_EQ(ReadFile(program), bytes);
}
