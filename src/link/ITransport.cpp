#include "link/ITransport.h"

#include <algorithm>

void ITransport::NotifyConnected()
{
    if (sink_)
        sink_->OnTransportConnected();
}

void ITransport::NotifyDisconnected()
{
    if (sink_)
        sink_->OnTransportDisconnected();
}

void ITransport::NotifyError(int code)
{
    if (sink_)
        sink_->OnTransportError(code);
}

void ITransport::OnBytesReceived(const std::uint8_t* data, std::size_t length)
{
    lastArrival_.store(std::chrono::steady_clock::now().time_since_epoch().count());
    if (discardReceived_.exchange(false))
        receiveBuffer_.clear();
    receiveBuffer_.insert(receiveBuffer_.end(), data, data + length);
    if (sink_) {
        const std::size_t junk = std::min(sink_->GetJunkLength(receiveBuffer_), receiveBuffer_.size());
        receiveBuffer_.erase(receiveBuffer_.begin(), receiveBuffer_.begin() + static_cast<std::ptrdiff_t>(junk));
    }
    const auto packetLength = sink_ ? sink_->GetPacketLength(receiveBuffer_) : std::nullopt;
    if (packetLength && *packetLength == receiveBuffer_.size()) {
        ByteString packet;
        packet.swap(receiveBuffer_);
        sink_->OnPacketReceived(packet);
    } else if (receiveBuffer_.size() > kMaxReceiveBuffer) {
        receiveBuffer_.clear();
    }
}
