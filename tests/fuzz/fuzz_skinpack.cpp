// libFuzzer target for the skin archive reader: scanning, indexing and
// inflating every entry of arbitrary bytes. Built by scripts/fuzz.sh.
#include "skin/SkinPack.h"
#include "skin/SkinPackWriter.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An odd first byte puts a valid header in front, so that the fuzzer spends
    // its time on the entries rather than on finding the signature.
    ByteString input;
    if (size > 0 && (data[0] & 1) != 0) {
        input = CSkinPackWriter::Header();
        input.insert(input.end(), data + 1, data + size);
    } else {
        input.assign(data, data + size);
    }
    const CMemorySource source(input);
    const CSkinPack pack = CSkinPack::Index(source);
    for (const auto& entry : pack.Entries()) {
        if (entry.path.size() > CSkinPack::kMaxPathLength || entry.dataOffset + entry.packedSize > input.size())
            __builtin_trap();
        if (const auto bytes = CSkinPack::Read(source, entry); bytes && bytes->size() != entry.size)
            __builtin_trap();
    }
    (void)pack.Read(source, "skin.ini");
    return 0;
}
