#include "link/TransportUDP.h"

#include "TransportTestSupport.h"
#include "settings/ConnectionSettings.h"
#include "support/LoopbackUdpSocket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

using namespace transport_test;

// The processor's side: a datagram socket on 127.0.0.1 that answers whoever
// wrote to it last.
class UdpPeer {
public:
    void Close() { socket_.Close(); }
    std::uint16_t Port() const { return socket_.Port(); }

    // One datagram, or nullopt when none came within the limit.
    std::optional<ByteString> Receive(int limitMs = 5000)
    {
        pollfd wait{socket_.Fd(), POLLIN, 0};
        if (::poll(&wait, 1, limitMs) != 1)
            return std::nullopt;
        ByteString bytes(1024);
        socklen_t size = sizeof last_;
        const auto count = ::recvfrom(socket_.Fd(), bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&last_), &size);
        if (count < 0)
            return std::nullopt;
        bytes.resize(static_cast<std::size_t>(count));
        return bytes;
    }
    void Reply(const ByteString& bytes) { ReplyTo(last_, bytes); }
    void ReplyTo(const sockaddr_in& to, const ByteString& bytes)
    {
        ::sendto(socket_.Fd(), bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    const sockaddr_in& LastSender() const { return last_; }

private:
    LoopbackUdpSocket socket_;
    sockaddr_in last_{};
};

ConnectionSettings LoopbackSettings(std::uint32_t port)
{
    ConnectionSettings settings;
    PointAtLoopback(settings, port);
    return settings;
}

class TransportUDPTest : public ::testing::Test {
protected:
    // Opens the transport and has the peer learn its address from a first command.
    void Connect(const std::string& host = "127.0.0.1")
    {
        auto settings = LoopbackSettings(peer.Port());
        settings.host = host;
        const int connectedBefore = sink.Inspect([&] { return sink.connected; });
        transport.Open(settings);
        ASSERT_EQ(sink.Inspect([&] { return sink.connected; }), connectedBefore + 1);
        const ByteString command{0x80, 0x80};
        transport.Send(command.data(), command.size());
        ASSERT_EQ(peer.Receive(), command);
    }

    UdpPeer peer;
    RecordingSink sink;
    CTransportUDP transport{&sink};
};

TEST_F(TransportUDPTest, SendsEachPacketAsOneDatagramToTheConnectedPort)
{
    Connect();
    EXPECT_EQ(ntohl(peer.LastSender().sin_addr.s_addr), INADDR_LOOPBACK);
    const ByteString read{0x81, 1, 2, 3, 0x87};
    transport.Send(read.data(), read.size());
    EXPECT_EQ(peer.Receive(), read);
    EXPECT_TRUE(sink.Inspect([&] { return sink.errors.empty(); }));
}

TEST_F(TransportUDPTest, PortNumberIsCutToItsLowSixteenBits)
{
    transport.Open(LoopbackSettings(0x30000u | peer.Port()));
    const ByteString command{0x80, 0x80};
    transport.Send(command.data(), command.size());
    EXPECT_EQ(peer.Receive(), command);
}

TEST_F(TransportUDPTest, HostNameResolvesLikeADottedAddress)
{
    Connect("localhost");  // from the hosts file: no name server is asked
}

TEST_F(TransportUDPTest, ReplySplitOverTwoDatagramsIsReassembled)
{
    Connect();
    peer.Reply({5, 0x81, 1});
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.bufferedSizes.size() == 1; }));
    peer.Reply({2, 3});
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.packets.size() == 1; }));
    EXPECT_EQ(sink.Inspect([&] { return sink.packets[0]; }), (ByteString{5, 0x81, 1, 2, 3}));
}

TEST_F(TransportUDPTest, TwoRepliesInOneDatagramAreNotDelivered)
{
    Connect();
    peer.Reply({3, 0xA, 0xB, 3, 0xC, 0xD});
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.bufferedSizes.size() == 1; }));
    peer.Reply({4});
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.bufferedSizes.size() == 2; }));
    EXPECT_TRUE(sink.Inspect([&] { return sink.packets.empty(); }));
}

// After Renew, a reply still addressed to the old port is never read; the next
// request comes from a new port and its answer arrives.
TEST_F(TransportUDPTest, RenewLeavesLateDatagramsForTheOldPortUnread)
{
    Connect();
    const sockaddr_in old = peer.LastSender();
    transport.Renew();
    const ByteString command{0x85, 2, 0x87};
    transport.Send(command.data(), command.size());
    ASSERT_EQ(peer.Receive(), command);
    EXPECT_NE(peer.LastSender().sin_port, old.sin_port);
    peer.ReplyTo(old, {4, 0x85, 1, 0});  // late, to the port given up
    peer.Reply({4, 0x85, 2, 0});
    ASSERT_TRUE(sink.WaitUntil([&] { return !sink.packets.empty(); }));
    EXPECT_EQ(sink.Inspect([&] { return sink.packets; }), (std::vector<ByteString>{{4, 0x85, 2, 0}}));
}

TEST(TransportUDPReceive, OversizedDatagramIsDroppedWholeNotCut)
{
    UdpPeer peer;
    RecordingSink sink([](const ByteString& buffered) { return std::optional<std::size_t>(buffered.size()); });
    CTransportUDP transport(&sink);
    transport.Open(LoopbackSettings(peer.Port()));
    const ByteString command{0x80, 0x80};
    transport.Send(command.data(), command.size());
    ASSERT_EQ(peer.Receive(), command);
    // Cut to the buffer, its front would pass for an XModem block.
    ByteString oversized(CTransportUDP::kReceiveSize + 40, 0x11);
    oversized[0] = 0x01;
    peer.Reply(oversized);
    peer.Reply(ByteString(CTransportUDP::kReceiveSize, 0x22));  // just fits
    peer.Reply({0x06});
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.packets.size() >= 2; }));
    sink.Inspect([&] {
        EXPECT_EQ(sink.packets[0], ByteString(CTransportUDP::kReceiveSize, 0x22));
        EXPECT_EQ(sink.packets[1], ByteString{0x06});
    });
}

TEST_F(TransportUDPTest, DatagramsFromAnotherAddressAreIgnored)
{
    Connect();
    UdpPeer stranger;
    stranger.ReplyTo(peer.LastSender(), {2, 0xEE});
    peer.Reply({2, 0x11});
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.packets.size() == 1; }));
    EXPECT_EQ(sink.Inspect([&] { return sink.packets[0]; }), (ByteString{2, 0x11}));
    EXPECT_EQ(sink.Inspect([&] { return sink.bufferedSizes.size(); }), 1u);
}

TEST_F(TransportUDPTest, UnresolvableNameGivesErrorAndNoConnection)
{
    // A label longer than 63 characters cannot be put in a name query, so the
    // resolver fails here without asking any name server.
    auto settings = LoopbackSettings(peer.Port());
    settings.host = std::string(70, 'x') + ".invalid";
    transport.Open(settings);
    sink.Inspect([&] {
        EXPECT_EQ(sink.connected, 0);
        ASSERT_EQ(sink.errors.size(), 1u);
        EXPECT_NE(sink.errors[0], 0);
    });
    const ByteString command{0x80, 0x80};
    transport.Send(command.data(), command.size());
    EXPECT_EQ(sink.Inspect([&] { return sink.errors.size(); }), 2u);
    EXPECT_EQ(peer.Receive(200), std::nullopt);
}

TEST_F(TransportUDPTest, UnreachablePortIsReportedAsAnError)
{
    Connect();
    peer.Close();
    const ByteString command{0x80, 0x80};
    transport.Send(command.data(), command.size());
    ASSERT_TRUE(sink.WaitUntil([&] { return !sink.errors.empty(); }));
    EXPECT_EQ(sink.Inspect([&] { return sink.errors[0]; }), ECONNREFUSED);
}

TEST_F(TransportUDPTest, CloseEndsTheLinkAndLaterSendsFail)
{
    Connect();
    transport.Close();
    EXPECT_EQ(sink.Inspect([&] { return sink.disconnected; }), 1);
    peer.Reply({2, 0x11});
    const ByteString command{0x80, 0x80};
    transport.Send(command.data(), command.size());
    sink.Inspect([&] {
        EXPECT_TRUE(sink.packets.empty());
        EXPECT_EQ(sink.errors, std::vector<int>{ENOTCONN});
    });
}

TEST_F(TransportUDPTest, ReopenedTransportTalksAgain)
{
    Connect();
    transport.Close();
    Connect();
    peer.Reply({2, 0x11});
    EXPECT_TRUE(sink.WaitUntil([&] { return sink.packets.size() == 1; }));
}

TEST(TransportUDPCycles, OpenCloseCyclesLeakNoDescriptorOrThread)
{
    UdpPeer peer;
    ExpectOpenCloseCyclesLeakNothing<CTransportUDP>(LoopbackSettings(peer.Port()), false);
}

}  // namespace
