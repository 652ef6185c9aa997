#include "skin/SkinPack.h"
#include "skin/SkinPackWriter.h"

#include "skin/SkinMutation.h"
#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace skintest;

namespace {

ByteString Le32(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

} // namespace

// Damaged archives of every kind: the reader never reads out of bounds (ASan
// watches in CI), and whatever it returns is exactly the content of a file
// that was packed, never bytes made up from damage.
TEST(SkinPackMutation, DamagedArchivesNeverCrashOrReturnWrongBytes)
{
    const std::vector<SkinPackFile> files = {
        {"skin.ini", Bytes("LONG(A::x, 1)\nSTRING(A::s, \"text text text\")\n")},
        {"Buttons\\B.bmp", FakeProgram(300)},
        {"Empty.txt", {}},
        {"Leds\\LedsBk.bmp", ByteString(200, 7)},
    };
    std::set<ByteString> contents;
    for (const auto& file : files)
        contents.insert(file.data);

    ByteString input = FakeProgram(64);
    const ByteString archive = CSkinPackWriter::Build(files);
    input.insert(input.end(), archive.begin(), archive.end());

    const auto sig = CSkinPack::Signature();
    const auto name = CSkinPack::ArchiveName();
    std::vector<ByteString> dictionary = {
        ByteString(sig.begin(), sig.end()), ByteString(name.begin(), name.end()),
        Le32(0), Le32(1), Le32(247), Le32(248), Le32(0xFFFFFFFFu), Le32(0x7FFFFFFFu), Le32(300), Le32(301),
        Le32(CSkinPack::kMaxEntrySize), {0x78, 0x9C}, Bytes("SKIN.INI"), Bytes("Buttons\\b.bmp"),
    };
    ByteString signature(sig.size() + name.size());
    std::copy(sig.begin(), sig.end(), signature.begin());
    std::copy(name.begin(), name.end(), signature.begin() + static_cast<std::ptrdiff_t>(sig.size()));
    dictionary.push_back(signature);

    Mutator mutator(20261207u, dictionary);
    constexpr int kInputs = 100000;
    int withArchive = 0;
    int found = 0;
    for (int i = 0; i < kInputs; ++i) {
        const ByteString mutated = mutator.Mutate(input);
        const CMemorySource source(mutated);
        const CSkinPack pack = CSkinPack::Index(source);
        withArchive += pack.HasArchive() ? 1 : 0;
        for (const auto& entry : pack.Entries()) {
            ASSERT_LE(entry.path.size(), CSkinPack::kMaxPathLength);
            ASSERT_LE(entry.dataOffset + entry.packedSize, mutated.size());
            if (const auto bytes = CSkinPack::Read(source, entry)) {
                ++found;
                ASSERT_EQ(contents.count(*bytes), 1u) << "input " << i << " entry " << entry.path;
            }
        }
        for (const auto& file : files) {
            if (const auto bytes = pack.Read(source, file.path)) {
                ASSERT_EQ(contents.count(*bytes), 1u) << "input " << i;
            }
        }
    }
    // The mutations must leave enough intact to reach deep into the reader.
    EXPECT_GT(withArchive, kInputs / 2);
    EXPECT_GT(found, kInputs / 2);
}
