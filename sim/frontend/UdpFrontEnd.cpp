#include "UdpFrontEnd.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vsim {
namespace {

constexpr int kTickMs = 10;
constexpr std::size_t kMaxDatagram = 2048;

bool SamePeer(const sockaddr_in& a, const sockaddr_in& b)
{
    return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

}  // namespace

UdpFrontEnd::UdpFrontEnd(SimDevice& device, const LinkOptions& options, int baud)
    : device_(device), link_(device, options)
{
    pump_ = std::make_unique<OutputPump>([this](const std::uint8_t* d, std::size_t n) { Send(d, n); }, baud, false);
}

UdpFrontEnd::~UdpFrontEnd()
{
    Stop();
}

bool UdpFrontEnd::Start(std::uint16_t port, std::string* why)
{
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        *why = std::strerror(errno);
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // loopback only, never any other interface
    socklen_t len = sizeof addr;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        *why = "cannot bind UDP 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void UdpFrontEnd::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    pump_.reset();  // joins the pump before the socket goes
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void UdpFrontEnd::Send(const std::uint8_t* data, std::size_t length)
{
    sockaddr_in to{};
    {
        std::lock_guard lock(peerMutex_);
        if (!hasPeer_)
            return;
        to = peer_;
    }
    // A peer that has gone answers with an ICMP error; nothing to do about it.
    (void)::sendto(fd_, data, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

void UdpFrontEnd::Run()
{
    std::uint8_t buffer[kMaxDatagram];
    while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, kTickMs);
        const auto now = ProcessorLink::Clock::now();
        if (ready > 0 && (p.revents & POLLIN)) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, MSG_DONTWAIT,
                                         reinterpret_cast<sockaddr*>(&from), &len);
            if (n >= 0) {
                bool fresh = false;
                {
                    std::lock_guard lock(peerMutex_);
                    fresh = !hasPeer_ || !SamePeer(peer_, from);
                    peer_ = from;
                    hasPeer_ = true;
                }
                if (fresh) {
                    // Another application (or a reconnect from a new port): what was
                    // meant for the old one is dropped with its transfer.
                    pump_->Clear();
                    link_.Reset();
                }
                auto out = link_.Feed(buffer, static_cast<std::size_t>(n), now, true);
                if (link_.TakeGoodbye())
                    pump_->Clear();
                pump_->Post(std::move(out));
            }
        }
        pump_->Post(link_.Poll(now));
    }
}

}  // namespace vsim
