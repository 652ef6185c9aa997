// The skin archive is found by the first "@@@@QuilPack" in the executable. The
// program's own bytes must never hold it, whichever compiler built them, or the
// appended archive behind them is never found.
#include "skin/SkinPack.h"
#include "skin/SkinPackSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

void ExpectTheSignatureOnlyAtTheAppendedArchive(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<char> magic;
    for (const std::uint8_t byte : CSkinPack::Signature()) magic.push_back(static_cast<char>(byte));
    for (const std::uint8_t byte : CSkinPack::ArchiveName()) magic.push_back(static_cast<char>(byte));

    std::vector<std::size_t> found;
    for (auto it = file.begin(); (it = std::search(it, file.end(), magic.begin(), magic.end())) != file.end(); ++it)
        found.push_back(static_cast<std::size_t>(it - file.begin()));
    ASSERT_EQ(found.size(), 1u) << path << ": the signature stands before the archive too";

    const CFileSource source(path);
    const CSkinPack pack = CSkinPack::Index(source);
    EXPECT_EQ(pack.ArchiveOffset(), found.front());
    EXPECT_TRUE(pack.EndsCleanly());
    EXPECT_NE(pack.Lookup("skin.ini"), nullptr);
}

}  // namespace

TEST(SkinArchiveSignature, ThisProgramHoldsItOnlyAtItsAppendedArchive)
{
    ExpectTheSignatureOnlyAtTheAppendedArchive("/proc/self/exe");
}

TEST(SkinArchiveSignature, VexlorHoldsItOnlyAtItsAppendedArchive)
{
#ifdef VEXLOR_PATH
    ExpectTheSignatureOnlyAtTheAppendedArchive(VEXLOR_PATH);
#else
    GTEST_SKIP() << "built without the user interface";
#endif
}
