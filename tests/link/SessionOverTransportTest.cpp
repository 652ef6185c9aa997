#include "link/VexlorSession.h"

#include "PeerEndpoint.h"
#include "TransportTestSupport.h"
#include "link/XModemBlock.h"
#include "support/RecordingSessionSink.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>

namespace {

using namespace transport_test;

std::unique_ptr<PeerEndpoint> MakeEndpoint(const std::string& kind)
{
    if (kind == "udp")
        return std::make_unique<UdpPeerEndpoint>();
    return std::make_unique<PtyPeerEndpoint>();
}

// The real session with its default transports, talking to the scripted
// processor over loopback UDP or a pseudo-terminal.
class SessionOverTransportTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        endpoint = MakeEndpoint(GetParam());
        endpoint->Configure(settings);
        settings.replyTimeoutMs = 500;
        session = std::make_unique<CVexlorSession>(&sink);
        session->Connect(settings);
        ASSERT_TRUE(sink.WaitFor("connect"));
    }
    void TearDown() override
    {
        session.reset();
        endpoint.reset();
    }

    ScriptedPeer& Peer() { return endpoint->Peer(); }

    std::unique_ptr<PeerEndpoint> endpoint;
    ConnectionSettings settings;
    RecordingSessionSink sink;
    std::unique_ptr<CVexlorSession> session;
};

TEST_P(SessionOverTransportTest, ReadsVersionAndParameters)
{
    session->ReadVersion();
    ASSERT_TRUE(sink.WaitFor("version"));
    EXPECT_EQ(sink.Events("version")[0].bytes, (ByteString{'1', '0', '3'}));

    session->WriteParam(1, 2, 3, 0x42);
    session->ReadParam(1, 2, 3);  // queued behind the write
    ASSERT_TRUE(sink.WaitFor("param"));
    EXPECT_EQ(sink.Events("param")[0].bytes, (ByteString{1, 2, 3, 0x42}));
    EXPECT_EQ(sink.Count("error"), 0u);
}

TEST_P(SessionOverTransportTest, DownloadsTheControlDescriptionByXModem)
{
    ByteString description(300);
    std::iota(description.begin(), description.end(), 0);
    Peer().Configure([&](ScriptedPeer& peer) { peer.description = description; });
    session->GetConfig(1234);
    ASSERT_TRUE(sink.WaitFor("config"));
    const ByteString received = sink.Events("config")[0].bytes;
    ASSERT_EQ(received.size(), 384u);  // three blocks, the padding included
    EXPECT_TRUE(std::equal(description.begin(), description.end(), received.begin()));
    EXPECT_EQ(Peer().CountOf(BuildGetConfig(1234)), 1u);
}

TEST_P(SessionOverTransportTest, UploadsAPresetByXModem)
{
    Peer().Configure([](ScriptedPeer& peer) { peer.uploadSize = 200; });
    ByteString preset(200, 0x5A);
    session->SendPreset(3, preset);
    ASSERT_TRUE(sink.WaitFor("sent"));
    const auto blocks = Peer().Uploaded();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1][3 + 71], 0x5A);
    EXPECT_EQ(blocks[1][3 + 72], 0x00);
}

TEST_P(SessionOverTransportTest, DisconnectClosesTheLink)
{
    session->Disconnect();
    // Closing the transport takes the session through its disconnected state a
    // second time; the link is down for good after both.
    ASSERT_TRUE(sink.WaitFor("disconnect", 2));
    EXPECT_TRUE(Peer().WaitForCount(BuildDisconnect(), 1));
    EXPECT_FALSE(session->IsConnected());
    // The link can be made again with a fresh transport.
    session->Connect(settings);
    ASSERT_TRUE(sink.WaitFor("connect", 2));
    session->ReadVersion();
    EXPECT_TRUE(sink.WaitFor("version"));
}

// A reply answers only the command whose opcode it echoes. A stale one (a
// duplicate, a late answer to an earlier try) is dropped and the wait goes on,
// so the command is sent again when its own reply does not come.
class StaleReplyTest : public SessionOverTransportTest {
protected:
    // The first time `command` arrives, the processor sends `stale` instead of
    // its answer.
    void AnswerFirstWith(const ByteString& command, const ByteString& stale)
    {
        Peer().Configure([=, done = false](ScriptedPeer& peer) mutable {
            peer.answer = [=](const ByteString& b) mutable -> std::optional<ByteString> {
                if (b != command || done)
                    return std::nullopt;
                done = true;
                return stale;
            };
        });
    }
    const ByteString versionReply = ScriptedPeer::Reply({0x06, CMD_READ_VERSION, '1', '0', '3'});
};

TEST_P(StaleReplyTest, DuplicateBeforeAGetPresetDoesNotStallTheTransfer)
{
    session->ReadVersion();
    ASSERT_TRUE(sink.WaitFor("version"));
    AnswerFirstWith(BuildGetPreset(2), versionReply);
    Peer().Configure([](ScriptedPeer& peer) { peer.presets[2] = ByteString(128, 0x22); });
    session->GetPreset(2);
    ASSERT_TRUE(sink.WaitFor("preset"));
    EXPECT_EQ(sink.Events("preset")[0].bytes, ByteString(128, 0x22));
    EXPECT_EQ(sink.Count("version"), 1u);
    EXPECT_EQ(Peer().CountOf(BuildGetPreset(2)), 2u);
    EXPECT_EQ(sink.LogCount(HexLine("Stale reply ignored", versionReply)), 1u);
}

TEST_P(StaleReplyTest, LostWriteIsResentInsteadOfTakingAStaleReadValue)
{
    session->ReadParam(1, 2, 3);
    ASSERT_TRUE(sink.WaitFor("param"));
    const ByteString staleRead = ScriptedPeer::Reply({0x06, CMD_READ_PARAM, 1, 2, 3, 0});
    AnswerFirstWith(BuildWriteParam(1, 2, 3, 0x42), staleRead);
    session->WriteParam(1, 2, 3, 0x42);
    session->ReadParam(1, 2, 3);
    ASSERT_TRUE(sink.WaitFor("param", 2));
    EXPECT_EQ(Peer().CountOf(BuildWriteParam(1, 2, 3, 0x42)), 2u);
    const auto params = sink.Events("param");
    ASSERT_EQ(params.size(), 2u);
    EXPECT_EQ(params[1].bytes, (ByteString{1, 2, 3, 0x42}));
}

TEST_P(StaleReplyTest, LateReadReplyIsNotTakenForTheNextRead)
{
    session->WriteParam(4, 5, 6, 0x66);
    AnswerFirstWith(BuildReadParam(4, 5, 6), ScriptedPeer::Reply({0x06, CMD_READ_PARAM, 1, 2, 3, 0x11}));
    session->ReadParam(4, 5, 6);
    ASSERT_TRUE(sink.WaitFor("param"));
    EXPECT_EQ(sink.Events("param")[0].bytes, (ByteString{4, 5, 6, 0x66}));
    EXPECT_EQ(Peer().CountOf(BuildReadParam(4, 5, 6)), 2u);
}

// Replies that repeat the address or preset asked for answer only that command.
TEST_P(StaleReplyTest, DuplicateWriteReplyDoesNotAnswerAWriteElsewhere)
{
    AnswerFirstWith(BuildWriteParam(2, 2, 2, 2), ScriptedPeer::Reply({0x06, CMD_WRITE_PARAM, 1, 1, 1, 1}));
    session->WriteParam(2, 2, 2, 2);
    session->ReadParam(2, 2, 2);
    ASSERT_TRUE(sink.WaitFor("param"));
    EXPECT_EQ(Peer().CountOf(BuildWriteParam(2, 2, 2, 2)), 2u);
    EXPECT_EQ(sink.Events("param")[0].bytes, (ByteString{2, 2, 2, 2}));
}

TEST_P(StaleReplyTest, LateLoadReplyDoesNotReportTheOtherPresetLoaded)
{
    AnswerFirstWith(BuildLoadPreset(2), ScriptedPeer::Reply({0x06, CMD_LOAD_PRESET, 1}));
    session->LoadPreset(2);
    ASSERT_TRUE(sink.WaitFor("loaded"));
    const auto loaded = sink.Events("loaded");
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].number, 2);
    EXPECT_EQ(Peer().CountOf(BuildLoadPreset(2)), 2u);
}

TEST_P(StaleReplyTest, UpgradeReplyToReadVersionStartsNoUpload)
{
    AnswerFirstWith(BuildReadVersion(), ScriptedPeer::Reply({0x06, CMD_SEND_UPGRADE}));
    session->ReadVersion();
    ASSERT_TRUE(sink.WaitFor("version"));
    EXPECT_EQ(Peer().CountOf(BuildReadVersion()), 2u);
    for (const ByteString& sent : Peer().Packets())
        EXPECT_NE(sent.size(), kXBlockLength) << "an XModem block went out";
}

INSTANTIATE_TEST_SUITE_P(Transports, StaleReplyTest, ::testing::Values("udp", "serial"),
                         [](const auto& param) { return param.param; });

INSTANTIATE_TEST_SUITE_P(Transports, SessionOverTransportTest, ::testing::Values("udp", "serial"),
                         [](const auto& param) { return param.param; });

TEST(SessionTransportLife, SessionsLeaveNoDescriptorOrThreadBehind)
{
    UdpPeerEndpoint udp;
    PtyPeerEndpoint serial;
    RecordingSessionSink sink;
    ConnectionSettings settings;
    const auto descriptors = OpenDescriptors();
    const auto threads = RunningThreads();
    for (PeerEndpoint* endpoint : {static_cast<PeerEndpoint*>(&udp), static_cast<PeerEndpoint*>(&serial)}) {
        endpoint->Configure(settings);
        for (int round = 0; round < 5; ++round) {
            const std::size_t versions = sink.Count("version");
            CVexlorSession session(&sink);
            session.Connect(settings);
            session.ReadVersion();
            ASSERT_TRUE(sink.WaitFor("version", versions + 1));
        }
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(RunningThreads(), threads);
}

}  // namespace
