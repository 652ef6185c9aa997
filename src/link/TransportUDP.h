#pragma once

#include "link/ITransport.h"

#include <memory>
#include <system_error>

// The packet stream over UDP: one datagram per packet to the processor's host and
// port, received datagrams cut into packets by the session's length rule.
class CTransportUDP : public ITransport {
public:
    explicit CTransportUDP(ITransportSink* sink = nullptr);
    ~CTransportUDP() override;

    void Open(const ConnectionSettings& settings) override;
    void Close() override;
    void Send(const std::uint8_t* data, std::size_t length) override;
    void Renew() override;

    // Largest datagram taken in; the longest packet of the protocol is 132 bytes.
    // A longer one is dropped whole, never cut.
    static constexpr std::size_t kReceiveSize = 260;

private:
    struct Impl;
    struct Channel;
    void StartReceive(const std::shared_ptr<Channel>& channel);
    void OnReceived(const std::shared_ptr<Channel>& channel, const std::error_code& ec, std::size_t length);

    std::unique_ptr<Impl> impl_;
};
