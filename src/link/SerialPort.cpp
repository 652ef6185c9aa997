#include "link/SerialPort.h"

#include "ports/SerialDevice.h"
#include "ports/SerialLock.h"
#include "link/SerialTermios.h"

#include <asio/io_context.hpp>
#include <asio/serial_port.hpp>
#include <asio/write.hpp>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Raises the lines in `raised` and drops the other of DTR and RTS. A device
// without modem lines (a pseudo-terminal) has nothing to set.
int SetModemLines(int fd, int raised)
{
    const int dropped = (TIOCM_DTR | TIOCM_RTS) & ~raised;
    if ((raised == 0 || ::ioctl(fd, TIOCMBIS, &raised) == 0) && (dropped == 0 || ::ioctl(fd, TIOCMBIC, &dropped) == 0))
        return 0;
    return errno == ENOTTY || errno == EINVAL ? 0 : errno;
}

template <typename Edit>
int EditLine(int fd, Edit edit)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return errno;
    if (const int error = edit(tio); error != 0)
        return error;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : errno;
}

// The attributes as the device has them, read by `read`; -1 when unreadable.
template <typename Read>
int ReadLine(bool open, int fd, Read read)
{
    termios tio{};
    if (!open || ::tcgetattr(fd, &tio) != 0)
        return -1;
    return static_cast<int>(read(tio));
}

}  // namespace

struct CSerialPort::Impl {
    explicit Impl(asio::io_context& io) : port(io) {}
    asio::serial_port port;
    CSerialLock lock;  // held while the port is open
};

CSerialPort::CSerialPort(asio::io_context& io) : impl_(std::make_unique<Impl>(io)) {}

CSerialPort::~CSerialPort() { Close(); }

int CSerialPort::Store(int error)
{
    lastError_ = error;
    return error;
}

int CSerialPort::NativeHandle() const { return impl_->port.native_handle(); }

bool CSerialPort::IsOpen() const { return impl_->port.is_open(); }

int CSerialPort::Open(const std::string& portName)
{
    if (IsOpen())
        return Store(EALREADY);
    const std::string path = SerialDevicePath(portName);
    // The lock first: a program that honours it sees the port taken from now on.
    if (const int busy = path.empty() ? 0 : impl_->lock.Acquire(path); busy != 0)
        return Store(busy);
    const int fd = OpenSerialDevice(path);
    if (fd < 0) {
        impl_->lock.Release();
        return Store(-fd);
    }
    // Raw bytes both ways: no echo, no line editing, no character translation.
    int error = EditLine(fd, [](termios& tio) {
        ApplyRaw(tio);
        return 0;
    });
    // Exclusive mode keeps other openers out; the advisory lock and the lock
    // file also keep out programs running with the rights to pass it.
    if (error == 0 && ::ioctl(fd, TIOCEXCL) != 0)
        error = errno;
    std::error_code ec;
    if (error == 0)
        impl_->port.assign(fd, ec);
    if (error == 0 && ec)
        error = ec.value();
    if (error != 0) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        impl_->lock.Release();
    }
    return Store(error);
}

int CSerialPort::Close()
{
    if (!IsOpen())
        return Store(0);
    // Exclusive mode outlives the descriptor on some devices (a pseudo-terminal
    // keeps it while its other side is open), so it is given up explicitly.
    ::ioctl(NativeHandle(), TIOCNXCL);
    std::error_code ec;
    impl_->port.close(ec);
    impl_->lock.Release();
    return Store(ec.value());
}

int CSerialPort::Setup(std::uint32_t baudRate, std::uint32_t dataBits, SerialParity parity, SerialStopBits stopBits)
{
    if (!IsOpen())
        return Store(EBADF);
    return Store(EditLine(NativeHandle(), [&](termios& tio) { return ApplyLine(tio, baudRate, dataBits, parity, stopBits); }));
}

int CSerialPort::SetupHandshaking(SerialHandshake mode)
{
    if (!IsOpen())
        return Store(EBADF);
    const int error = EditLine(NativeHandle(), [&](termios& tio) { return ApplyHandshaking(tio, mode); });
    if (error != 0)
        return Store(error);
    return Store(SetModemLines(NativeHandle(), ModemLinesFor(mode)));
}

int CSerialPort::GetBaudRate() const { return ReadLine(IsOpen(), NativeHandle(), BaudRateOf); }
int CSerialPort::GetDataBits() const { return ReadLine(IsOpen(), NativeHandle(), DataBitsOf); }
int CSerialPort::GetParity() const { return ReadLine(IsOpen(), NativeHandle(), ParityOf); }
int CSerialPort::GetStopBits() const { return ReadLine(IsOpen(), NativeHandle(), StopBitsOf); }
int CSerialPort::GetHandshaking() const { return ReadLine(IsOpen(), NativeHandle(), HandshakingOf); }

void CSerialPort::AsyncReadSome(std::uint8_t* buffer, std::size_t size, IoHandler handler)
{
    impl_->port.async_read_some(asio::buffer(buffer, size), std::move(handler));
}

void CSerialPort::AsyncWrite(const std::uint8_t* data, std::size_t size, IoHandler handler)
{
    asio::async_write(impl_->port, asio::buffer(data, size), std::move(handler));
}

void CSerialPort::Cancel()
{
    std::error_code ignored;
    impl_->port.cancel(ignored);
}
