#pragma once

// The scripted processor behind a real endpoint: a UDP socket on 127.0.0.1 or
// the master side of a pseudo-terminal. Whatever one read brings goes to the
// peer as one packet; each of its replies goes back in one write.

#include "TransportTestSupport.h"
#include "settings/ConnectionSettings.h"
#include "support/LoopbackUdpSocket.h"
#include "support/ScriptedPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

class PeerEndpoint {
public:
    virtual ~PeerEndpoint() = default;
    // Points the settings at this endpoint.
    virtual void Configure(ConnectionSettings& settings) const = 0;

    ScriptedPeer& Peer() { return peer_; }

protected:
    PeerEndpoint()
    {
        link_.SetSink(&relay_);
        link_.Open(ConnectionSettings{});
    }
    // Starts the pump; called by the derived class once its descriptor exists.
    void Start(int fd)
    {
        fd_ = fd;
        pump_ = std::thread([this] { Pump(); });
    }
    // Stops the pump; the derived class then closes its descriptor.
    void Stop()
    {
        stop_ = true;
        if (pump_.joinable())
            pump_.join();
        relay_.Shut();
        link_.Close();
    }
    virtual long ReadFromHost(std::uint8_t* buffer, std::size_t size) = 0;
    virtual void WriteToHost(const ByteString& bytes) = 0;

private:
    // Hands each reply of the peer over whole.
    class Relay : public ITransportSink {
    public:
        explicit Relay(PeerEndpoint& owner) : owner_(owner) {}
        void OnTransportConnected() override {}
        void OnTransportDisconnected() override {}
        void OnTransportError(int) override {}
        void OnPacketReceived(const ByteString& packet) override
        {
            std::lock_guard lock(mutex_);
            if (open_)
                owner_.WriteToHost(packet);
        }
        std::optional<std::size_t> GetPacketLength(const ByteString& buffered) override { return buffered.size(); }
        // After this no reply reaches the endpoint any more.
        void Shut()
        {
            std::lock_guard lock(mutex_);
            open_ = false;
        }

    private:
        PeerEndpoint& owner_;
        std::mutex mutex_;
        bool open_ = true;
    };

    void Pump()
    {
        while (!stop_) {
            pollfd wait{fd_, POLLIN, 0};
            if (::poll(&wait, 1, 20) != 1)
                continue;
            std::uint8_t buffer[512];
            const long got = (wait.revents & POLLIN) ? ReadFromHost(buffer, sizeof buffer) : -1;
            if (got > 0)
                link_.Send(buffer, static_cast<std::size_t>(got));
            else
                ::poll(nullptr, 0, 20);  // the host side is closed for now
        }
    }

    std::shared_ptr<CMemoryWire> wire_ = std::make_shared<CMemoryWire>();
    ScriptedPeer peer_{wire_};
    Relay relay_{*this};
    CMemoryTransport link_{wire_};
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread pump_;
};

class UdpPeerEndpoint : public PeerEndpoint {
public:
    UdpPeerEndpoint() { Start(socket_.Fd()); }
    ~UdpPeerEndpoint() override { Stop(); }
    void Configure(ConnectionSettings& settings) const override { PointAtLoopback(settings, socket_.Port()); }

protected:
    long ReadFromHost(std::uint8_t* buffer, std::size_t size) override
    {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const long got = ::recvfrom(socket_.Fd(), buffer, size, 0, reinterpret_cast<sockaddr*>(&from), &length);
        std::lock_guard lock(mutex_);
        host_ = from;
        return got;
    }
    void WriteToHost(const ByteString& bytes) override
    {
        std::lock_guard lock(mutex_);
        ::sendto(socket_.Fd(), bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&host_), sizeof host_);
    }

private:
    LoopbackUdpSocket socket_;
    std::mutex mutex_;
    sockaddr_in host_{};
};

class PtyPeerEndpoint : public PeerEndpoint {
public:
    PtyPeerEndpoint() { Start(pty_.Master()); }
    ~PtyPeerEndpoint() override { Stop(); }
    void Configure(ConnectionSettings& settings) const override
    {
        settings.transportIndex = 1;
        settings.portName = pty_.Path();
    }

protected:
    long ReadFromHost(std::uint8_t* buffer, std::size_t size) override { return ::read(pty_.Master(), buffer, size); }
    void WriteToHost(const ByteString& bytes) override
    {
        [[maybe_unused]] const auto written = ::write(pty_.Master(), bytes.data(), bytes.size());
    }

private:
    transport_test::PtyPair pty_;
};
