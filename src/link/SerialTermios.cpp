#include "link/SerialTermios.h"

#include <array>
#include <cerrno>

#include <sys/ioctl.h>

namespace {

struct SpeedEntry {
    std::uint32_t baud;
    speed_t speed;
};
constexpr std::array<SpeedEntry, 9> kSpeeds{{{1200, B1200},
                                            {2400, B2400},
                                            {4800, B4800},
                                            {9600, B9600},
                                            {19200, B19200},
                                            {38400, B38400},
                                            {57600, B57600},
                                            {115200, B115200},
                                            {230400, B230400}}};

struct SizeEntry {
    std::uint32_t bits;
    tcflag_t flag;
};
constexpr std::array<SizeEntry, 4> kSizes{{{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}}};

template <typename Table, typename Match>
auto Find(const Table& table, Match match) -> decltype(&table[0])
{
    for (const auto& entry : table) {
        if (match(entry))
            return &entry;
    }
    return nullptr;
}

constexpr tcflag_t Flags(tcflag_t flags) { return flags; }

}  // namespace

int ApplyLine(termios& tio, std::uint32_t baudRate, std::uint32_t dataBits, SerialParity parity,
              SerialStopBits stopBits)
{
    const auto* speed = Find(kSpeeds, [&](const SpeedEntry& e) { return e.baud == baudRate; });
    const auto* size = Find(kSizes, [&](const SizeEntry& e) { return e.bits == dataBits; });
    tcflag_t parityFlags = 0;
    switch (parity) {
    case SerialParity::None: break;
    case SerialParity::Odd: parityFlags = PARENB | PARODD; break;
    case SerialParity::Even: parityFlags = PARENB; break;
    case SerialParity::Mark: parityFlags = PARENB | PARODD | CMSPAR; break;
    case SerialParity::Space: parityFlags = PARENB | CMSPAR; break;
    default: return EINVAL;
    }
    if (!speed || !size)
        return EINVAL;
    ::cfsetispeed(&tio, speed->speed);
    ::cfsetospeed(&tio, speed->speed);
    tio.c_cflag &= ~Flags(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    tio.c_cflag |= size->flag | parityFlags;
    if (stopBits == SerialStopBits::Two)
        tio.c_cflag |= CSTOPB;
    // Received bytes are checked exactly when the line carries parity.
    if (parity == SerialParity::None)
        tio.c_iflag &= ~Flags(INPCK);
    else
        tio.c_iflag |= INPCK;
    return 0;
}

int ApplyHandshaking(termios& tio, SerialHandshake mode)
{
    // Hardware handshaking here is RTS/CTS both ways; the line has no separate
    // switch for the output side alone.
    switch (mode) {
    case SerialHandshake::None:
        tio.c_cflag &= ~Flags(CRTSCTS);
        tio.c_iflag &= ~Flags(IXON | IXOFF | IXANY);
        return 0;
    case SerialHandshake::Hardware:
        tio.c_cflag |= CRTSCTS;
        tio.c_iflag &= ~Flags(IXON | IXOFF | IXANY);
        return 0;
    case SerialHandshake::Software:
        tio.c_cflag &= ~Flags(CRTSCTS);
        tio.c_iflag |= IXON | IXOFF;
        return 0;
    }
    return EINVAL;
}

int ModemLinesFor(SerialHandshake mode)
{
    // Handshaking raises both lines while the port is ready; otherwise they are
    // held low ("disabled"), as the processor's line expects.
    return mode == SerialHandshake::Hardware ? TIOCM_DTR | TIOCM_RTS : 0;
}

void ApplyRaw(termios& tio)
{
    ::cfmakeraw(&tio);
    // A BREAK on the line would otherwise read as a 0x00 byte inside a reply.
    tio.c_iflag |= IGNBRK;
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
}

int BaudRateOf(const termios& tio)
{
    const auto* speed = Find(kSpeeds, [&](const SpeedEntry& e) { return e.speed == ::cfgetospeed(&tio); });
    return speed ? static_cast<int>(speed->baud) : 0;
}

int DataBitsOf(const termios& tio)
{
    const auto* size = Find(kSizes, [&](const SizeEntry& e) { return e.flag == (tio.c_cflag & CSIZE); });
    return size ? static_cast<int>(size->bits) : 0;
}

SerialParity ParityOf(const termios& tio)
{
    if (!(tio.c_cflag & PARENB))
        return SerialParity::None;
    const bool odd = tio.c_cflag & PARODD;
    if (tio.c_cflag & CMSPAR)
        return odd ? SerialParity::Mark : SerialParity::Space;
    return odd ? SerialParity::Odd : SerialParity::Even;
}

SerialStopBits StopBitsOf(const termios& tio)
{
    return (tio.c_cflag & CSTOPB) ? SerialStopBits::Two : SerialStopBits::One;
}

SerialHandshake HandshakingOf(const termios& tio)
{
    if (tio.c_cflag & CRTSCTS)
        return SerialHandshake::Hardware;
    if (tio.c_iflag & (IXON | IXOFF))
        return SerialHandshake::Software;
    return SerialHandshake::None;
}
