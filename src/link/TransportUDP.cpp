#include "link/TransportUDP.h"

#include "link/AsioThread.h"
#include "settings/ConnectionSettings.h"

#include <asio/ip/udp.hpp>

#include <array>
#include <mutex>
#include <string>

namespace {

using asio::ip::udp;

// A dotted IPv4 address as it stands, otherwise the first IPv4 address of the name.
std::error_code ResolveEndpoint(asio::io_context& io, const std::string& host, std::uint16_t port,
                                udp::endpoint& endpoint)
{
    std::error_code ec;
    const auto address = asio::ip::make_address_v4(host, ec);
    if (!ec) {
        endpoint = udp::endpoint(address, port);
        return {};
    }
    udp::resolver resolver(io);
    const auto results =
        resolver.resolve(udp::v4(), host, std::to_string(port), udp::resolver::numeric_service, ec);
    if (ec)
        return ec;
    if (results.empty())
        return asio::error::host_not_found;
    endpoint = results.begin()->endpoint();
    return {};
}

}  // namespace

// One socket with its own receive buffer. Renew replaces it; a receive still
// pending on the one replaced finds it is no longer current and stops.
struct CTransportUDP::Channel {
    explicit Channel(asio::io_context& io) : socket(io) {}
    udp::socket socket;
    // One byte more than is taken in, so a datagram that did not fit shows.
    std::array<std::uint8_t, kReceiveSize + 1> buffer{};
};

struct CTransportUDP::Impl {
    CAsioThread thread;
    std::shared_ptr<Channel> channel;  // the current socket
    udp::endpoint peer;
    std::mutex lock;  // guards the channel between Send, Renew, Close and the receive loop

    void CloseChannel()
    {
        std::lock_guard guard(lock);
        if (channel) {
            std::error_code ignored;
            channel->socket.close(ignored);
            channel.reset();
        }
    }
};

namespace {

// A socket connected to the processor: it sends there only and takes in datagrams
// from that address only, on a port of its own.
std::error_code OpenConnected(udp::socket& socket, const udp::endpoint& peer)
{
    std::error_code ec;
    socket.open(udp::v4(), ec);
    if (!ec)
        socket.connect(peer, ec);
    if (ec) {
        std::error_code ignored;
        socket.close(ignored);
    }
    return ec;
}

}  // namespace

CTransportUDP::CTransportUDP(ITransportSink* sink) : ITransport(sink), impl_(std::make_unique<Impl>()) {}

CTransportUDP::~CTransportUDP()
{
    impl_->CloseChannel();
    impl_->thread.Stop();
}

void CTransportUDP::Open(const ConnectionSettings& settings)
{
    const auto port = static_cast<std::uint16_t>(settings.portNumber & 0xFFFFu);
    std::error_code ec;
    {
        std::lock_guard lock(impl_->lock);
        if (impl_->channel)
            ec = asio::error::already_connected;
    }
    udp::endpoint endpoint;
    if (!ec)
        ec = ResolveEndpoint(impl_->thread.Context(), settings.host, port, endpoint);
    auto channel = std::make_shared<Channel>(impl_->thread.Context());
    if (!ec)
        ec = OpenConnected(channel->socket, endpoint);
    if (ec) {
        NotifyError(TransportErrorCode(ec));
        return;
    }
    {
        std::lock_guard lock(impl_->lock);
        impl_->peer = endpoint;
        impl_->channel = channel;
    }
    impl_->thread.Start();
    StartReceive(channel);
    NotifyConnected();
}

void CTransportUDP::Close()
{
    impl_->CloseChannel();
    impl_->thread.Stop();
    NotifyDisconnected();
}

// A datagram late past its reply time-out is still addressed to the port the
// request came from. Moving to a fresh port makes the system drop it there, so
// it can never be taken for part of the exchange that follows.
void CTransportUDP::Renew()
{
    std::shared_ptr<Channel> fresh;
    {
        std::lock_guard lock(impl_->lock);
        if (!impl_->channel || !impl_->channel->socket.is_open())
            return;
        fresh = std::make_shared<Channel>(impl_->thread.Context());
        if (OpenConnected(fresh->socket, impl_->peer))
            return;  // no socket to spare: the old one goes on serving
        std::error_code ignored;
        impl_->channel->socket.close(ignored);
        impl_->channel = fresh;
    }
    StartReceive(fresh);
}

void CTransportUDP::Send(const std::uint8_t* data, std::size_t length)
{
    std::error_code ec;
    std::size_t sent = 0;
    {
        std::lock_guard lock(impl_->lock);
        if (!impl_->channel || !impl_->channel->socket.is_open())
            ec = asio::error::not_connected;
        else
            sent = impl_->channel->socket.send(asio::buffer(data, length), 0, ec);
    }
    if (!ec && sent != length)
        ec = asio::error::message_size;
    if (ec)
        NotifyError(TransportErrorCode(ec));
}

void CTransportUDP::StartReceive(const std::shared_ptr<Channel>& channel)
{
    std::lock_guard lock(impl_->lock);
    if (channel != impl_->channel || !channel->socket.is_open())
        return;
    channel->socket.async_receive(asio::buffer(channel->buffer),
                                  [this, channel](const std::error_code& ec, std::size_t length) {
                                      OnReceived(channel, ec, length);
                                  });
}

void CTransportUDP::OnReceived(const std::shared_ptr<Channel>& channel, const std::error_code& ec,
                               std::size_t length)
{
    if (ec == asio::error::operation_aborted)
        return;  // the socket was closed
    {
        std::lock_guard lock(impl_->lock);
        if (channel != impl_->channel)
            return;  // a socket given up by Renew: whatever it got is stale
    }
    // A datagram cut to the buffer is a failed receive: its first bytes alone
    // would be taken for a packet. (Windows reports the cut as message_size.)
    if (ec == asio::error::message_size || (!ec && length > kReceiveSize)) {
        StartReceive(channel);
        return;
    }
    if (ec) {
        NotifyError(TransportErrorCode(ec));
        // An ICMP "port unreachable" shows up once on the next receive; the
        // socket itself stays usable. Any other error ends the loop.
        if (ec != asio::error::connection_refused)
            return;
    } else {
        // Delivered without the transport's lock, so the session may take its own.
        OnBytesReceived(channel->buffer.data(), length);
    }
    StartReceive(channel);
}
