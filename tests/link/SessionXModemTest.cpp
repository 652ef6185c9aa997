#include "SessionFixture.h"

#include "link/XModemBlock.h"

#include <numeric>

namespace {

ByteString Counting(std::size_t n, std::uint8_t start = 0)
{
    ByteString data(n);
    std::iota(data.begin(), data.end(), start);
    return data;
}

const ByteString kAck{XM_ACK};
const ByteString kNak{XM_NAK};
const ByteString kEot{XM_EOT};

TEST_F(SessionTest, DescriptionOf300BytesArrivesAs384WithThePadding)
{
    peer.description = Counting(300);
    ConnectNow();
    session->GetConfig(1234);
    ASSERT_TRUE(sink.WaitFor("config"));
    const auto data = sink.Events("config")[0].bytes;
    ASSERT_EQ(data.size(), 384u);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 300, peer.description.begin()));
    EXPECT_EQ(data[300], peer.fill);
    EXPECT_EQ(data[383], peer.fill);
    EXPECT_EQ(sink.LogCount("Get Config. The Lock Code is 1234"), 1u);
    EXPECT_EQ(sink.LogCount("Received Valid XModem Packet - Sending ACK for next"), 3u);
    EXPECT_EQ(peer.CountOf({'C'}), 1u);
    EXPECT_EQ(peer.CountOf(kAck), 4u);  // three blocks and the EOT
    // Back to normal framing: the next command works.
    session->ReadVersion();
    EXPECT_TRUE(sink.WaitFor("version"));
}

TEST_F(SessionTest, CorruptBlockIsRefusedWithNakAndTakenWhenResent)
{
    peer.description = Counting(200);
    peer.corruptBlocks = 1;
    ConnectNow();
    session->GetConfig(1);
    ASSERT_TRUE(sink.WaitFor("config"));
    EXPECT_EQ(sink.Events("config")[0].bytes.size(), 256u);
    EXPECT_EQ(sink.LogCount("Received Invalid XModem Packet - Sending NACK"), 1u);
    EXPECT_EQ(sink.LogCount("Try: 1"), 1u);
    EXPECT_EQ(peer.CountOf(kNak), 2u);  // the bad block, and the EOT asked for again
}

// A lone EOT ends a download only when the sender repeats it after a NAK: a
// stray one (or the late end of the transfer before) is followed by a block.
TEST_F(SessionTest, StrayEotBeforeABlockDoesNotCutTheDownloadShort)
{
    for (int before : {1, 2}) {
        SCOPED_TRACE(before);
        peer.Configure([&](ScriptedPeer& p) {
            p.presets[3] = Counting(256);
            p.strayBeforeBlock = before;
            p.strayByte = XM_EOT;
        });
        const std::size_t delivered = sink.Count("preset");
        if (!session->IsConnected())
            ConnectNow();
        session->GetPreset(3);
        ASSERT_TRUE(sink.WaitFor("preset", delivered + 1));
        EXPECT_EQ(sink.Events("preset").back().bytes, Counting(256));
    }
}

TEST_F(SessionTest, EotAsTheFirstAnswerEndsAnEmptyTransfer)
{
    peer.presets[2] = {};
    ConnectNow();
    session->GetPreset(2);
    ASSERT_TRUE(sink.WaitFor("preset"));
    EXPECT_TRUE(sink.Events("preset")[0].bytes.empty());
    EXPECT_EQ(peer.CountOf(kAck), 1u);
    EXPECT_EQ(sink.LogCount("Too many tries. Disconnecting."), 0u);
    session->ReadVersion();
    EXPECT_TRUE(sink.WaitFor("version"));
}

// A cancelled transfer hands nothing over: its command is sent again, and a
// transfer cancelled every time ends in a dropped link, not in short data.
TEST_F(SessionTest, CancelledDownloadIsAskedForAgainNeverDeliveredCut)
{
    peer.description = Counting(1000);
    peer.cancelAfterBlocks = 2;
    ConnectNow();
    session->GetConfig(1);
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_EQ(sink.Count("config"), 0u);
    EXPECT_EQ(peer.CountOf(BuildGetConfig(1)), static_cast<std::size_t>(settings.tries));
    EXPECT_EQ(sink.LogCount("Too many tries. Disconnecting."), 1u);
}

TEST_F(SessionTest, StrayCanRestartsTheDownloadAndDeliversItWhole)
{
    peer.presets[4] = Counting(256, 9);
    peer.strayBeforeBlock = 2;
    ConnectNow();
    session->GetPreset(4);
    ASSERT_TRUE(sink.WaitFor("preset"));
    EXPECT_EQ(sink.Events("preset")[0].bytes, Counting(256, 9));
    EXPECT_EQ(sink.LogCount("XModem Cancelled by Embedded End "), 1u);
}

// Silence after data is not the end: the block held up would be missing.
TEST_F(SessionTest, PresetDownloadSilentAfterTwoBlocksIsNeverTakenAsComplete)
{
    peer.presets[4] = Counting(1000, 7);
    peer.silentAfterBlocks = 2;
    ConnectNow();
    session->GetPreset(4);
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_EQ(sink.Count("preset"), 0u);
    EXPECT_EQ(sink.LogCount("Too many tries. Disconnecting."), 1u);
}

TEST_F(SessionTest, SilentDescriptionDownloadNaksNineTimesThenDrops)
{
    peer.description = Counting(300);
    peer.silentAfterBlocks = 0;
    ConnectNow();
    session->GetConfig(1);
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_EQ(peer.CountOf(kNak), 9u);
    EXPECT_EQ(sink.LogCount("Too many tries. Disconnecting."), 1u);
    EXPECT_EQ(sink.Count("config"), 0u);
    EXPECT_EQ(peer.CountOf(BuildDisconnect()), 0u);
}

TEST_F(SessionTest, BadBlocksOneMoreThanTriesDropTheLink)
{
    peer.description = Counting(300);
    peer.corruptBlocks = 1000;
    ConnectNow();
    session->GetConfig(1);
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_EQ(sink.LogCount("Received Invalid XModem Packet - Sending NACK"), 11u);
    EXPECT_EQ(peer.CountOf(kNak), 10u);
}

TEST_F(SessionTest, UploadOf200BytesSendsTwoBlocksThenEot)
{
    const ByteString preset = Counting(200, 1);
    peer.uploadSize = 200;
    ConnectNow();
    session->SendPreset(9, preset);
    ASSERT_TRUE(sink.WaitFor("sent"));
    const auto event = sink.Events("sent")[0];
    EXPECT_EQ(event.number, 9);
    EXPECT_TRUE(event.bytes.empty());
    EXPECT_EQ(sink.LogCount("Send Preset : 09 "), 1u);

    const auto blocks = peer.Uploaded();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0], BuildXBlock(1, preset.data(), 128));
    EXPECT_EQ(blocks[1], BuildXBlock(2, preset.data() + 128, 72));
    EXPECT_EQ(blocks[1][3 + 72], 0);
    EXPECT_EQ(peer.CountOf(kEot), 1u);
    EXPECT_TRUE(WaitState(SessionState::WAITSEND));
}

TEST_F(SessionTest, UploadOf40BytesAcknowledgedAfterOneBlock)
{
    peer.uploadSize = 1;
    ConnectNow();
    session->SendPreset(2, Counting(40));
    ASSERT_TRUE(sink.WaitFor("sent"));
    const auto blocks = peer.Uploaded();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], BuildXBlock(1, Counting(40).data(), 40));
    EXPECT_EQ(peer.CountOf(kEot), 1u);
}

TEST_F(SessionTest, UploadNobodyAnswersEndsAfterTriesTimeOuts)
{
    peer.silentInUpload = true;
    ConnectNow();
    session->SendPreset(2, Counting(200));
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_EQ(sink.LogCount("Too many tries. Disconnecting."), 1u);
    EXPECT_EQ(peer.Uploaded().size(), 10u);  // the first block and one per time-out but the last
    EXPECT_EQ(sink.Count("sent"), 0u);
}

TEST_F(SessionTest, UploadNeverAcknowledgedStopsAfterThePaddingLimit)
{
    peer.uploadSize = static_cast<std::size_t>(-1);
    ConnectNow();
    session->SendPreset(2, Counting(10));
    ASSERT_TRUE(sink.WaitFor("disconnect", 1, std::chrono::milliseconds(20000)));
    EXPECT_EQ(peer.Uploaded().size(), 1 + CVexlorSession::kMaxPaddingBlocks);  // data, then zeros
    EXPECT_EQ(sink.LogCount("Too many tries. Disconnecting."), 1u);
}

TEST_F(SessionTest, QueuedTransfersKeepTheirOwnPresetAndData)
{
    peer.presets[1] = Counting(100, 1);
    peer.presets[2] = Counting(100, 2);
    peer.uploadSize = 1;
    ConnectNow();
    session->GetPreset(1);
    session->GetPreset(2);
    session->SendPreset(5, ByteString(10, 0x55));
    session->SendPreset(6, ByteString(10, 0x66));
    ASSERT_TRUE(sink.WaitFor("sent", 2));
    const auto downloads = sink.Events("preset");
    ASSERT_EQ(downloads.size(), 2u);
    EXPECT_EQ(downloads[0].number, 1);
    EXPECT_EQ(downloads[0].bytes[0], 1);
    EXPECT_EQ(downloads[1].number, 2);
    EXPECT_EQ(downloads[1].bytes[0], 2);
    const auto uploads = peer.Uploaded();
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_EQ(uploads[0][3], 0x55);
    EXPECT_EQ(uploads[1][3], 0x66);
    const auto sent = sink.Events("sent");
    EXPECT_EQ(sent[0].number, 5);
    EXPECT_EQ(sent[1].number, 6);
}

TEST_F(SessionTest, StatusPollingPausesDuringATransfer)
{
    peer.description = Counting(128 * 400);
    settings.statusRate = 1000;
    ConnectNow();
    session->EnableStatusUpdates(true);
    ASSERT_TRUE(sink.WaitFor("status"));
    session->GetConfig(1);
    ASSERT_TRUE(sink.WaitFor("config"));
    EXPECT_EQ(sink.Events("config")[0].bytes.size(), 128u * 400);

    const auto packets = peer.Packets();
    const auto start = std::find(packets.begin(), packets.end(), ByteString{'C'});
    const auto end = std::find_end(start, packets.end(), &kAck, &kAck + 1);  // the answer to EOT
    ASSERT_NE(end, packets.end());
    const auto polls = std::count(start, end, BuildReadLeds());
    EXPECT_EQ(polls, 0);
    ASSERT_TRUE(sink.WaitFor("status", sink.Count("status") + 1));  // polling resumes
}

TEST_F(SessionTest, DisconnectDuringDownloadLeavesTransferMode)
{
    peer.description = Counting(300);
    peer.silentAfterBlocks = 1;
    ConnectNow();
    session->GetConfig(1);
    ASSERT_TRUE(sink.WaitForLog("Received Valid XModem Packet - Sending ACK for next"));
    session->Disconnect();
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_EQ(session->GetPacketLength({0x06, 0x80, 1, 2, 3, 0x8C}), 6u);  // normal framing again
    EXPECT_EQ(sink.Count("config"), 0u);
}

}  // namespace
