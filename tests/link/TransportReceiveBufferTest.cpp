#include "link/ITransport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Cuts packets by a fixed length so the buffer's delivery rule can be seen alone.
class FixedLengthSink : public ITransportSink {
public:
    explicit FixedLengthSink(std::size_t length) : length_(length) {}
    void OnTransportConnected() override {}
    void OnTransportDisconnected() override {}
    void OnTransportError(int) override {}
    void OnPacketReceived(const ByteString& packet) override { packets.push_back(packet); }
    std::optional<std::size_t> GetPacketLength(const ByteString& buffered) override
    {
        if (buffered.empty() || buffered[0] == 0xEE)
            return std::nullopt;
        return length_ <= buffered.size() ? std::optional(length_) : std::nullopt;
    }
    std::vector<ByteString> packets;

private:
    std::size_t length_;
};

class LoopTransport : public ITransport {
public:
    using ITransport::ITransport;
    void Open(const ConnectionSettings&) override {}
    void Close() override {}
    void Send(const std::uint8_t*, std::size_t) override {}
    void Feed(const ByteString& bytes) { OnBytesReceived(bytes.data(), bytes.size()); }
};

TEST(TransportReceiveBuffer, ReassemblesPacketSplitOverArrivals)
{
    FixedLengthSink sink(4);
    LoopTransport transport(&sink);
    transport.Feed({1, 2});
    EXPECT_TRUE(sink.packets.empty());
    transport.Feed({3, 4});
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0], (ByteString{1, 2, 3, 4}));
}

TEST(TransportReceiveBuffer, KeepsBytesWhenMoreThanOnePacketArrives)
{
    FixedLengthSink sink(2);
    LoopTransport transport(&sink);
    transport.Feed({1, 2, 3});
    EXPECT_TRUE(sink.packets.empty());
    // The stale bytes stay in front: the next arrival still does not line up.
    transport.Feed({4});
    EXPECT_TRUE(sink.packets.empty());
}

TEST(TransportReceiveBuffer, DropsGarbageThatNeverFormsAPacket)
{
    FixedLengthSink sink(2);
    LoopTransport transport(&sink);
    ByteString junk(ITransport::kMaxReceiveBuffer, 0xEE);
    transport.Feed(junk);
    transport.Feed({0xEE});  // past the cap: the buffer is emptied
    transport.Feed({7, 8});
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0], (ByteString{7, 8}));
}

TEST(TransportReceiveBuffer, BytesArrivingBeforeASinkIsSetAreCappedToo)
{
    LoopTransport transport(nullptr);
    transport.Feed(ByteString(ITransport::kMaxReceiveBuffer + 1, 0xEE));  // nobody to ask: kept, but capped
    FixedLengthSink sink(2);
    transport.SetSink(&sink);
    transport.Feed({7, 8});
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0], (ByteString{7, 8}));
}

}  // namespace
