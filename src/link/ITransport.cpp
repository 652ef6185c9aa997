#include "link/ITransport.h"

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
    if (discardReceived_.exchange(false))
        receiveBuffer_.clear();
    receiveBuffer_.insert(receiveBuffer_.end(), data, data + length);
    const auto packetLength = sink_ ? sink_->GetPacketLength(receiveBuffer_) : std::nullopt;
    if (packetLength && *packetLength == receiveBuffer_.size()) {
        ByteString packet;
        packet.swap(receiveBuffer_);
        sink_->OnPacketReceived(packet);
    } else if (receiveBuffer_.size() > kMaxReceiveBuffer) {
        receiveBuffer_.clear();
    }
}
