#pragma once

#include "common/ByteString.h"
#include "link/ITransport.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class CMemoryTransport;

// The cable between an in-memory transport and a stand-in processor living in the
// same process (tests, benchmarks, demos). The processor side sets a handler for
// what the host sends and answers with ToHost, from any thread.
class CMemoryWire {
public:
    using Handler = std::function<void(const ByteString& fromHost)>;

    // Set before the transport opens; called on the thread that sends.
    void SetPeer(Handler handler);
    // Queued for the attached transport's thread; dropped while none is attached.
    void ToHost(const ByteString& bytes);
    // The attached transport reports a link error / that the link went down,
    // from its own thread, as a real transport would.
    void FailLink(int code);
    void DropLink();

    // Behaviour of the next transports made on this wire.
    std::atomic<int> openError{0};          // non-zero: Open reports this error
    std::atomic<std::size_t> chunkSize{0};  // deliver in pieces of this size (0 = whole)
    std::atomic<int> opens{0};              // Open calls seen
    std::atomic<int> closes{0};             // Close calls seen

private:
    friend class CMemoryTransport;
    void Attach(CMemoryTransport* transport);
    void Detach(CMemoryTransport* transport);
    void FromHost(const ByteString& bytes);

    std::mutex mutex_;
    CMemoryTransport* attached_ = nullptr;
    Handler peer_;
};

// ITransport over a CMemoryWire. Like the real transports it has its own thread,
// which hands received bytes to the session without holding any lock.
class CMemoryTransport : public ITransport {
public:
    explicit CMemoryTransport(std::shared_ptr<CMemoryWire> wire);
    ~CMemoryTransport() override;

    void Open(const ConnectionSettings& settings) override;
    void Close() override;
    void Send(const std::uint8_t* data, std::size_t length) override;

private:
    friend class CMemoryWire;
    struct Item {
        ByteString bytes;
        int error = 0;
        bool drop = false;
    };
    void Enqueue(const ByteString& bytes);
    void Push(Item item);
    void Run();

    std::shared_ptr<CMemoryWire> wire_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Item> inbox_;
    bool stop_ = false;
    std::atomic<bool> open_{false};
    std::thread thread_;
};
