#include "ports/SerialLock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

std::mutex g_folderMutex;
std::string g_folder = "/var/lock";

std::string Folder()
{
    std::lock_guard lock(g_folderMutex);
    return g_folder;
}

// The process id a lock file names; 0 when it names none. Two forms exist: the
// id as decimal text, and the older one of exactly four bytes holding the id as
// a binary integer. Four bytes with a zero among them, or that are no number
// as text, can only be the binary form (text of any real id has no zero byte).
pid_t HolderOf(const std::string& lockFile)
{
    std::ifstream in(lockFile, std::ios::binary);
    char text[32] = {};
    in.read(text, sizeof text - 1);
    const std::streamsize size = in.gcount();
    char* end = nullptr;
    long pid = std::strtol(text, &end, 10);
    const bool binary = size == 4 && (end == text || std::find(text, text + 4, '\0') != text + 4);
    if (binary) {
        std::int32_t raw = 0;
        std::memcpy(&raw, text, sizeof raw);
        pid = raw;
    } else if (end == text) {
        return 0;
    }
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

bool Running(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace

std::string CSerialLock::LockFilePath(const std::string& devicePath)
{
    // Links such as /dev/serial/by-id/... lock the device they point at.
    std::string device = devicePath;
    if (char* real = ::realpath(devicePath.c_str(), nullptr)) {
        device = real;
        std::free(real);
    }
    const std::string dev = "/dev/";
    if (device.rfind(dev, 0) == 0)
        device.erase(0, dev.size());
    while (!device.empty() && device.front() == '/')
        device.erase(0, 1);
    for (char& c : device) {
        if (c == '/')
            c = '_';
    }
    return Folder() + "/LCK.." + device;
}

void CSerialLock::SetFolder(const std::string& folder)
{
    std::lock_guard lock(g_folderMutex);
    g_folder = folder;
}

bool CSerialLock::IsHeld(const std::string& devicePath)
{
    return Running(HolderOf(LockFilePath(devicePath)));
}

int CSerialLock::Acquire(const std::string& devicePath)
{
    Release();
    const std::string path = LockFilePath(devicePath);
    // Two tries: the second after a stale lock was removed.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char text[16];
            const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
            const bool written = ::write(fd, text, static_cast<std::size_t>(length)) == length;
            ::close(fd);
            if (!written) {
                ::unlink(path.c_str());
                return 0;  // a full disk is no reason to refuse the port
            }
            path_ = path;
            return 0;
        }
        if (errno != EEXIST)
            return 0;
        if (Running(HolderOf(path)))
            return EBUSY;
        ::unlink(path.c_str());
    }
    return EBUSY;
}

void CSerialLock::Release()
{
    if (path_.empty())
        return;
    if (HolderOf(path_) == ::getpid())
        ::unlink(path_.c_str());
    path_.clear();
}
