#pragma once

// The processor's side of a UDP test: a datagram socket on 127.0.0.1 on a port
// the system picks, and the settings that point a transport at it.

#include "settings/ConnectionSettings.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

class LoopbackUdpSocket {
public:
    LoopbackUdpSocket()
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t size = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackUdpSocket() { Close(); }
    LoopbackUdpSocket(const LoopbackUdpSocket&) = delete;
    LoopbackUdpSocket& operator=(const LoopbackUdpSocket&) = delete;

    int Fd() const { return fd_; }
    std::uint16_t Port() const { return port_; }
    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// Settings for the UDP transport aimed at `port` on 127.0.0.1.
inline void PointAtLoopback(ConnectionSettings& settings, std::uint32_t port)
{
    settings.transportIndex = 0;
    settings.host = "127.0.0.1";
    settings.portNumber = port;
}
