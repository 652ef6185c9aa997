#include "link/TransportCOM.h"

#include "TransportTestSupport.h"
#include "link/SerialPort.h"
#include "ports/SerialDevice.h"
#include "settings/ConnectionSettings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <algorithm>
#include <numeric>

namespace {

using namespace transport_test;

class TransportCOMTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(pty.Path().empty());
        settings.transportIndex = 1;
        settings.portName = pty.Path();
    }
    void Open()
    {
        transport.Open(settings);
        ASSERT_EQ(sink.Inspect([&] { return sink.connected; }), 1);
    }
    void Send(const ByteString& bytes) { transport.Send(bytes.data(), bytes.size()); }

    PtyPair pty;
    ConnectionSettings settings;
    RecordingSink sink;
    CTransportCOM transport{&sink};
};

TEST_F(TransportCOMTest, DefaultSettingsRunTheLineAt19200EightNoneOne)
{
    Open();
    const termios line = pty.Line();
    EXPECT_EQ(cfgetospeed(&line), B19200);
    EXPECT_EQ(cfgetispeed(&line), B19200);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(line.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_FALSE(line.c_iflag & (IXON | IXOFF | INPCK));
    EXPECT_FALSE(line.c_lflag & (ICANON | ECHO));
    EXPECT_TRUE(line.c_iflag & IGNBRK);  // a BREAK is no zero byte
}

TEST_F(TransportCOMTest, EveryByteValuePassesBothWays)
{
    settings.replyTimeoutMs = 2000;
    Open();
    ByteString all(256);
    std::iota(all.begin(), all.end(), 0);
    Send(all);
    EXPECT_EQ(pty.Read(all.size()), all);

    ByteString reply(200);
    std::iota(reply.begin(), reply.end(), 56);  // 56..255
    reply[0] = 200;
    pty.Write(reply);
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.packets.size() == 1; }));
    EXPECT_EQ(sink.Inspect([&] { return sink.packets[0]; }), reply);
}

TEST_F(TransportCOMTest, ReplyWrittenInChunksIsDeliveredOnceComplete)
{
    Open();
    const ByteString reply{7, 0x06, 0x81, 1, 2, 3, 0x42};
    std::size_t written = 0;
    for (std::size_t chunk : {2u, 3u, 2u}) {
        pty.Write(ByteString(reply.begin() + static_cast<long>(written), reply.begin() + static_cast<long>(written + chunk)));
        written += chunk;
        // Each chunk arrives on its own before the next is written.
        ASSERT_TRUE(sink.WaitUntil([&] { return !sink.bufferedSizes.empty() && sink.bufferedSizes.back() == written; }));
    }
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.packets.size() == 1; }));
    sink.Inspect([&] {
        EXPECT_EQ(sink.bufferedSizes, (std::vector<std::size_t>{2, 5, 7}));
        EXPECT_EQ(sink.packets, std::vector<ByteString>{reply});
    });
}

TEST_F(TransportCOMTest, TwoSendsBeforeTheThreadWritesBothGoOutInOrder)
{
    Open();
    sink.Hold();
    pty.Write({1});  // the transport's thread now sits in the sink
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.packets.size() == 1; }));
    Send({0x06});  // the ACK that ends a download...
    Send({0x82, 0x82});  // ...and the command queued behind it
    sink.Release();
    EXPECT_EQ(pty.Read(3), (ByteString{0x06, 0x82, 0x82}));
}

TEST_F(TransportCOMTest, OutputSentJustBeforeCloseStillGoesOut)
{
    Open();
    Send({0x00, 0x00});  // the session's Disconnect, followed at once by Close
    transport.Close();
    EXPECT_EQ(pty.Read(2), (ByteString{0x00, 0x00}));
}

TEST_F(TransportCOMTest, CloseWithoutOpenPortReportsMinusTwo)
{
    transport.Close();
    Open();
    transport.Close();
    transport.Close();
    sink.Inspect([&] {
        EXPECT_EQ(sink.disconnected, 1);
        EXPECT_EQ(sink.errors, (std::vector<int>{CTransportCOM::kErrorNotOpen, CTransportCOM::kErrorNotOpen}));
    });
}

TEST_F(TransportCOMTest, OpenFailureReportsMinusOne)
{
    for (const char* name : {"/dev/vexlor-no-such-device", "TCP", "COM9999"}) {
        settings.portName = name;
        transport.Open(settings);
    }
    sink.Inspect([&] {
        EXPECT_EQ(sink.connected, 0);
        EXPECT_EQ(sink.errors, std::vector<int>(3, CTransportCOM::kErrorOpenFailed));
    });
}

TEST_F(TransportCOMTest, OpenOfAPortInUseFails)
{
    Open();
    RecordingSink otherSink;
    CTransportCOM other(&otherSink);
    other.Open(settings);
    EXPECT_EQ(otherSink.Inspect([&] { return otherSink.errors; }), std::vector<int>{CTransportCOM::kErrorOpenFailed});
    EXPECT_EQ(CheckPort(pty.Path()), PortCheck::InUse);
}

TEST_F(TransportCOMTest, VanishedDeviceIsReportedAndFailedWritesAreDropped)
{
    Open();
    pty.CloseMaster();  // the far side hangs up: reads end, writes fail
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.errors.size() == 1; }));
    EXPECT_EQ(sink.Inspect([&] { return sink.errors[0]; }), EIO);
    Send({0x80, 0x80});
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.errors.size() == 2; }));
    Send({0x80, 0x80});  // the thread is not stuck on the failed write
    ASSERT_TRUE(sink.WaitUntil([&] { return sink.errors.size() == 3; }));
    EXPECT_EQ(sink.Inspect([&] { return sink.errors[2]; }), EIO);
}

TEST_F(TransportCOMTest, WriteHeldBackPastTheReplyTimeoutIsDropped)
{
    settings.flowControl = 2;  // XON/XOFF
    settings.replyTimeoutMs = 100;
    Open();
    pty.Write({0x13});  // XOFF: the line stops sending
    // The stop character reaches the line discipline asynchronously; keep
    // sending, each time other bytes, until a write is held back.
    std::uint8_t last = 0;
    for (std::uint8_t i = 1; i < 40 && sink.Inspect([&] { return sink.errors.empty(); }); ++i) {
        Send({2, i});
        last = i;
        sink.WaitUntil([&] { return !sink.errors.empty(); }, 200ms);
    }
    ASSERT_EQ(sink.Inspect([&] { return sink.errors; }), std::vector<int>{ETIMEDOUT});
    pty.Write({0x11});  // XON
    Send({2, 0x55});
    // Bytes written before the stop may still be on their way; the held-back
    // ones must never come.
    const ByteString seen = pty.Read(1024, 300);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(ByteString(seen.end() - 2, seen.end()), (ByteString{2, 0x55}));
    const ByteString dropped{2, last};
    EXPECT_EQ(std::search(seen.begin(), seen.end(), dropped.begin(), dropped.end()), seen.end());
}

TEST(TransportCOMCycles, OpenCloseCyclesLeakNoDescriptorOrThread)
{
    PtyPair pty;
    ConnectionSettings settings;
    settings.portName = pty.Path();
    ExpectOpenCloseCyclesLeakNothing<CTransportCOM>(settings, true);
}

}  // namespace
