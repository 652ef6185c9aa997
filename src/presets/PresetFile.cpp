#include "presets/PresetFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace presets {

std::string PresetTempFileName(std::uint8_t index)
{
    char name[16];
    std::snprintf(name, sizeof name, "preset%x.pst", static_cast<unsigned>(index));
    return name;
}

bool WritePresetFile(const std::string& path, const ByteString& bytes, std::string* reason)
{
    const auto fail = [reason](const std::string& why) {
        if (reason) *reason = why;
        return false;
    };
    if (path.empty()) return fail("no file name");
    const std::string part = path + ".part";
    errno = 0;
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (out) out.flush();
        if (!out) {
            const std::string why = errno != 0 ? std::strerror(errno) : "write error";
            std::error_code ignored;
            std::filesystem::remove(part, ignored);
            return fail(why);
        }
    }
    std::error_code ec;
    std::filesystem::rename(part, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(part, ignored);
        return fail(ec.message());
    }
    return true;
}

ByteString ReadPresetFile(const std::string& path, const LogLine& log)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    const std::streamoff size = in.tellg();
    if (size < 0) return {};
    if (static_cast<std::uint64_t>(size) > kMaxPresetFileBytes) {
        if (log) log("File Read Error ");
        return {};
    }
    in.seekg(0);
    ByteString bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got < bytes.size()) {
        bytes.resize(got);
        if (log) log("File Read Error ");
    }
    return bytes;
}

std::string PresetNameFromBytes(const ByteString& bytes)
{
    std::string name;
    for (std::size_t i = 0; i < bytes.size() && i < kPresetNameBytes && bytes[i] != 0; ++i)
        name.push_back(static_cast<char>(bytes[i]));
    return name;
}

ByteString PresetRenameBytes(const std::string& name)
{
    ByteString bytes(kPresetNameBytes, 0);
    for (std::size_t i = 0; i < name.size() && i < kPresetNameBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>(name[i]);
    return bytes;
}

std::string ToUpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace presets
