#include "skin/SkinPackSource.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool CMemorySource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
        return false;
    if (!out.empty())
        std::memcpy(out.data(), bytes_.data() + offset, out.size());
    return true;
}

namespace {

CFileSource::FileId IdOf(const struct stat& st)
{
    CFileSource::FileId id;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::uint64_t>(st.st_size);
    id.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

} // namespace

CFileSource::CFileSource(const char* path)
{
    fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    id_ = IdOf(st);
}

CFileSource::~CFileSource()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool CFileSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (fd_ < 0 || offset > id_.size || out.size() > id_.size - offset)
        return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false; // a file cut short under us reads as missing
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool CFileSource::StatPath(const char* path, FileId& id)
{
    struct stat st {};
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    id = IdOf(st);
    return true;
}
