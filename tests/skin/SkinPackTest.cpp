#include "skin/SkinPack.h"
#include "skin/SkinPackWriter.h"

#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

using namespace skintest;

namespace {

const std::vector<SkinPackFile> kFiles = {
    {"skin.ini", Bytes("LONG(BtnA::offset_left, 695)\n")},
    {"Backgrounds\\DlgBk.bmp", ByteString(5000, 0x42)},
    {"Buttons\\BtnA_Up.bmp", FakeProgram(777)},
    {"Empty.txt", {}},
};

// A program with an archive appended, indexed from memory.
struct Packed {
    explicit Packed(ByteString archive, ByteString program = FakeProgram())
        : bytes(std::move(program)), archiveOffset(bytes.size())
    {
        bytes.insert(bytes.end(), archive.begin(), archive.end());
        source = std::make_unique<CMemorySource>(bytes);
        pack = CSkinPack::Index(*source);
    }
    std::optional<ByteString> Read(std::string_view path) const { return pack.Read(*source, path); }

    ByteString bytes;
    std::size_t archiveOffset;
    std::unique_ptr<CMemorySource> source;
    CSkinPack pack;
};

ByteString OneEntry(const std::string& path, const ByteString& data)
{
    ByteString archive = CSkinPackWriter::Header();
    CSkinPackWriter::AppendEntry(archive, path, CSkinPackWriter::Compress(data),
                                 static_cast<std::uint32_t>(data.size()));
    return archive;
}

} // namespace

TEST(SkinPack, RoundTripFindsEveryFileWhateverTheLetterCase)
{
    const Packed packed(CSkinPackWriter::Build(kFiles));
    ASSERT_TRUE(packed.pack.HasArchive());
    EXPECT_EQ(*packed.pack.ArchiveOffset(), packed.archiveOffset);
    EXPECT_TRUE(packed.pack.EndsCleanly());
    for (const auto& file : kFiles) {
        EXPECT_EQ(packed.Read(file.path), file.data) << file.path;
        EXPECT_EQ(packed.Read(CSkinPack::UpperAscii(file.path)), file.data) << file.path;
    }
    EXPECT_EQ(packed.Read("backgrounds\\dlgbk.bmp"), kFiles[1].data);
}

TEST(SkinPack, SlashIsNotBackslashAndMissingNamesAreNotFound)
{
    const Packed packed(CSkinPackWriter::Build(kFiles));
    EXPECT_FALSE(packed.Read("Backgrounds/DlgBk.bmp"));
    EXPECT_FALSE(packed.Read("ScrollBar\\ArrowUp.bmp"));
    EXPECT_FALSE(packed.Read(""));
    EXPECT_FALSE(packed.Read("skin.ini "));
}

TEST(SkinPack, ProgramWithoutTheSignatureOrWithAnotherNameHasNoArchive)
{
    const Packed none(ByteString{}, FakeProgram(5000));
    EXPECT_FALSE(none.pack.HasArchive());
    EXPECT_FALSE(none.Read("skin.ini"));

    ByteString archive = CSkinPackWriter::Build(kFiles);
    archive[11] = 'X'; // "QuilPacX"
    const Packed renamed(archive);
    EXPECT_FALSE(renamed.pack.HasArchive());
    EXPECT_FALSE(renamed.Read("skin.ini"));
}

TEST(SkinPack, TheFirstSignatureInTheFileIsTheArchive)
{
    ByteString both = CSkinPackWriter::Build({{"first.txt", Bytes("one")}});
    const ByteString second = CSkinPackWriter::Build({{"second.txt", Bytes("two")}});
    both.insert(both.end(), second.begin(), second.end());
    const Packed packed(both);
    EXPECT_EQ(*packed.pack.ArchiveOffset(), packed.archiveOffset);
    EXPECT_EQ(packed.Read("first.txt"), Bytes("one"));
    EXPECT_FALSE(packed.Read("second.txt"));
    EXPECT_FALSE(packed.pack.EndsCleanly());
}

namespace {

void PutLittleEndian(ByteString& bytes, std::size_t at, std::uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A 64-bit ELF program of `size` bytes: one segment over the whole image and
// its one section header last; `inside` is copied into its code at offset 256.
ByteString ElfProgram(std::size_t size, const ByteString& inside)
{
    ByteString program = FakeProgram(size);
    const std::uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1, 0};
    std::copy(std::begin(ident), std::end(ident), program.begin());
    const std::size_t sections = size - 64;
    PutLittleEndian(program, 0x20, 64, 8);        // program headers
    PutLittleEndian(program, 0x28, sections, 8);  // section headers
    PutLittleEndian(program, 0x36, 56, 2);
    PutLittleEndian(program, 0x38, 1, 2);
    PutLittleEndian(program, 0x3A, 64, 2);
    PutLittleEndian(program, 0x3C, 1, 2);
    PutLittleEndian(program, 64 + 8, 0, 8);       // the segment: offset 0 ...
    PutLittleEndian(program, 64 + 32, 200, 8);    // ... 200 bytes
    PutLittleEndian(program, sections + 4, 1, 4); // a section with bytes ...
    PutLittleEndian(program, sections + 24, 256, 8);
    PutLittleEndian(program, sections + 32, inside.size(), 8); // ... over `inside`
    std::copy(inside.begin(), inside.end(), program.begin() + 256);
    return program;
}

} // namespace

TEST(SkinPack, AProgramsArchiveIsTheFirstSignatureAfterItsOwnImage)
{
    // A signature inside the program's own bytes is not its archive when one is
    // appended; without one, the whole file is searched as before.
    const ByteString stray = CSkinPackWriter::Build({{"stray.txt", Bytes("inside")}});
    const ByteString program = ElfProgram(4000, stray);
    const Packed appended(CSkinPackWriter::Build(kFiles), program);
    EXPECT_EQ(*appended.pack.ArchiveOffset(), appended.archiveOffset);
    EXPECT_EQ(appended.Read("skin.ini"), kFiles[0].data);
    EXPECT_FALSE(appended.Read("stray.txt"));

    const Packed bare({}, program);
    EXPECT_EQ(bare.pack.ArchiveOffset(), 256u);
    EXPECT_EQ(bare.Read("stray.txt"), Bytes("inside"));

    // Headers that point past the file: searched from the start.
    ByteString broken = program;
    PutLittleEndian(broken, 0x28, 1u << 30, 8);
    const Packed fromStart(CSkinPackWriter::Build(kFiles), broken);
    EXPECT_EQ(fromStart.pack.ArchiveOffset(), 256u);
}

TEST(SkinPack, SignatureWithTooFewBytesAfterItIsNotAnArchive)
{
    // The header needs 32 bytes and at least one more after it.
    ByteString header = CSkinPackWriter::Header();
    header.resize(CSkinPack::kHeaderSize);
    EXPECT_FALSE(Packed(header).pack.HasArchive());
    header.push_back(0);
    EXPECT_TRUE(Packed(header).pack.HasArchive());
}

TEST(SkinPack, EmptyHeaderTextPutsTheFirstEntryRightAfterTheLength)
{
    ByteString archive = CSkinPackWriter::Header("");
    const ByteString data = Bytes("hello");
    CSkinPackWriter::AppendEntry(archive, "a.txt", CSkinPackWriter::Compress(data), 5);
    const Packed packed(archive);
    ASSERT_EQ(packed.pack.Entries().size(), 1u);
    EXPECT_EQ(packed.pack.Entries()[0].dataOffset, packed.archiveOffset + 36 + 4 + 5 + 8);
    EXPECT_EQ(packed.Read("A.TXT"), data);
}

TEST(SkinPack, OfNamesThatDifferOnlyInCaseTheFirstWins)
{
    ByteString archive = CSkinPackWriter::Header();
    CSkinPackWriter::AppendEntry(archive, "skin.ini", CSkinPackWriter::Compress(Bytes("first")), 5);
    CSkinPackWriter::AppendEntry(archive, "SKIN.INI", CSkinPackWriter::Compress(Bytes("second")), 6);
    const Packed packed(archive);
    EXPECT_EQ(packed.Read("Skin.Ini"), Bytes("first"));
    EXPECT_EQ(packed.Read("SKIN.INI"), Bytes("first"));
}

TEST(SkinPack, WrongDeclaredSizeOrBrokenStreamIsNotFoundButOthersAre)
{
    const ByteString data = FakeProgram(400);
    const ByteString packedData = CSkinPackWriter::Compress(data);
    ByteString broken = packedData;
    broken[broken.size() / 2] ^= 0x55;
    ByteString badChecksum = packedData;
    badChecksum.back() ^= 0x01;

    ByteString archive = CSkinPackWriter::Header();
    CSkinPackWriter::AppendEntry(archive, "larger", packedData, 401);
    CSkinPackWriter::AppendEntry(archive, "smaller", packedData, 399);
    CSkinPackWriter::AppendEntry(archive, "broken", broken, 400);
    CSkinPackWriter::AppendEntry(archive, "checksum", badChecksum, 400);
    CSkinPackWriter::AppendEntry(archive, "notzlib", data, 400);
    CSkinPackWriter::AppendEntry(archive, "good", packedData, 400);
    const Packed packed(archive);
    for (const char* name : {"larger", "smaller", "broken", "checksum", "notzlib"})
        EXPECT_FALSE(packed.Read(name)) << name;
    EXPECT_EQ(packed.Read("good"), data);
}

TEST(SkinPack, TruncatedEntryIsNotFoundAndEarlierEntriesStay)
{
    const ByteString archive = CSkinPackWriter::Build(kFiles);
    const Packed whole(archive);
    const SkinPackEntry last = whole.pack.Entries().back(); // skin.ini sorts last
    ASSERT_EQ(last.path, "skin.ini");
    for (std::size_t cut = 1; cut <= last.packedSize + 12; ++cut) {
        const Packed packed(ByteString(archive.begin(), archive.end() - static_cast<std::ptrdiff_t>(cut)));
        EXPECT_FALSE(packed.Read("skin.ini")) << cut;
        EXPECT_EQ(packed.Read("Empty.txt"), ByteString{}) << cut;
        EXPECT_EQ(packed.Read("Buttons\\BtnA_Up.bmp"), kFiles[2].data) << cut;
    }
}

TEST(SkinPack, PathOver247BytesIsSkippedAndTheNextEntryIsStillFound)
{
    const std::string longest(247, 'p');
    const std::string tooLong(248, 'q');
    ByteString archive = CSkinPackWriter::Header();
    CSkinPackWriter::AppendEntry(archive, tooLong, CSkinPackWriter::Compress(Bytes("x")), 1);
    CSkinPackWriter::AppendEntry(archive, longest, CSkinPackWriter::Compress(Bytes("y")), 1);
    const Packed packed(archive);
    EXPECT_FALSE(packed.Read(tooLong));
    EXPECT_EQ(packed.Read(longest), Bytes("y"));
    EXPECT_FALSE(packed.pack.EndsCleanly());
}

TEST(SkinPack, ForgedSizesAreRefusedWithoutAllocatingThem)
{
    const ByteString packedData = CSkinPackWriter::Compress(Bytes("tiny"));
    ByteString archive = CSkinPackWriter::Header();
    CSkinPackWriter::AppendEntry(archive, "huge", packedData, 0xFFFFFFFFu);
    CSkinPackWriter::AppendEntry(archive, "ratio", packedData, CSkinPack::kMaxEntrySize);
    CSkinPackWriter::AppendEntry(archive, "fine", packedData, 4);
    const Packed packed(archive);
    EXPECT_FALSE(packed.Read("huge"));
    EXPECT_FALSE(packed.Read("ratio"));
    EXPECT_EQ(packed.Read("fine"), Bytes("tiny"));

    // A path length that runs past the end ends the walk at once.
    ByteString runaway = CSkinPackWriter::Header();
    for (int i = 0; i < 4; ++i)
        runaway.push_back(0xFF);
    runaway.resize(runaway.size() + 20, 0);
    EXPECT_TRUE(Packed(runaway).pack.Entries().empty());
}

TEST(SkinPack, InflateWantsExactlyTheDeclaredSize)
{
    const ByteString data = Bytes("abcabcabcabc");
    const ByteString packed = CSkinPackWriter::Compress(data);
    EXPECT_EQ(CSkinPack::Inflate(packed, 12), data);
    EXPECT_FALSE(CSkinPack::Inflate(packed, 11));
    EXPECT_FALSE(CSkinPack::Inflate(packed, 13));
    EXPECT_FALSE(CSkinPack::Inflate({}, 0));
    EXPECT_EQ(CSkinPack::Inflate(CSkinPackWriter::Compress({}), 0), ByteString{});
}

TEST(SkinPack, FindReadsAFileAndSeesItChangeOnDisk)
{
    const TempDir dir;
    const std::string program = dir / "program";
    ByteString bytes = FakeProgram();
    const ByteString first = OneEntry("skin.ini", Bytes("first version"));
    bytes.insert(bytes.end(), first.begin(), first.end());
    WriteFile(program, bytes);
    EXPECT_EQ(CSkinPack::Find(program, "SKIN.INI"), Bytes("first version"));
    EXPECT_EQ(CSkinPack::Find(program, "skin.ini"), Bytes("first version"));

    // Replaced by a new build: same path, new file.
    bytes = FakeProgram(4000);
    const ByteString second = OneEntry("skin.ini", Bytes("second"));
    bytes.insert(bytes.end(), second.begin(), second.end());
    std::filesystem::remove(program);
    WriteFile(program, bytes);
    EXPECT_EQ(CSkinPack::Find(program, "skin.ini"), Bytes("second"));

    EXPECT_FALSE(CSkinPack::Find(dir / "missing", "skin.ini"));
    EXPECT_FALSE(CSkinPack::Find(dir.Path().string(), "skin.ini"));
}

TEST(SkinPack, TheBuildStepAppendedTheTestSkinToThisProgram)
{
    const CFileSource self(CSkinPack::ExecutablePath().c_str());
    ASSERT_TRUE(self.IsOpen());
    const CSkinPack pack = CSkinPack::Index(self);
    ASSERT_TRUE(pack.HasArchive());
    EXPECT_TRUE(pack.EndsCleanly());
    EXPECT_EQ(pack.Entries().size(), 4u);

    const std::filesystem::path data(SKIN_TEST_DATA);
    EXPECT_EQ(CSkinPack::Find(CSkinPack::ExecutablePath(), "SKIN.INI"), ReadFile(data / "skin.ini"));
    EXPECT_EQ(CSkinPack::Find(CSkinPack::ExecutablePath(), "buttons\\btna_up.bmp"),
              ReadFile(data / "Buttons" / "BtnA_Up.bmp"));
}
