#include "link/TransportCOM.h"

#include "link/AsioThread.h"
#include "link/SerialPort.h"
#include "settings/ConnectionSettings.h"

#include <asio/post.hpp>
#include <asio/steady_timer.hpp>

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>

struct CTransportCOM::Impl {
    CAsioThread thread;
    CSerialPort port{thread.Context()};
    asio::steady_timer writeTimer{thread.Context()};
    std::mutex lock;  // guards everything below and every use of the port
    std::condition_variable drained;  // a write ended or was dropped
    std::int32_t replyTimeoutMs = 0;
    ByteString output;   // waiting for the thread
    ByteString writing;  // on the line now
    bool writeBusy = false;
    bool writeTimedOut = false;
    unsigned writeCount = 0;
    bool readPending = false;
    std::array<std::uint8_t, kReadSize> readBuffer{};
};

CTransportCOM::CTransportCOM(ITransportSink* sink) : ITransport(sink), impl_(std::make_unique<Impl>())
{
    impl_->thread.Start();
}

CTransportCOM::~CTransportCOM()
{
    {
        std::lock_guard lock(impl_->lock);
        impl_->port.Close();
    }
    impl_->thread.Stop();
}

void CTransportCOM::Open(const ConnectionSettings& settings)
{
    bool opened = false;
    {
        std::lock_guard lock(impl_->lock);
        impl_->replyTimeoutMs = settings.replyTimeoutMs;
        opened = impl_->port.Open(settings.portName) == 0;
        if (opened) {
            // Errors in the line set-up leave the line as the device had it; the
            // port is open, so the link counts as connected.
            const SerialLineSettings line = LineSettingsFromCodes(settings);
            impl_->port.Setup(line.baudRate, line.dataBits, line.parity, line.stopBits);
            impl_->port.SetupHandshaking(line.handshake);
            StartReadLocked();
        }
    }
    if (opened)
        NotifyConnected();
    else
        NotifyError(kErrorOpenFailed);
}

void CTransportCOM::Close()
{
    bool wasOpen = false;
    {
        std::unique_lock lock(impl_->lock);
        // Output already accepted goes out first: the session sends Disconnect
        // just before it closes. A stuck write ends at its own time-out.
        if (!impl_->thread.IsCurrent()) {
            const auto limit = std::chrono::milliseconds(impl_->replyTimeoutMs > 0 ? impl_->replyTimeoutMs : 1000);
            impl_->drained.wait_for(lock, limit, [&] {
                return !impl_->port.IsOpen() || (!impl_->writeBusy && impl_->output.empty());
            });
        }
        wasOpen = impl_->port.IsOpen();
        if (wasOpen) {
            impl_->port.Close();
            impl_->output.clear();
            impl_->writeTimer.cancel();
        }
    }
    if (wasOpen)
        NotifyDisconnected();
    else
        NotifyError(kErrorNotOpen);
}

void CTransportCOM::Send(const std::uint8_t* data, std::size_t length)
{
    std::lock_guard lock(impl_->lock);
    // Queued behind what is still waiting: the ACK that ends a download must not
    // be replaced by the command that follows it.
    impl_->output.insert(impl_->output.end(), data, data + length);
    asio::post(impl_->thread.Context(), [this] {
        int error = 0;
        {
            std::lock_guard inner(impl_->lock);
            error = StartWriteLocked();
            impl_->drained.notify_all();
        }
        if (error != 0)
            NotifyError(error);
    });
}

void CTransportCOM::StartReadLocked()
{
    if (impl_->readPending || !impl_->port.IsOpen())
        return;
    impl_->readPending = true;
    impl_->port.AsyncReadSome(impl_->readBuffer.data(), impl_->readBuffer.size(),
                              [this](const std::error_code& ec, std::size_t length) { OnRead(ec, length); });
}

void CTransportCOM::OnRead(const std::error_code& ec, std::size_t length)
{
    // The read is still marked pending, so no other read touches the buffer
    // while it is delivered - without the lock, so the session may take its own.
    if (!ec)
        OnBytesReceived(impl_->readBuffer.data(), length);
    int error = 0;
    {
        std::lock_guard lock(impl_->lock);
        impl_->readPending = false;
        // A cancelled read on an open port was cut short by a stuck write; reading
        // goes on. A read error ends reading until the port is opened again.
        if (!ec || ec == asio::error::operation_aborted)
            StartReadLocked();
        else if (impl_->port.IsOpen())
            error = TransportErrorCode(ec);
    }
    if (error != 0)
        NotifyError(error);
}

int CTransportCOM::StartWriteLocked()
{
    if (impl_->writeBusy || impl_->output.empty())
        return 0;
    if (!impl_->port.IsOpen()) {
        impl_->output.clear();
        return EBADF;
    }
    impl_->writing.swap(impl_->output);
    impl_->output.clear();
    impl_->writeBusy = true;
    impl_->writeTimedOut = false;
    const unsigned write = ++impl_->writeCount;
    impl_->port.AsyncWrite(impl_->writing.data(), impl_->writing.size(),
                           [this](const std::error_code& ec, std::size_t) { OnWritten(ec); });
    // A line held back by flow control would keep the write pending for ever.
    if (impl_->replyTimeoutMs > 0) {
        impl_->writeTimer.expires_after(std::chrono::milliseconds(impl_->replyTimeoutMs));
        impl_->writeTimer.async_wait([this, write](const std::error_code& timerEc) { OnWriteTimeout(timerEc, write); });
    }
    return 0;
}

void CTransportCOM::OnWritten(const std::error_code& ec)
{
    int error = 0;
    {
        std::lock_guard lock(impl_->lock);
        impl_->writeBusy = false;
        impl_->writing.clear();
        impl_->writeTimer.cancel();
        // A failed write drops what was left of it and is reported; a write
        // aborted by Close is not an error.
        if (impl_->writeTimedOut)
            error = ETIMEDOUT;
        else if (ec && ec != asio::error::operation_aborted)
            error = TransportErrorCode(ec);
        if (error != 0)
            impl_->output.clear();
        else
            error = StartWriteLocked();
        impl_->drained.notify_all();
    }
    if (error != 0)
        NotifyError(error);
}

void CTransportCOM::OnWriteTimeout(const std::error_code& ec, unsigned write)
{
    if (ec)
        return;
    std::lock_guard lock(impl_->lock);
    if (!impl_->writeBusy || write != impl_->writeCount)
        return;
    impl_->writeTimedOut = true;
    impl_->port.Cancel();
}
