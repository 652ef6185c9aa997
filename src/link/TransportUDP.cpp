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

struct CTransportUDP::Impl {
    CAsioThread thread;
    udp::socket socket{thread.Context()};
    // One byte more than is taken in, so a datagram that did not fit shows.
    std::array<std::uint8_t, kReceiveSize + 1> buffer{};
    std::mutex lock;  // guards the socket between Send, Close and the receive loop
};

CTransportUDP::CTransportUDP(ITransportSink* sink) : ITransport(sink), impl_(std::make_unique<Impl>()) {}

CTransportUDP::~CTransportUDP()
{
    {
        std::lock_guard lock(impl_->lock);
        std::error_code ignored;
        impl_->socket.close(ignored);
    }
    impl_->thread.Stop();
}

void CTransportUDP::Open(const ConnectionSettings& settings)
{
    const auto port = static_cast<std::uint16_t>(settings.portNumber & 0xFFFFu);
    std::error_code ec;
    {
        std::lock_guard lock(impl_->lock);
        if (impl_->socket.is_open())
            ec = asio::error::already_connected;
    }
    udp::endpoint endpoint;
    if (!ec)
        ec = ResolveEndpoint(impl_->thread.Context(), settings.host, port, endpoint);
    if (!ec) {
        // A connected socket fixes the destination of every send and takes in
        // datagrams from the processor's address only.
        std::lock_guard lock(impl_->lock);
        impl_->socket.open(udp::v4(), ec);
        if (!ec)
            impl_->socket.connect(endpoint, ec);
        if (ec) {
            std::error_code ignored;
            impl_->socket.close(ignored);
        }
    }
    if (ec) {
        NotifyError(TransportErrorCode(ec));
        return;
    }
    impl_->thread.Start();
    StartReceive();
    NotifyConnected();
}

void CTransportUDP::Close()
{
    {
        std::lock_guard lock(impl_->lock);
        std::error_code ignored;
        impl_->socket.close(ignored);
    }
    impl_->thread.Stop();
    NotifyDisconnected();
}

void CTransportUDP::Send(const std::uint8_t* data, std::size_t length)
{
    std::error_code ec;
    std::size_t sent = 0;
    {
        std::lock_guard lock(impl_->lock);
        if (!impl_->socket.is_open())
            ec = asio::error::not_connected;
        else
            sent = impl_->socket.send(asio::buffer(data, length), 0, ec);
    }
    if (!ec && sent != length)
        ec = asio::error::message_size;
    if (ec)
        NotifyError(TransportErrorCode(ec));
}

void CTransportUDP::StartReceive()
{
    std::lock_guard lock(impl_->lock);
    if (!impl_->socket.is_open())
        return;
    impl_->socket.async_receive(asio::buffer(impl_->buffer),
                                [this](const std::error_code& ec, std::size_t length) { OnReceived(ec, length); });
}

void CTransportUDP::OnReceived(const std::error_code& ec, std::size_t length)
{
    if (ec == asio::error::operation_aborted)
        return;  // the socket was closed
    // A datagram cut to the buffer is a failed receive: its first bytes alone
    // would be taken for a packet. (Windows reports the cut as message_size.)
    if (ec == asio::error::message_size || (!ec && length > kReceiveSize)) {
        StartReceive();
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
        OnBytesReceived(impl_->buffer.data(), length);
    }
    StartReceive();
}
