#include "SimSessionRig.h"

#include "description/DescriptionParser.h"

#include <chrono>

using namespace simtest;
using namespace std::chrono_literals;

namespace {

vsim::SimOptions Faults(std::uint32_t seed)
{
    vsim::SimOptions o;
    o.faults.seed = seed;
    return o;
}

void ReadVersions(Rig& rig, int n)
{
    for (int i = 0; i < n; ++i)
        rig.session->ReadVersion();
    EXPECT_TRUE(rig.sink.WaitFor("version", static_cast<std::size_t>(n), 20s));
}

struct ConfigErrors : IConfigErrorSink {
    std::vector<std::string> texts;
    void ShowConfigError(const std::string& text, const std::string&) override { texts.push_back(text); }
};

}  // namespace

TEST(SimFaults, DroppedRepliesAreRetriedByTheSession)
{
    auto o = Faults(11);
    o.faults.drop = 0.5;
    Rig rig(Wire::Udp, o, 200);
    ASSERT_TRUE(rig.Connect());
    ReadVersions(rig, 6);
    EXPECT_TRUE(rig.sink.HasLogStartingWith("Try: 1"));
    EXPECT_TRUE(rig.sink.HasLogStartingWith("Command retry send - 80 - 80"));
}

TEST(SimFaults, CorruptedRepliesFailTheChecksumAndAreRetried)
{
    auto o = Faults(12);
    o.faults.corrupt = 0.5;
    Rig rig(Wire::Udp, o, 200);
    ASSERT_TRUE(rig.Connect());
    ReadVersions(rig, 6);
    for (const auto& e : rig.sink.Events("version"))
        EXPECT_EQ(e.bytes, (ByteString{'3', '1', '2'}));
    EXPECT_TRUE(rig.sink.HasLogStartingWith("Command retry send"));
}

TEST(SimFaults, DelayedRepliesArriveLateOrAfterARetry)
{
    auto o = Faults(13);
    o.faults.delay = 1;
    o.faults.delayMs = 150ms;
    {
        Rig rig(Wire::Udp, o, 400);
        ASSERT_TRUE(rig.Connect());
        const auto start = std::chrono::steady_clock::now();
        ReadVersions(rig, 1);
        EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
        EXPECT_FALSE(rig.sink.HasLogStartingWith("Try:"));
    }
    // Later than the time-out: the retry goes out from a fresh port, so a late
    // reply is never read; the retry's own reply answers when it comes in time.
    o.faults.delay = 0.5;
    o.faults.delayMs = 500ms;
    Rig rig(Wire::Udp, o, 300);
    ASSERT_TRUE(rig.Connect());
    ReadVersions(rig, 10);
    EXPECT_TRUE(rig.sink.HasLogStartingWith("Try: 1"));
}

TEST(SimFaults, DuplicatedRepliesReachTheSessionTwiceAndAreIgnored)
{
    auto o = Faults(14);
    o.faults.duplicate = 1;
    for (Wire wire : {Wire::Udp, Wire::Serial}) {
        Rig rig(wire, o);
        ASSERT_TRUE(rig.Connect());
        for (int i = 0; i < 3; ++i) {
            rig.session->ReadVersion();
            ASSERT_TRUE(rig.sink.WaitFor("version", static_cast<std::size_t>(i + 1), 5s));
        }
        const auto received = [&] {
            std::size_t n = 0;
            for (const auto& line : rig.sink.Logs())
                n += line.rfind("Recieved  - 06 - 80", 0) == 0;
            return n;
        };
        for (int i = 0; i < 100 && received() < 6; ++i)
            std::this_thread::sleep_for(10ms);  // the second copy follows 50 ms behind
        EXPECT_EQ(received(), 6u) << (wire == Wire::Udp ? "udp" : "serial");
        EXPECT_EQ(rig.sink.Count("version"), 3u);
    }
}

// A cancelled transfer hands nothing over: the description is asked for again,
// and a processor that cancels every time ends in a dropped link.
TEST(SimFaults, CancelledDescriptionIsNeverDeliveredCut)
{
    auto o = Faults(15);
    o.cancelAfterBlocks = 1;
    Rig rig(Wire::Udp, o, 100);
    ASSERT_TRUE(rig.Connect());
    rig.session->GetConfig(0);
    EXPECT_TRUE(rig.sink.WaitFor("disconnect", 1, 20s));
    EXPECT_EQ(rig.sink.Count("config"), 0u);
    EXPECT_EQ(rig.sink.LogCount("XModem Cancelled by Embedded End "), 10u);
    EXPECT_EQ(rig.sink.LogCount("Too many tries. Disconnecting."), 1u);
}

TEST(SimFaults, SilentProcessorMakesTheSessionGiveUp)
{
    auto o = Faults(16);
    o.silentAfterCommands = 2;
    Rig rig(Wire::Serial, o, 150);
    ASSERT_TRUE(rig.Connect());
    for (int i = 0; i < 3; ++i)
        rig.session->ReadVersion();
    EXPECT_TRUE(rig.sink.WaitFor("disconnect", 1, 10s));
    EXPECT_EQ(rig.sink.Count("version"), 2u);
    EXPECT_EQ(rig.sink.LogCount("Try: 9"), 1u);
    EXPECT_EQ(rig.sink.LogCount("Too many tries. Disconnecting."), 1u);
}

TEST(SimFaults, CorruptDescriptionReachesTheParserAsAnIndexError)
{
    auto o = Faults(17);
    o.corruptDescription = true;
    Rig rig(Wire::Udp, o);
    ASSERT_TRUE(rig.Connect());
    rig.session->GetConfig(0);
    const ByteString d = rig.Await("config").bytes;
    ConfigErrors errors;
    DescriptionParser parser(&errors);
    parser.LoadFromMemory(d);
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0].rfind("Index Error.\n Asked index : ", 0), 0u);
    ASSERT_NE(parser.Root(), nullptr);
    EXPECT_FALSE(*parser.Root() == vsim::DescriptionTree(rig.server->Device().GetModel()));
}

class SimSoak : public ::testing::TestWithParam<Wire> {};

TEST_P(SimSoak, FiftyPresetDownloadsUnderDropsAndCorruptionAreAllExact)
{
    auto o = Faults(2024);
    o.model = 12;  // 256-byte presets: a lost second block must not cut one short
    o.faults.drop = 0.10;
    o.faults.corrupt = 0.01;
    Rig rig(GetParam(), o, 300);
    ASSERT_TRUE(rig.Connect());
    for (int i = 0; i < 50; ++i) {
        const auto n = static_cast<std::uint8_t>((i * 7) % 48);
        ASSERT_EQ(rig.DownloadPreset(n), *rig.server->Device().PresetImage(n)) << "download " << i;
    }
    EXPECT_TRUE(rig.sink.HasLogStartingWith("Try: 1"));  // the faults did happen
    EXPECT_EQ(rig.sink.Count("disconnect"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Wires, SimSoak, ::testing::Values(Wire::Udp, Wire::Serial), WireName);
