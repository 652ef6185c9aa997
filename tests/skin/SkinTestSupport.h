#pragma once

#include "common/ByteString.h"
#include "skin/SkinErrors.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace skintest {

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "skintestXXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, const ByteString& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    WriteFile(path, ByteString(text.begin(), text.end()));
}

inline ByteString ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return ByteString(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline ByteString Bytes(const std::string& text)
{
    return ByteString(text.begin(), text.end());
}

// Collects what the skin engine would show.
class RecordingErrorSink : public ISkinErrorSink {
public:
    struct Message {
        std::string text;
        Icon icon;
    };
    void OnSkinError(const std::string& text, Icon icon) override { messages.push_back({text, icon}); }
    std::vector<Message> messages;
};

// Bytes standing in for the program an archive is appended to.
inline ByteString FakeProgram(std::size_t size = 3000)
{
    ByteString program(size);
    for (std::size_t i = 0; i < size; ++i)
        program[i] = static_cast<std::uint8_t>((i * 131 + 7) % 251);
    return program;
}

} // namespace skintest
