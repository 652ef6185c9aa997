// The real session and serial transport against a processor played by the test
// on the far end of a pseudo-terminal, writing at the pace of a 19200-baud wire.
#include "link/Packet.h"
#include "link/VexlorSession.h"
#include "link/XModemBlock.h"

#include "TransportTestSupport.h"
#include "support/RecordingSessionSink.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

namespace {

using namespace transport_test;

// Ten bit times per byte at 19200 baud; a UART hands them over a few at a time.
constexpr auto kByteTime = std::chrono::microseconds(521);
constexpr std::size_t kPiece = 4;

class SerialLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(pty.Path().empty());
        settings.transportIndex = 1;
        settings.portName = pty.Path();
        settings.replyTimeoutMs = 1000;
        session.Connect(settings);
        ASSERT_TRUE(sink.WaitFor("connect"));
    }

    // Writes as the wire would carry them: never faster, never all at once.
    void WritePaced(const ByteString& bytes, std::size_t piece = kPiece)
    {
        auto due = std::chrono::steady_clock::now();
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            const std::size_t n = std::min(piece, bytes.size() - at);
            pty.Write(ByteString(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + n)));
            due += kByteTime * n;
            std::this_thread::sleep_until(due);
        }
    }
    void ExpectFromHost(const ByteString& expected, const char* what)
    {
        EXPECT_EQ(pty.Read(expected.size()), expected) << what;
    }
    static ByteString Block(std::uint32_t number, std::uint8_t fill)
    {
        const ByteString data(kXBlockData, fill);
        return BuildXBlock(number, data.data(), data.size());
    }
    static ByteString Reply(std::initializer_list<std::uint8_t> head)
    {
        ByteString p(head);
        p.push_back(Checksum(p.data(), p.size()));
        return p;
    }
    // Ends a download: the host asks for the EOT again before it takes it.
    void EndTransfer()
    {
        WritePaced({XM_EOT});
        ExpectFromHost({XM_NAK}, "NAK of the first EOT");
        WritePaced({XM_EOT});
        ExpectFromHost({XM_ACK}, "ACK of the repeated EOT");
    }
    // Answers a Get preset for `preset` and starts its transfer.
    void AnswerGetPreset(std::uint8_t preset)
    {
        ExpectFromHost(BuildGetPreset(preset), "Get preset");
        WritePaced(Reply({0x06, CMD_GET_PRESET, preset}));
        ExpectFromHost({XM_START}, "start of the transfer");
    }

    PtyPair pty;
    ConnectionSettings settings;
    RecordingSessionSink sink;
    CVexlorSession session{&sink};
};

TEST_F(SerialLineTest, AckEndingADownloadIsNotReplacedByTheQueuedCommand)
{
    for (std::uint8_t preset = 1; preset <= 3; ++preset) {
        session.GetPreset(preset);
        session.ReadVersion();  // queued behind the transfer
        AnswerGetPreset(preset);
        WritePaced(Block(1, preset));
        ExpectFromHost({XM_ACK}, "ACK of the block");
        EndTransfer();
        ExpectFromHost(BuildReadVersion(), "the queued command");
        WritePaced(Reply({0x06, CMD_READ_VERSION, '1', '0', '3'}));
        ASSERT_TRUE(sink.WaitFor("version", preset));
    }
    EXPECT_EQ(sink.Count("preset"), 3u);
}

TEST_F(SerialLineTest, StrayByteInsideABlockCostsOneNakAndTheResentBlockIsTaken)
{
    session.GetPreset(4);
    AnswerGetPreset(4);
    ByteString noisy = Block(1, 0x41);
    noisy.insert(noisy.begin() + 60, 0x00);  // a BREAK read as a zero byte
    WritePaced(noisy);
    ExpectFromHost({XM_NAK}, "NAK of the damaged block");
    WritePaced(Block(1, 0x41));
    ExpectFromHost({XM_ACK}, "ACK of the resent block");
    // Noise between blocks never starts one.
    WritePaced({0x7F, 0x00, 0x43});
    WritePaced(Block(2, 0x42));
    ExpectFromHost({XM_ACK}, "ACK of the second block");
    EndTransfer();
    ASSERT_TRUE(sink.WaitFor("preset"));
    ByteString expected(kXBlockData, 0x41);
    expected.insert(expected.end(), kXBlockData, 0x42);
    EXPECT_EQ(sink.Events("preset")[0].bytes, expected);
    EXPECT_EQ(sink.LogCount("Received Invalid XModem Packet - Sending NACK"), 1u);
}

}  // namespace
