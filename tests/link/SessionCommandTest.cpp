#include "SessionFixture.h"

#include <functional>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST_F(SessionTest, ConnectOpensTransportAndGoesIdle)
{
    ConnectNow();
    EXPECT_TRUE(session->IsConnected());
    EXPECT_EQ(wire->opens.load(), 1);
}

TEST_F(SessionTest, FailedOpenReportsErrorStaysDisconnectedAndNextConnectRetries)
{
    wire->openError = 111;
    session->Connect(settings);
    ASSERT_TRUE(sink.WaitFor("error"));
    EXPECT_EQ(sink.Events("error")[0].number, 111);
    EXPECT_FALSE(session->IsConnected());
    EXPECT_EQ(sink.Count("connect"), 0u);

    wire->openError = 0;
    ConnectNow();
    EXPECT_EQ(wire->opens.load(), 2);
}

TEST_F(SessionTest, CommandsWhileDisconnectedAreIgnoredSilently)
{
    session->ReadVersion();
    session->WriteParam(1, 2, 3, 4);
    session->Disconnect();
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(peer.Packets().empty());
    EXPECT_TRUE(sink.Logs().empty());
}

TEST_F(SessionTest, RepliesReachTheirSinkEvents)
{
    ConnectNow();
    session->ReadVersion();
    session->WriteParam(0x10, 0x20, 0x30, 0x44);
    session->ReadParam(0x10, 0x20, 0x30);
    session->GetFactoryPresetNumber();
    session->LoadPreset(3);
    session->SavePreset(3);
    session->SendCompare();
    session->SendRevert();
    session->RenamePreset(2, "Morning Show");
    ASSERT_TRUE(sink.WaitFor("loaded"));
    ASSERT_TRUE(sink.WaitForLog("Send Rename for preset # 2"));
    ASSERT_TRUE(WaitState(SessionState::WAITSEND));
    EXPECT_EQ(sink.Events("version")[0].bytes, (ByteString{'1', '0', '3'}));
    EXPECT_EQ(sink.Events("param")[0].bytes, (ByteString{0x10, 0x20, 0x30, 0x44}));
    EXPECT_EQ(sink.Events("count")[0].number, 5);
    EXPECT_EQ(sink.Events("loaded")[0].number, 3);
    EXPECT_EQ(sink.LogCount("Read version"), 1u);
    EXPECT_EQ(sink.LogCount("Write : 10 - 20 - 30 - 44"), 1u);
    EXPECT_EQ(sink.LogCount("Read : 10 - 20 - 30"), 1u);
    EXPECT_EQ(sink.LogCount("Recieved  - 06 - 80 - 31 - 30 - 33 - 1A"), 1u);
    EXPECT_EQ(sink.Count("disconnect"), 0u);
}

TEST_F(SessionTest, CommandGivenWhileAwaitingReplyIsQueuedAndUncached)
{
    peer.hold = true;
    ConnectNow();
    session->ReadVersion();
    ASSERT_TRUE(peer.WaitForCount(BuildReadVersion(), 1));
    session->ReadParam(1, 2, 3);
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(peer.CountOf(BuildReadParam(1, 2, 3)), 0u);  // waits behind the first

    peer.Release();
    ASSERT_TRUE(peer.WaitForCount(BuildReadParam(1, 2, 3), 1));
    EXPECT_EQ(sink.LogCount("Uncaching Packet"), 1u);
    peer.Release();
    ASSERT_TRUE(sink.WaitFor("param"));
    EXPECT_EQ(sink.Count("version"), 1u);
}

TEST_F(SessionTest, StatusTimerDuringCommandSkipsInsteadOfQueueing)
{
    settings.statusRate = 200;  // 5 ms
    peer.hold = true;
    ConnectNow();
    session->ReadVersion();
    ASSERT_TRUE(peer.WaitForCount(BuildReadVersion(), 1));
    session->EnableStatusUpdates(true);
    ASSERT_TRUE(sink.WaitForLog("Skipping Packet", 2));
    EXPECT_EQ(peer.CountOf(BuildReadLeds()), 0u);
    EXPECT_EQ(sink.LogCount("EnableStatusUpdates 1"), 1u);

    peer.Release();
    ASSERT_TRUE(sink.WaitFor("status", 3));
    const auto status = sink.Events("status")[0].bytes;
    ASSERT_EQ(status.size(), 29u);
    EXPECT_EQ(status[1], 0x82);
    session->EnableStatusUpdates(false);
    EXPECT_EQ(sink.LogCount("DisableStatusUpdates 0"), 1u);
}

TEST_F(SessionTest, StatusReplyAfterUpdatesWereSwitchedOffIsDroppedWithItsLine)
{
    settings.statusRate = 100;
    peer.hold = true;
    ConnectNow();
    session->EnableStatusUpdates(true);
    ASSERT_TRUE(peer.WaitForCount(BuildReadLeds(), 1));
    session->EnableStatusUpdates(false);
    peer.Release();
    ASSERT_TRUE(sink.WaitForLog("***** Status disabled.. rx of unsynched status packet ignored"));
    EXPECT_TRUE(WaitState(SessionState::WAITSEND));
    EXPECT_EQ(sink.Count("status"), 0u);
}

// Polling asked for on one link ends with it: the next connection polls only
// when asked again.
TEST_F(SessionTest, ALostLinkEndsStatusPolling)
{
    settings.statusRate = 100;
    settings.tries = 2;
    ConnectNow();
    session->EnableStatusUpdates(true);
    ASSERT_TRUE(sink.WaitFor("status"));
    peer.Configure([](ScriptedPeer& p) { p.silent = true; });
    ASSERT_TRUE(sink.WaitFor("disconnect"));  // polls unanswered: too many tries
    peer.Configure([](ScriptedPeer& p) { p.silent = false; });
    const std::size_t polls = peer.CountOf(BuildReadLeds());
    session->Connect(settings);
    ASSERT_TRUE(sink.WaitFor("connect", 2));
    session->ReadVersion();
    ASSERT_TRUE(sink.WaitFor("version"));
    // At 100 a second a poll would be due many times over within this wait.
    EXPECT_FALSE(peer.WaitForCount(BuildReadLeds(), polls + 1, std::chrono::milliseconds(300)));
}

TEST_F(SessionTest, BadChecksumReplyIsRetriedWithTryLineAndRetryBytes)
{
    peer.corruptReplies = 1;
    ConnectNow();
    session->ReadVersion();
    ASSERT_TRUE(sink.WaitFor("version"));
    EXPECT_EQ(sink.LogCount("Try: 1"), 1u);
    EXPECT_EQ(sink.LogCount("Command retry send - 80 - 80"), 1u);
    EXPECT_EQ(peer.CountOf(BuildReadVersion()), 2u);
}

TEST_F(SessionTest, SilentProcessorGetsTenSendsOneTimeOutApartThenLinkDrops)
{
    peer.silent = true;
    ConnectNow();
    session->ReadVersion();
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_EQ(sink.LogCount("Too many tries. Disconnecting."), 1u);
    EXPECT_EQ(sink.LogCount("Try: 10"), 1u);
    EXPECT_EQ(sink.LogCount("Try: 11"), 0u);

    const auto log = peer.Log();
    std::vector<ScriptedPeer::Clock::time_point> sends;
    for (const auto& r : log)
        if (r.bytes == BuildReadVersion())
            sends.push_back(r.at);
    ASSERT_EQ(sends.size(), 10u);
    for (std::size_t i = 1; i < sends.size(); ++i)
        EXPECT_GE(sends[i] - sends[i - 1], std::chrono::milliseconds(settings.replyTimeoutMs)) << i;
    EXPECT_EQ(peer.CountOf(BuildDisconnect()), 0u);  // the link drops without a Disconnect
    EXPECT_FALSE(session->IsConnected());
}

TEST_F(SessionTest, TriesComeFromTheSettings)
{
    settings.tries = 3;
    peer.silent = true;
    ConnectNow();
    session->ReadVersion();
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_EQ(peer.CountOf(BuildReadVersion()), 3u);
}

TEST_F(SessionTest, DisconnectWhileAwaitingReplySendsAtOnceAndEmptiesQueue)
{
    peer.hold = true;
    ConnectNow();
    session->ReadVersion();
    ASSERT_TRUE(peer.WaitForCount(BuildReadVersion(), 1));
    session->WriteParam(1, 1, 1, 1);  // queued
    session->Disconnect();
    ASSERT_TRUE(peer.WaitForCount(BuildDisconnect(), 1));
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    peer.Release();  // a late reply finds nobody waiting
    std::this_thread::sleep_for(3 * std::chrono::milliseconds(settings.replyTimeoutMs));
    EXPECT_EQ(peer.CountOf(BuildWriteParam(1, 1, 1, 1)), 0u);
    EXPECT_EQ(peer.CountOf(BuildReadVersion()), 1u);  // no retry after the Disconnect
    EXPECT_EQ(sink.LogCount("Disconnecting."), 1u);
    EXPECT_EQ(sink.Count("version"), 0u);
    EXPECT_FALSE(session->IsConnected());
}

TEST_F(SessionTest, DisconnectRaisesOnDisconnectTwiceAndClosesTransportOnce)
{
    ConnectNow();
    session->Disconnect();
    ASSERT_TRUE(sink.WaitFor("disconnect", 2));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(sink.Count("disconnect"), 2u);
    EXPECT_EQ(wire->closes.load(), 1);
    // The session can connect again afterwards.
    ConnectNow();
    session->ReadVersion();
    EXPECT_TRUE(sink.WaitFor("version"));
}

TEST_F(SessionTest, ConnectRightAfterADropKeepsTheNewLink)
{
    ConnectNow();
    for (std::size_t i = 1; i <= 30; ++i) {
        session->Disconnect();
        ASSERT_TRUE(WaitState(SessionState::DISCONNECTED));
        session->Connect(settings);  // races the worker's closing of the old link
        ASSERT_TRUE(sink.WaitFor("connect", i + 1));
        session->ReadVersion();
        ASSERT_TRUE(sink.WaitFor("version", i)) << i;
    }
    EXPECT_TRUE(session->IsConnected());
}

TEST_F(SessionTest, TransportErrorWhileConnectedIsReportedAndDropsLink)
{
    ConnectNow();
    wire->FailLink(10054);
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_EQ(sink.Events("error")[0].number, 10054);
    EXPECT_FALSE(session->IsConnected());
}

TEST_F(SessionTest, TransportReportingCloseDropsLink)
{
    ConnectNow();
    wire->DropLink();
    ASSERT_TRUE(sink.WaitFor("disconnect"));
    EXPECT_FALSE(session->IsConnected());
}

TEST_F(SessionTest, ReplyWithUnhandledOpcodeCountsAsMissing)
{
    int answered = 0;
    peer.answer = [&answered](const ByteString& cmd) -> std::optional<ByteString> {
        if (cmd == BuildReadVersion() && answered++ == 0)
            return ScriptedPeer::Reply({0x06, 0x00});  // accepted, but answers nothing
        return std::nullopt;
    };
    ConnectNow();
    session->ReadVersion();
    ASSERT_TRUE(sink.WaitFor("version"));
    EXPECT_EQ(sink.LogCount("Try: 1"), 1u);
    EXPECT_EQ(peer.CountOf(BuildReadVersion()), 2u);
}

TEST_F(SessionTest, RepliesArrivingByteByByteAreReassembled)
{
    wire->chunkSize = 1;
    settings.statusRate = 100;
    ConnectNow();
    session->EnableStatusUpdates(true);
    ASSERT_TRUE(sink.WaitFor("status", 2));
    EXPECT_EQ(sink.Events("status")[1].bytes, ScriptedPeer::StatusPacket(1));
}

TEST_F(SessionTest, SendUpgradeUploadsTheImageAfterItsReply)
{
    const ByteString image(300, 0x5C);
    peer.uploadSize = 300;
    ConnectNow();
    session->SendUpgrade(image);
    ASSERT_TRUE(sink.WaitForLog("Upgrade Sent"));
    const auto blocks = peer.Uploaded();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[2][3 + 43], 0x5C);
    EXPECT_EQ(blocks[2][3 + 44], 0x00);
    EXPECT_EQ(sink.LogCount("Try: 1"), 0u);  // the reply is not taken for a lost one
    EXPECT_TRUE(WaitState(SessionState::WAITSEND));
}


// Runs a step inside the dispatch of the Read version reply: the worker cannot
// take up the idle state before the step is done, so the step stands in for a
// caller that wins the race against the worker.
struct VersionHookSink : RecordingSessionSink {
    std::function<void()> onVersion;
    void OnVersionReceive(const ByteString& v) override
    {
        RecordingSessionSink::OnVersionReceive(v);
        if (onVersion)
            onVersion();
    }
};

class SessionRaceTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        session = std::make_unique<CVexlorSession>(&hookSink, [w = wire](const ConnectionSettings&) {
            return std::make_unique<CMemoryTransport>(w);
        });
    }
    void ConnectHooked()
    {
        session->Connect(settings);
        ASSERT_TRUE(hookSink.WaitFor("connect"));
        ASSERT_TRUE(WaitState(SessionState::WAITSEND));
    }
    VersionHookSink hookSink;
};

// The retries the command before it needed do not count against it.
TEST_F(SessionRaceTest, CommandGivenRightAfterARetriedReplyGetsAllItsTries)
{
    hookSink.onVersion = [this] {
        peer.Configure([](ScriptedPeer& p) { p.silent = true; });
        session->ReadParam(1, 2, 3);
    };
    settings.tries = 3;
    peer.corruptReplies = 2;  // Read version needs all three tries
    ConnectHooked();
    session->ReadVersion();
    ASSERT_TRUE(hookSink.WaitFor("disconnect"));
    EXPECT_EQ(peer.CountOf(BuildReadVersion()), 3u);
    EXPECT_EQ(peer.CountOf(BuildReadParam(1, 2, 3)), 3u);
}

// A command given while others wait in the queue goes out behind them, so two
// writes to one parameter reach the processor in the order they were given.
TEST_F(SessionRaceTest, CommandGivenRightAfterAReplyDoesNotOvertakeTheQueue)
{
    hookSink.onVersion = [this] { session->WriteParam(1, 2, 3, 2); };
    peer.hold = true;
    ConnectHooked();
    session->ReadVersion();
    ASSERT_TRUE(peer.WaitForCount(BuildReadVersion(), 1));
    session->WriteParam(1, 2, 3, 1);  // queued behind Read version
    peer.Release();
    ASSERT_TRUE(peer.WaitForCount(BuildWriteParam(1, 2, 3, 1), 1));
    ASSERT_TRUE(peer.WaitForCount(BuildWriteParam(1, 2, 3, 2), 1));
    const auto sent = peer.Packets();
    const std::vector<ByteString> expected{BuildReadVersion(), BuildWriteParam(1, 2, 3, 1), BuildWriteParam(1, 2, 3, 2)};
    EXPECT_EQ(sent, expected);
}

}  // namespace

// A stray byte in front of a reply would hold every later reply back; the next
// send clears it, so the link costs at most one retry instead of dropping.
TEST_F(SessionTest, StrayByteBeforeAReplyDoesNotWedgeTheLink)
{
    ConnectNow();
    wire->ToHost({0x06});
    session->ReadVersion();
    ASSERT_TRUE(sink.WaitFor("version"));
    wire->ToHost({0x15, 0x80});  // no packet: NAK then an opcode byte
    session->ReadParam(1, 2, 3);
    ASSERT_TRUE(sink.WaitFor("param"));
    EXPECT_EQ(sink.Count("disconnect"), 0u);
    EXPECT_LE(sink.LogCount("Try: 1"), 2u);
}
