// quilpack: builds the skin archive of a folder.
//   quilpack pack <folder> <archive>       writes the archive to a file
//   quilpack append <folder> <executable>  appends it to a program, replacing
//                                          the archive an earlier run appended
//   quilpack list <file>                   lists the entries a reader finds
#include "skin/SkinPack.h"
#include "skin/SkinPackWriter.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: quilpack pack <folder> <archive>\n"
                 "       quilpack append <folder> <executable>\n"
                 "       quilpack list <file>\n");
    return 2;
}

void WriteFile(const std::string& path, const ByteString& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw CSkinPackWriter::Error("cannot write " + path);
}

int List(const std::string& path)
{
    const CFileSource source(path.c_str());
    if (!source.IsOpen())
        throw CSkinPackWriter::Error("cannot open " + path);
    const CSkinPack pack = CSkinPack::Index(source);
    if (!pack.HasArchive()) {
        std::printf("no archive\n");
        return 1;
    }
    std::printf("archive at %llu%s\n", static_cast<unsigned long long>(*pack.ArchiveOffset()),
                pack.EndsCleanly() ? "" : " (damaged or followed by other data)");
    for (const auto& entry : pack.Entries()) {
        const bool readable = CSkinPack::Read(source, entry).has_value();
        std::printf("%10u %10u %s%s\n", entry.size, entry.packedSize, entry.path.c_str(),
                    readable ? "" : "  (does not inflate)");
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    try {
        const std::string command = argc > 1 ? argv[1] : "";
        if (command == "list" && argc == 3)
            return List(argv[2]);
        if ((command != "pack" && command != "append") || argc != 4)
            return Usage();
        const ByteString archive = CSkinPackWriter::Build(CSkinPackWriter::CollectFolder(argv[2]));
        if (command == "pack")
            WriteFile(argv[3], archive);
        else
            CSkinPackWriter::AppendToFile(argv[3], archive);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quilpack: %s\n", error.what());
        return 1;
    }
}
