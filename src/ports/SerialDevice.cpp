#include "ports/SerialDevice.h"

#include "ports/SerialLock.h"

#include <cctype>
#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Another program holds the device when it set exclusive mode (root opens such
// a device all the same) or holds the advisory lock serial programs take.
int CheckNotHeld(int fd)
{
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0)
        return EBUSY;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? EBUSY : errno;
    return 0;
}

}  // namespace

int OpenSerialDevice(const std::string& path)
{
    if (path.empty())
        return -ENOENT;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    int error = ::isatty(fd) ? CheckNotHeld(fd) : ENOTTY;
    if (error != 0) {
        ::close(fd);
        return -error;
    }
    return fd;
}

std::string SerialDevicePath(const std::string& portName)
{
    if (!portName.empty() && portName[0] == '/')
        return portName;
    // COM names are case-blind, as on the system they come from.
    if (portName.size() < 4 || portName.size() > 6)
        return {};
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(portName[i])) != "COM"[i])
            return {};
    }
    unsigned number = 0;
    for (std::size_t i = 3; i < portName.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(portName[i])))
            return {};
        number = number * 10 + static_cast<unsigned>(portName[i] - '0');
    }
    if (number == 0)
        return {};
    return "/dev/ttyS" + std::to_string(number - 1);
}

PortCheck CheckPort(const std::string& portName)
{
    const std::string path = SerialDevicePath(portName);
    const int fd = OpenSerialDevice(path);
    if (fd >= 0) {
        ::close(fd);
        // A program that opened the port plainly shows only by its lock.
        return CSerialLock::IsHeld(path) ? PortCheck::InUse : PortCheck::Available;
    }
    switch (-fd) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return PortCheck::Missing;
    case EBUSY:
    case EACCES:
    case EPERM: return PortCheck::InUse;
    default: return PortCheck::Other;
    }
}
