#include "skin/SkinFiles.h"

#include "common/WriteAll.h"
#include "skin/SkinArchive.h"
#include "skin/SkinPack.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <stdlib.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr char kNativeSeparator = static_cast<char>(fs::path::preferred_separator);

// Keeps a short, plain file ending so that loaders which go by the ending see
// ".bmp" or ".ico".
std::string TempSuffix(std::string_view entryPath)
{
    const auto dot = entryPath.find_last_of('.');
    if (dot == std::string_view::npos || entryPath.size() - dot > 8)
        return {};
    const std::string_view ending = entryPath.substr(dot + 1);
    for (const char c : ending)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return {};
    return ending.empty() ? std::string{} : "." + std::string(ending);
}

// Finds an existing file whatever the letter case of each part of its path, as
// the file systems the skins were made on do. Missing: the path as given.
std::string ResolveLetterCase(const std::string& path)
{
    std::error_code ec;
    if (fs::exists(path, ec))
        return path;
    const fs::path wanted(path);
    fs::path found = wanted.root_path();
    for (const auto& part : wanted.relative_path()) {
        fs::path next = found / part;
        if (!fs::exists(next, ec)) {
            const std::string upper = CSkinPack::UpperAscii(part.string());
            bool matched = false;
            for (fs::directory_iterator it(found.empty() ? fs::path(".") : found, ec), end; !ec && it != end;
                 it.increment(ec)) {
                if (CSkinPack::UpperAscii(it->path().filename().string()) == upper) {
                    next = found / it->path().filename();
                    matched = true;
                    break;
                }
            }
            if (!matched)
                return path;
        }
        found = std::move(next);
    }
    return found.string();
}

} // namespace

CSkinFiles::CSkinFiles(std::string skinFolder, std::string archivePath, ISkinErrorSink* errors)
    : folder_(std::move(skinFolder))
    , archivePath_(std::move(archivePath))
    , archive_(std::make_shared<const CSkinArchive>(archivePath_))
    , errors_(errors)
{
}

std::string CSkinFiles::DefaultArchivePath()
{
    return CSkinPack::ExecutablePath();
}

std::string CSkinFiles::JoinFallbackPath(std::string_view folder, std::string_view entryPath)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    path += entryPath;
    if (kNativeSeparator != '\\')
        for (char& c : path)
            if (c == '\\')
                c = kNativeSeparator;
    return ResolveLetterCase(path);
}

bool CSkinFiles::StaysInsideFolder(std::string_view entryPath)
{
    if (entryPath.empty() || entryPath.front() == '/' || entryPath.front() == '\\')
        return false;
    if (entryPath.size() >= 2 && entryPath[1] == ':')
        return false; // a drive letter
    std::size_t start = 0;
    while (start <= entryPath.size()) {
        const std::size_t end = std::min(entryPath.find_first_of("/\\", start), entryPath.size());
        if (entryPath.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

std::string CSkinFiles::FallbackPath(std::string_view entryPath) const
{
    // Paths come from the skin's description; none may read outside its folder.
    if (!StaysInsideFolder(entryPath))
        return {};
    return JoinFallbackPath(folder_, entryPath);
}

bool CSkinFiles::InArchive(std::string_view entryPath) const
{
    return archive_->Holds(entryPath);
}

std::optional<SkinEntryPrint> CSkinFiles::ArchivePrint(std::string_view entryPath, std::uint32_t minSize) const
{
    return archive_->Print(entryPath, minSize);
}

bool CSkinFiles::HasLooseFile(std::string_view entryPath) const
{
    const std::string path = FallbackPath(entryPath);
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

void CSkinFiles::ReportErrno(int error) const
{
    if (errors_ != nullptr)
        errors_->OnSkinError(std::to_string(error), ISkinErrorSink::Icon::None);
}

SkinFileRef CSkinFiles::ExtractFile(std::string_view entryPath) const
{
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    const std::string suffix = TempSuffix(entryPath);
    std::string name = ((ec ? fs::path("/tmp") : folder) / "qseXXXXXX").string() + suffix;
    const int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));

    const auto bytes = archive_->Read(entryPath);
    if (fd >= 0) {
        const bool written = bytes && WriteAll(fd, bytes->data(), bytes->size());
        const bool closed = ::close(fd) == 0;
        if (written && closed)
            return {name, true};
        if (::unlink(name.c_str()) != 0)
            ReportErrno(errno);
    }
    return {FallbackPath(entryPath), false};
}

void CSkinFiles::ReleaseFile(const SkinFileRef& ref) const
{
    if (!ref.temporary)
        return;
    if (::unlink(ref.path.c_str()) != 0)
        ReportErrno(errno);
}

std::optional<ByteString> CSkinFiles::ReadFile(std::string_view entryPath, std::size_t maxSize) const
{
    const auto limit = static_cast<std::uint32_t>(std::min<std::size_t>(maxSize, CSkinPack::kMaxEntrySize));
    if (auto bytes = archive_->Read(entryPath, limit))
        return bytes;
    const std::string path = FallbackPath(entryPath);
    if (path.empty())
        return std::nullopt;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > maxSize)
        return std::nullopt;
    ByteString data(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(data.data()), size);
    if (!in)
        return std::nullopt;
    return data;
}

std::string CSkinFiles::TwinPath(std::string_view path)
{
    const std::size_t name = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    const std::size_t at = dot == std::string_view::npos || (name != std::string_view::npos && dot < name)
                               ? path.size()
                               : dot;
    std::string twin(path.substr(0, at));
    twin += "@2x";
    twin += path.substr(at);
    return twin;
}
