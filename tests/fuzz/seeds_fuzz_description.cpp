// Writes a few descriptions into a folder as the fuzzer's starting corpus.
#include "description/DescriptionWriter.h"

#include "description/DescriptionGenerator.h"
#include "description/DescriptionTestSupport.h"

#include <fstream>
#include <string>

namespace {

void Save(const std::string& path, const ByteString& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];
    Save(dir + "/worked_example", kWorkedExample);
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        const ByteString bytes = DescriptionWriter::Write(DescriptionGenerator(seed).Tree(static_cast<int>(4 * seed), 4), 1);
        Save(dir + "/generated_" + std::to_string(seed), bytes);
    }
    return 0;
}
