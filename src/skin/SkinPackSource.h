#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Random access to the bytes that may carry a skin archive: a file (the running
// executable) or a block of memory (tests, fuzzing). Reads past the end fail.
class ISkinPackSource {
public:
    virtual ~ISkinPackSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills all of out from offset, or returns false.
    virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

// A view of bytes owned by the caller.
class CMemorySource : public ISkinPackSource {
public:
    explicit CMemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    std::span<const std::uint8_t> bytes_;
};

// An open file, read with positioned reads so that one source can serve
// several threads. Identity() tells whether the file on disk is still the one
// that was opened.
class CFileSource : public ISkinPackSource {
public:
    struct FileId {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const FileId&) const = default;
    };

    explicit CFileSource(const char* path);
    ~CFileSource() override;
    CFileSource(const CFileSource&) = delete;
    CFileSource& operator=(const CFileSource&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    const FileId& Identity() const { return id_; }
    std::uint64_t Size() const override { return id_.size; }
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

    // Identity of the file a path names now; false when it cannot be read.
    static bool StatPath(const char* path, FileId& id);

private:
    int fd_ = -1;
    FileId id_;
};
