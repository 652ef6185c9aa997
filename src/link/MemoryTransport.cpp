#include "link/MemoryTransport.h"

#include <algorithm>

void CMemoryWire::SetPeer(Handler handler)
{
    std::lock_guard<std::mutex> lock(mutex_);
    peer_ = std::move(handler);
}

void CMemoryWire::ToHost(const ByteString& bytes)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (attached_)
        attached_->Enqueue(bytes);
}

void CMemoryWire::FailLink(int code)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (attached_)
        attached_->Push({{}, code, false});
}

void CMemoryWire::DropLink()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (attached_)
        attached_->Push({{}, 0, true});
}

void CMemoryWire::Attach(CMemoryTransport* transport)
{
    std::lock_guard<std::mutex> lock(mutex_);
    attached_ = transport;
}

void CMemoryWire::Detach(CMemoryTransport* transport)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (attached_ == transport)
        attached_ = nullptr;
}

void CMemoryWire::FromHost(const ByteString& bytes)
{
    Handler peer;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        peer = peer_;
    }
    if (peer)
        peer(bytes);
}

CMemoryTransport::CMemoryTransport(std::shared_ptr<CMemoryWire> wire) : wire_(std::move(wire))
{
    thread_ = std::thread([this] { Run(); });
}

CMemoryTransport::~CMemoryTransport()
{
    wire_->Detach(this);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void CMemoryTransport::Open(const ConnectionSettings&)
{
    ++wire_->opens;
    if (const int error = wire_->openError.load()) {
        NotifyError(error);
        return;
    }
    wire_->Attach(this);
    open_ = true;
    NotifyConnected();
}

void CMemoryTransport::Close()
{
    ++wire_->closes;
    wire_->Detach(this);
    if (open_.exchange(false))
        NotifyDisconnected();
}

void CMemoryTransport::Send(const std::uint8_t* data, std::size_t length)
{
    if (open_)
        wire_->FromHost(ByteString(data, data + length));
}

void CMemoryTransport::Enqueue(const ByteString& bytes)
{
    const std::size_t chunk = wire_->chunkSize.load();
    if (chunk == 0) {
        Push({bytes});
        return;
    }
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        const auto end = std::min(bytes.size(), at + chunk);
        Push({ByteString(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         bytes.begin() + static_cast<std::ptrdiff_t>(end))});
    }
}

void CMemoryTransport::Push(Item item)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        inbox_.push_back(std::move(item));
    }
    wake_.notify_one();
}

void CMemoryTransport::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !inbox_.empty(); });
        if (stop_)
            return;
        Item item = std::move(inbox_.front());
        inbox_.pop_front();
        lock.unlock();
        // Reports go out with no lock held, as from a real transport's thread.
        if (item.error)
            NotifyError(item.error);
        else if (item.drop)
            NotifyDisconnected();
        else
            OnBytesReceived(item.bytes.data(), item.bytes.size());
        lock.lock();
    }
}
