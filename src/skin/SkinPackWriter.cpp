#include "skin/SkinPackWriter.h"

#include "skin/SkinPack.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

void PutU32(ByteString& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

ByteString ReadWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw CSkinPackWriter::Error("cannot read " + path.string());
    return ByteString(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

ByteString CSkinPackWriter::Header(const std::string& text)
{
    ByteString header;
    const auto sig = CSkinPack::Signature();
    const auto name = CSkinPack::ArchiveName();
    header.insert(header.end(), sig.begin(), sig.end());
    header.insert(header.end(), name.begin(), name.end());
    header.resize(CSkinPack::kHeaderSize, 0);
    PutU32(header, static_cast<std::uint32_t>(text.size()));
    header.insert(header.end(), text.begin(), text.end());
    return header;
}

void CSkinPackWriter::AppendEntry(ByteString& archive, const std::string& path, const ByteString& packed,
                                  std::uint32_t size)
{
    PutU32(archive, static_cast<std::uint32_t>(path.size()));
    archive.insert(archive.end(), path.begin(), path.end());
    PutU32(archive, static_cast<std::uint32_t>(packed.size()));
    PutU32(archive, size);
    archive.insert(archive.end(), packed.begin(), packed.end());
}

ByteString CSkinPackWriter::Compress(const ByteString& data)
{
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    ByteString packed(length);
    if (compress2(packed.data(), &length, data.data(), static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION) !=
        Z_OK)
        throw Error("compression failed");
    packed.resize(length);
    return packed;
}

ByteString CSkinPackWriter::Build(std::vector<SkinPackFile> files)
{
    for (const auto& file : files) {
        if (file.path.empty() || file.path.size() > CSkinPack::kMaxPathLength)
            throw Error("path must be 1 to 247 bytes: " + file.path);
        if (file.data.size() > CSkinPack::kMaxEntrySize)
            throw Error("file too large for the archive: " + file.path);
    }
    std::sort(files.begin(), files.end(), [](const SkinPackFile& a, const SkinPackFile& b) {
        return CSkinPack::UpperAscii(a.path) < CSkinPack::UpperAscii(b.path);
    });
    for (std::size_t i = 1; i < files.size(); ++i)
        if (CSkinPack::UpperAscii(files[i - 1].path) == CSkinPack::UpperAscii(files[i].path))
            throw Error("names differ only in letter case: " + files[i - 1].path + " and " + files[i].path);

    ByteString archive = Header();
    for (const auto& file : files)
        AppendEntry(archive, file.path, Compress(file.data), static_cast<std::uint32_t>(file.data.size()));
    return archive;
}

std::string CSkinPackWriter::ArchivePath(const std::filesystem::path& relative)
{
    std::string path;
    for (const auto& part : relative) {
        if (!path.empty())
            path += '\\';
        path += part.string();
    }
    return path;
}

std::vector<SkinPackFile> CSkinPackWriter::CollectFolder(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    if (!fs::is_directory(folder))
        throw Error("not a folder: " + folder.string());
    std::vector<SkinPackFile> files;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (!item.is_regular_file())
            continue;
        files.push_back({ArchivePath(fs::relative(item.path(), folder)), ReadWholeFile(item.path())});
    }
    return files;
}

void CSkinPackWriter::AppendToFile(const std::filesystem::path& file, const ByteString& archive)
{
    namespace fs = std::filesystem;
    std::uint64_t keep = 0;
    {
        const CFileSource source(file.c_str());
        if (!source.IsOpen())
            throw Error("cannot open " + file.string());
        const CSkinPack existing = CSkinPack::Index(source);
        keep = source.Size();
        if (existing.HasArchive()) {
            if (!existing.EndsCleanly())
                throw Error(file.string() + " holds the archive signature at offset " +
                            std::to_string(*existing.ArchiveOffset()) +
                            "; an archive appended after it would never be found");
            keep = *existing.ArchiveOffset();
        }
    }
    fs::resize_file(file, keep);
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
    out.close();
    if (!out)
        throw Error("cannot write " + file.string());
}
