#pragma once

#include "link/ITransport.h"

#include <memory>
#include <system_error>

// The packet stream over a serial line. The transport's thread writes what the
// session sends and reads what the processor answers, in chunks.
class CTransportCOM : public ITransport {
public:
    explicit CTransportCOM(ITransportSink* sink = nullptr);
    ~CTransportCOM() override;

    void Open(const ConnectionSettings& settings) override;
    void Close() override;
    // Queues the bytes behind any output not yet on the line; the transport's
    // thread writes everything, in order.
    void Send(const std::uint8_t* data, std::size_t length) override;

    // Longer than any pause inside a block on a busy line or a USB adapter,
    // well short of the reply time-out.
    static constexpr std::chrono::milliseconds kQuietGap{100};
    std::chrono::milliseconds QuietGap() const override { return kQuietGap; }

    static constexpr int kErrorOpenFailed = -1;
    static constexpr int kErrorNotOpen = -2;
    static constexpr std::size_t kReadSize = 260;

private:
    struct Impl;
    void StartReadLocked();
    void OnRead(const std::error_code& ec, std::size_t length);
    int StartWriteLocked();
    void OnWritten(const std::error_code& ec);
    void OnWriteTimeout(const std::error_code& ec, unsigned write);

    std::unique_ptr<Impl> impl_;
};
