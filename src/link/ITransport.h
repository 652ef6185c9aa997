#pragma once

#include "common/ByteString.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

struct ConnectionSettings;

// What a transport reports to the session that owns it.
class ITransportSink {
public:
    virtual ~ITransportSink() = default;
    virtual void OnTransportConnected() = 0;
    virtual void OnTransportDisconnected() = 0;
    virtual void OnTransportError(int code) = 0;
    virtual void OnPacketReceived(const ByteString& packet) = 0;
    // Length of the packet at the start of the buffer, or nullopt while incomplete.
    virtual std::optional<std::size_t> GetPacketLength(const ByteString& buffered) = 0;
    // Bytes at the start of the buffer that cannot begin a packet; they are dropped.
    virtual std::size_t GetJunkLength(const ByteString&) { return 0; }
};

// A byte transport to the processor: serial line or UDP.
class ITransport {
public:
    explicit ITransport(ITransportSink* sink = nullptr) : sink_(sink) {}
    virtual ~ITransport() = default;
    ITransport(const ITransport&) = delete;
    ITransport& operator=(const ITransport&) = delete;

    // Start the link; success or failure arrives through the sink, from inside
    // Open or later from the transport's thread.
    virtual void Open(const ConnectionSettings& settings) = 0;
    virtual void Close() = 0;
    virtual void Send(const std::uint8_t* data, std::size_t length) = 0;

    void SetSink(ITransportSink* sink) { sink_ = sink; }

    // Called before a request that nothing sent earlier may answer (one that
    // starts a transfer, a retry after a time-out): where the transport can, it
    // moves to a fresh address so that anything still on its way to the old one
    // is lost instead of read. A byte stream has no such address; it does nothing.
    virtual void Renew() {}

    // How long the line must stay silent before a damaged packet counts as over:
    // a byte stream may still be carrying its tail. Zero where every arrival is
    // whole (datagrams).
    virtual std::chrono::milliseconds QuietGap() const { return std::chrono::milliseconds(0); }
    // When the last bytes arrived (the clock's epoch before any did).
    std::chrono::steady_clock::time_point LastArrival() const
    {
        return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(lastArrival_.load()));
    }

    // Drops whatever is buffered before the next arrival. The session calls it before
    // each send: the processor answers only what it was asked, so bytes still waiting
    // then are debris (a stray byte, a cut reply) that would otherwise hold every later
    // reply back. Safe from any thread; the buffer itself stays the transport thread's.
    void DiscardReceived() { discardReceived_.store(true); }

    // Bytes that never form a packet would otherwise pile up for as long as the
    // link lives; past this size the buffer is dropped.
    static constexpr std::size_t kMaxReceiveBuffer = 64 * 1024;

protected:
    void NotifyConnected();
    void NotifyDisconnected();
    void NotifyError(int code);
    // Called on the transport's thread without any transport lock held, so the
    // session may take its own lock while dispatching.
    void OnBytesReceived(const std::uint8_t* data, std::size_t length);

private:
    ITransportSink* sink_;
    ByteString receiveBuffer_;
    std::atomic<bool> discardReceived_{false};
    std::atomic<std::chrono::steady_clock::rep> lastArrival_{0};
};
