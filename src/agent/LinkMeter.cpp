#include "agent/LinkMeter.h"

#include <algorithm>

namespace {

// Passes everything between a session and the real transport, telling the meter
// when a packet goes out and when an answer comes in. Received bytes are handed
// on whole and cut into packets by this transport's own buffer, so the session's
// discard and quiet-line rules work on it as on any transport.
class CMeteredTransport : public ITransport, private ITransportSink {
public:
    CMeteredTransport(std::unique_ptr<ITransport> inner, CLinkMeter& meter) : inner_(std::move(inner)), meter_(meter)
    {
        inner_->SetSink(this);
    }
    ~CMeteredTransport() override { inner_.reset(); }

    void Open(const ConnectionSettings& settings) override { inner_->Open(settings); }
    void Close() override { inner_->Close(); }
    void Send(const std::uint8_t* data, std::size_t length) override
    {
        meter_.Sent(data, length);
        inner_->Send(data, length);
    }
    void Renew() override { inner_->Renew(); }
    std::chrono::milliseconds QuietGap() const override { return inner_->QuietGap(); }

private:
    void OnTransportConnected() override { NotifyConnected(); }
    void OnTransportDisconnected() override { NotifyDisconnected(); }
    void OnTransportError(int code) override { NotifyError(code); }
    void OnPacketReceived(const ByteString& bytes) override
    {
        meter_.Received();
        OnBytesReceived(bytes.data(), bytes.size());
    }
    std::optional<std::size_t> GetPacketLength(const ByteString& buffered) override { return buffered.size(); }

    std::unique_ptr<ITransport> inner_;
    CLinkMeter& meter_;
};

}  // namespace

void CLinkMeter::Sent(const std::uint8_t* data, std::size_t length)
{
    std::lock_guard lock(mutex_);
    ByteString packet(data, data + length);
    // The same bytes again with no answer in between: the session is retrying.
    if (!answered_ && packet == lastSent_)
        retries_.fetch_add(1);
    lastSent_ = std::move(packet);
    answered_ = false;
    sentAt_ = Clock::now();
}

void CLinkMeter::Received()
{
    std::lock_guard lock(mutex_);
    if (answered_)
        return;  // a second part of the answer, or bytes nobody asked for
    answered_ = true;
    const double seconds = std::chrono::duration<double>(Clock::now() - sentAt_).count();
    ++histogram_.count;
    histogram_.sum += seconds;
    for (std::size_t i = 0; i < kBuckets.size(); ++i)
        if (seconds <= kBuckets[i])
            ++histogram_.counts[i];
}

CLinkMeter::Histogram CLinkMeter::RoundTrips() const
{
    std::lock_guard lock(mutex_);
    return histogram_;
}

TransportFactory CLinkMeter::Wrap(TransportFactory inner)
{
    return [this, inner = std::move(inner)](const ConnectionSettings& settings) -> std::unique_ptr<ITransport> {
        auto transport = inner(settings);
        if (!transport)
            return nullptr;
        return std::make_unique<CMeteredTransport>(std::move(transport), *this);
    };
}
