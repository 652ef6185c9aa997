#include "PtyFrontEnd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vsim {
namespace {

constexpr int kTickMs = 10;
// Bytes the application has not read for this many ticks are from a transfer it
// gave up; a new application must not find them on the line.
constexpr int kUnreadTicks = 50;
// Replies only follow each other closely when a fault repeats or delays one; a
// short pause keeps each its own arrival at the application.
constexpr std::chrono::milliseconds kUnitGap{25};

}  // namespace

PtyFrontEnd::PtyFrontEnd(SimDevice& device, const LinkOptions& options, int baud) : link_(device, options)
{
    pump_ = std::make_unique<OutputPump>([this](const std::uint8_t* d, std::size_t n) { Send(d, n); }, baud, true,
                                         kUnitGap);
}

PtyFrontEnd::~PtyFrontEnd()
{
    Stop();
}

bool PtyFrontEnd::Start(std::string* why)
{
    char name[256] = {};
    termios tio{};
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tio.c_cflag |= CLOCAL | CREAD;
    if (::openpty(&master_, &slave_, name, &tio, nullptr) != 0) {
        *why = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = name;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void PtyFrontEnd::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    pump_.reset();
    for (int* fd : {&master_, &slave_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

void PtyFrontEnd::Send(const std::uint8_t* data, std::size_t length)
{
    std::size_t done = 0;
    // The line discipline takes a few kilobytes; wait a little for room, never long.
    for (int waits = 0; done < length && waits < 100 && !stop_;) {
        const ssize_t n = ::write(master_, data + done, length - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, kTickMs);
        ++waits;
    }
}

void PtyFrontEnd::DropUnreadOutput()
{
    int unread = 0;
    if (::ioctl(slave_, FIONREAD, &unread) != 0 || unread <= 0 || pump_->Busy()) {
        unreadSince_ = 0;
        return;
    }
    if (++unreadSince_ >= kUnreadTicks) {
        ::tcflush(slave_, TCIFLUSH);
        unreadSince_ = 0;
    }
}

void PtyFrontEnd::Run()
{
    std::uint8_t buffer[512];
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        const int ready = ::poll(&p, 1, kTickMs);
        const auto now = ProcessorLink::Clock::now();
        if (ready > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) {
                auto out = link_.Feed(buffer, static_cast<std::size_t>(n), now);
                if (link_.TakeGoodbye())
                    pump_->Clear();
                pump_->Post(std::move(out));
            }
        }
        pump_->Post(link_.Poll(now));
        DropUnreadOutput();
    }
}

}  // namespace vsim
