#include "core/ModelCatalog.h"
#include "core/ProcessorSide.h"
#include "core/SimDevice.h"
#include "link/Packet.h"
#include "link/XModemBlock.h"

#include <gtest/gtest.h>

using namespace vsim;
using namespace std::chrono_literals;

namespace {

class SimLinkTest : public ::testing::Test {
protected:
    explicit SimLinkTest(LinkOptions options = {}, int lock = -1) { Make(options, lock); }

    void Make(LinkOptions options, int lock = -1)
    {
        DeviceOptions d;
        d.lockCode = lock;
        d.clock = [] { return 100.0; };
        device = std::make_unique<SimDevice>(*MakeModel(1), d);
        link = std::make_unique<ProcessorLink>(*device, options);
    }

    // Feeds `bytes` as one datagram at `ms` after the start; gives what went out.
    std::vector<Output> Feed(const ByteString& bytes, int ms = 0, bool datagram = true)
    {
        now = t0 + std::chrono::milliseconds(ms);
        return link->Feed(bytes.data(), bytes.size(), now, datagram);
    }
    ByteString Reply(const ByteString& bytes, int ms = 0)
    {
        ByteString all;
        for (const Output& o : Feed(bytes, ms))
            all.insert(all.end(), o.bytes.begin(), o.bytes.end());
        return all;
    }
    std::vector<Output> Poll(int ms)
    {
        now = t0 + std::chrono::milliseconds(ms);
        return link->Poll(now);
    }
    // Runs a download as the application does and gives the data.
    ByteString Download(const ByteString& command)
    {
        const ByteString reply = Reply(command);
        EXPECT_TRUE(IsAcceptedReply(reply));
        ByteString data;
        ByteString answer{XM_START};
        for (std::uint32_t block = 1; block < 1000; ++block) {
            const ByteString b = Reply(answer);
            if (b == ByteString{XM_EOT}) {
                EXPECT_TRUE(Reply({XM_ACK}).empty());
                break;
            }
            EXPECT_EQ(CheckXBlock(b, block), XBlockVerdict::Valid);
            data.insert(data.end(), b.begin() + 3, b.begin() + 131);
            answer = {XM_ACK};
        }
        EXPECT_EQ(link->CurrentMode(), ProcessorLink::Mode::Command);
        return data;
    }
    // Uploads as the session does: a block after every NAK, EOT after ACK.
    int Upload(const ByteString& command, const ByteString& data, int damageBlock = -1)
    {
        EXPECT_TRUE(IsAcceptedReply(Reply(command)));
        int blocks = 0;
        for (std::uint32_t n = 1; n < 100; ++n) {
            const std::size_t at = std::min(data.size(), (n - 1) * std::size_t{128});
            ByteString block = BuildXBlock(n, data.data() + at, std::min<std::size_t>(128, data.size() - at));
            if (static_cast<int>(n) == damageBlock)
                block[50] ^= 0x10;
            ++blocks;
            const ByteString answer = Reply(block);
            if (answer == ByteString{XM_ACK})
                break;
            EXPECT_EQ(answer, ByteString{XM_NAK});
        }
        EXPECT_EQ(Reply({XM_EOT}), ByteString{XM_ACK});
        return blocks;
    }

    std::unique_ptr<SimDevice> device;
    std::unique_ptr<ProcessorLink> link;
    ProcessorLink::Clock::time_point t0 = ProcessorLink::Clock::now();
    ProcessorLink::Clock::time_point now = t0;
};

ByteString Padded(ByteString b)
{
    b.resize((b.size() + 127) / 128 * 128, 0);
    return b;
}

}  // namespace

TEST_F(SimLinkTest, EveryCommandGetsAnAcceptedReplyOfTheLengthTheApplicationCutsOut)
{
    const std::vector<ByteString> commands{
        BuildWriteParam(0, 1, 2, 5), BuildLoadPreset(3),   BuildSavePreset(2),    BuildSendCompare(),
        BuildSendRevert(),           BuildRenamePreset(1, "DRIVE TIME"), BuildReadVersion(), BuildReadParam(0, 1, 2),
        BuildReadLeds(),             BuildGetFactoryPresetNumber()};
    for (const ByteString& c : commands) {
        const ByteString r = Reply(c);
        SCOPED_TRACE(DescribeCommand(c));
        EXPECT_TRUE(IsAcceptedReply(r));
        EXPECT_EQ(r[1], c[0]);
        EXPECT_EQ(GetPacketLength(r, false), std::optional<std::size_t>(r.size()));
        EXPECT_EQ(ReplyLength(c[0]), std::optional<std::size_t>(r.size()));
    }
    // The transfer commands answer first, then wait for their transfer.
    for (const ByteString& c : {BuildGetConfig(0), BuildGetPreset(0), BuildSendPreset(0), BuildSendUpgrade()}) {
        const ByteString r = Reply(c);
        EXPECT_TRUE(IsAcceptedReply(r));
        EXPECT_EQ(ReplyLength(c[0]), std::optional<std::size_t>(r.size()));
        EXPECT_NE(link->CurrentMode(), ProcessorLink::Mode::Command);
        link->Reset();
    }
}

TEST_F(SimLinkTest, RepliesCarryWhatTheApplicationReads)
{
    const ByteString v = Reply(BuildReadVersion());
    EXPECT_EQ(ByteString(v.begin() + 2, v.begin() + 5), (ByteString{'3', '1', '2'}));
    EXPECT_EQ(Reply(BuildWriteParam(0, 1, 2, 200)), MakeReply(CMD_WRITE_PARAM, {0, 1, 2, 48}));
    EXPECT_EQ(Reply(BuildReadParam(0, 1, 2)), MakeReply(CMD_READ_PARAM, {0, 1, 2, 48}));
    EXPECT_EQ(Reply(BuildGetFactoryPresetNumber())[2], device->GetModel().PresetCount());
    EXPECT_EQ(Reply(BuildLoadPreset(4))[2], 4);
    EXPECT_EQ(Reply(BuildLoadPreset(250))[2], 4);  // no such preset: 4 still runs
    const ByteString status = Reply(BuildReadLeds());
    EXPECT_EQ(status.size(), kStatusPacketLength);
    EXPECT_EQ(status[5], 4);
    EXPECT_EQ(status[4], 8);  // DEF: the first factory preset
    Reply(BuildWriteParam(0, 1, 2, 3));
    Reply(BuildSendCompare());
    EXPECT_EQ(Reply(BuildReadLeds())[5], 0xC4);
    Reply(BuildSendRevert());
    EXPECT_EQ(Reply(BuildReadLeds())[5], 0x84);
}

TEST_F(SimLinkTest, RightLockCodeGetsTheDescriptionWrongOneANak)
{
    Make({}, 1234);
    EXPECT_EQ(Reply(BuildGetConfig(4321)), ByteString{REPLY_NAK});
    EXPECT_EQ(link->CurrentMode(), ProcessorLink::Mode::Command);
    EXPECT_EQ(Reply(BuildGetConfig(34)), ByteString{REPLY_NAK});
    EXPECT_EQ(Download(BuildGetConfig(1234)), Padded(device->Description()));
}

TEST_F(SimLinkTest, PresetDownloadGivesTheStoredImageAndAMissingPresetIsCancelled)
{
    for (int i : {0, 9, 31})
        EXPECT_EQ(Download(BuildGetPreset(static_cast<std::uint8_t>(i))), *device->PresetImage(static_cast<std::uint8_t>(i)));
    EXPECT_TRUE(IsAcceptedReply(Reply(BuildGetPreset(200))));
    EXPECT_EQ(Reply({XM_START}), ByteString{XM_CAN});
    EXPECT_EQ(link->CurrentMode(), ProcessorLink::Mode::Command);
}

TEST_F(SimLinkTest, UnansweredBlockIsResentAFewTimesAndNakRepeatsIt)
{
    Reply(BuildGetConfig(0));
    const ByteString first = Reply({XM_START}, 0);
    EXPECT_TRUE(Poll(499).empty());
    for (int k = 1; k <= 3; ++k) {
        const auto again = Poll(500 * k);
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(again[0].bytes, first);
    }
    EXPECT_TRUE(Poll(2500).empty());
    EXPECT_EQ(Reply({XM_NAK}, 2600), first);
    const ByteString second = Reply({XM_ACK}, 2700);
    EXPECT_EQ(CheckXBlock(second, 2), XBlockVerdict::Valid);
    EXPECT_EQ(Reply({XM_START}, 2800), first);  // the receiver started over
}

TEST_F(SimLinkTest, CancelAfterTwoBlocksSendsCanInsteadOfTheThird)
{
    LinkOptions o;
    o.cancelAfterBlocks = 2;
    Make(o);
    Reply(BuildGetConfig(0));
    EXPECT_EQ(CheckXBlock(Reply({XM_START}), 1), XBlockVerdict::Valid);
    EXPECT_EQ(CheckXBlock(Reply({XM_ACK}), 2), XBlockVerdict::Valid);
    EXPECT_EQ(Reply({XM_ACK}), ByteString{XM_CAN});
    EXPECT_EQ(link->CurrentMode(), ProcessorLink::Mode::Command);
}

TEST_F(SimLinkTest, SilentAfterThreeCommandsAnswersNothingMore)
{
    LinkOptions o;
    o.silentAfterCommands = 3;
    Make(o);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(Reply(BuildReadVersion()).empty());
    EXPECT_TRUE(Reply(BuildReadVersion()).empty());
    EXPECT_TRUE(Reply(BuildGetConfig(0)).empty());
    EXPECT_EQ(link->CommandsSeen(), 5u);
}

TEST_F(SimLinkTest, UploadedPresetIsStoredAndReadBackUnchanged)
{
    ByteString image = *device->PresetImage(12);
    image[0] = 'Z';  // the name lies outside the image's sum
    EXPECT_EQ(Upload(BuildSendPreset(3), image), static_cast<int>(image.size() / 128));
    EXPECT_EQ(*device->PresetImage(3), image);
    EXPECT_EQ(Download(BuildGetPreset(3)), image);
}

TEST_F(SimLinkTest, DamagedOrMisdirectedUploadsStoreNothing)
{
    const ByteString before = *device->PresetImage(3);
    const ByteString image = *device->PresetImage(20);
    EXPECT_EQ(Upload(BuildSendPreset(3), image, 1), 1);  // ended at the damaged block
    EXPECT_EQ(*device->PresetImage(3), before);
    Upload(BuildSendPreset(20), *device->PresetImage(0));  // a factory preset
    EXPECT_EQ(*device->PresetImage(20), image);
    Upload(BuildSendPreset(3), ByteString(40, 'x'));  // not a preset at all
    EXPECT_EQ(*device->PresetImage(3), before);
}

TEST_F(SimLinkTest, UpgradeImageChangesTheVersionAndABadOneDoesNot)
{
    const ByteString good = MakeUpgradeImage(1, {'4', '0', '1'}, ByteString(300, 0x5A));
    EXPECT_EQ(Upload(BuildSendUpgrade(), good), 3);
    EXPECT_EQ(Reply(BuildReadVersion()), MakeReply(CMD_READ_VERSION, {'4', '0', '1'}));
    ByteString bad = MakeUpgradeImage(1, {'5', '0', '0'}, ByteString(300, 0x5A));
    bad[200] ^= 1;
    Upload(BuildSendUpgrade(), bad);
    EXPECT_EQ(Upload(BuildSendUpgrade(), ByteString(500, 1)), 1);  // no header: ended at once
    EXPECT_EQ(Upload(BuildSendUpgrade(), MakeUpgradeImage(2, {'6', '0', '0'}, {})), 1);
    EXPECT_EQ(Reply(BuildReadVersion()), MakeReply(CMD_READ_VERSION, {'4', '0', '1'}));
}

TEST_F(SimLinkTest, StreamInputIsCutIntoCommandsWhateverTheArrivals)
{
    const ByteString a = BuildReadParam(0, 1, 2), b = BuildReadVersion();
    ByteString stream{0x77};  // a stray byte first
    stream.insert(stream.end(), a.begin(), a.end());
    stream.insert(stream.end(), b.begin(), b.end());
    ByteString replies;
    for (std::size_t i = 0; i < stream.size(); ++i)
        for (const Output& o : Feed({stream[i]}, static_cast<int>(i), false))
            replies.insert(replies.end(), o.bytes.begin(), o.bytes.end());
    ByteString expected = MakeReply(CMD_READ_PARAM, {0, 1, 2, device->ReadValue({0, 1, 2})});
    const ByteString v = MakeReply(CMD_READ_VERSION, {'3', '1', '2'});
    expected.insert(expected.end(), v.begin(), v.end());
    EXPECT_EQ(replies, expected);
    // Half a command that never completes is forgotten.
    EXPECT_TRUE(Feed({CMD_READ_PARAM, 0}, 100, false).empty());
    Poll(700);
    EXPECT_EQ(Reply(BuildReadVersion(), 800), v);
}

TEST_F(SimLinkTest, DamagedCommandIsAnsweredWithNak)
{
    ByteString c = BuildReadParam(0, 1, 2);
    c.back() ^= 1;
    EXPECT_EQ(Reply(c), ByteString{REPLY_NAK});
}

TEST_F(SimLinkTest, DisconnectEndsATransferAndIsNotAnswered)
{
    Reply(BuildGetConfig(0));
    Reply({XM_START});
    EXPECT_TRUE(Reply(BuildDisconnect()).empty());
    EXPECT_TRUE(link->TakeGoodbye());
    EXPECT_EQ(link->CurrentMode(), ProcessorLink::Mode::Command);
    EXPECT_TRUE(Poll(5000).empty());
}

// A strict processor: after its EOT only ACK ends a download well.
TEST_F(SimLinkTest, EotAnsweredByAnythingButAckIsAFailedTransfer)
{
    auto toEot = [&](int ms) {
        Reply(BuildGetPreset(3), ms);
        Reply({XM_START}, ms);
        ASSERT_EQ(Reply({XM_ACK}, ms), ByteString{XM_EOT});
    };
    toEot(0);
    EXPECT_EQ(Reply({XM_NAK}), ByteString{XM_EOT});  // asked again: fine
    EXPECT_TRUE(Reply({XM_ACK}).empty());
    EXPECT_EQ(link->TransfersFailed(), 0u);

    toEot(10);
    // The ACK was lost and the next command came instead: it is still answered.
    EXPECT_TRUE(IsAcceptedReply(Reply(BuildReadVersion(), 10)));
    EXPECT_EQ(link->TransfersFailed(), 1u);

    toEot(20);
    EXPECT_TRUE(Reply({XM_START}, 20).empty());
    EXPECT_EQ(link->TransfersFailed(), 2u);
    EXPECT_EQ(link->CurrentMode(), ProcessorLink::Mode::Command);
}

TEST_F(SimLinkTest, VerboseLogHasALineForEveryCommandAndEveryReply)
{
    std::vector<std::string> lines;
    DeviceOptions d;
    d.log = [&](const std::string& line) { lines.push_back(line); };
    SimDevice logged(*MakeModel(1), d);
    LinkOptions o;
    o.name = "serial";
    o.faults.duplicate = 1;
    ProcessorLink verbose(logged, o);
    const ByteString command = BuildReadVersion();
    const auto out = verbose.Feed(command.data(), command.size(), now, true);
    ASSERT_EQ(out.size(), 2u);
    const std::string reply = "serial: > 06 80 33 31 32 1C";  // version 3.12 of model 1
    EXPECT_EQ(lines, (std::vector<std::string>{"serial: < Read version [80 80]", reply, reply + " (after 50 ms)"}));
}

TEST(FaultInjector, EachSwitchDoesWhatItSays)
{
    auto run = [](FaultOptions o) {
        FaultInjector f(o);
        std::vector<Output> out;
        f.Apply(BuildReadVersion(), out);
        return out;
    };
    FaultOptions o;
    EXPECT_EQ(run(o).size(), 1u);
    o.drop = 1;
    EXPECT_TRUE(run(o).empty());
    o = {};
    o.corrupt = 1;
    EXPECT_FALSE(ChecksumMatches(run(o).at(0).bytes));
    o = {};
    o.delay = 1;
    o.delayMs = 250ms;
    EXPECT_EQ(run(o).at(0).delay, 250ms);
    o = {};
    o.duplicate = 1;
    const auto twice = run(o);
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice[0].bytes, twice[1].bytes);
    EXPECT_EQ(twice[1].delay, kDuplicateGap);
}

TEST(FaultInjector, NoiseAddsAStrayOrZeroByteSomewhereInTheUnit)
{
    FaultOptions o;
    o.noise = 1;
    FaultInjector f(o);
    std::vector<Output> out;
    const ByteString block = BuildXBlock(1, ByteString(128, 0x55).data(), 128);
    int zeros = 0;
    for (int i = 0; i < 200; ++i)
        f.Apply(block, out);
    for (const Output& noisy : out) {
        ASSERT_EQ(noisy.bytes.size(), block.size() + 1);
        // Taking one byte out somewhere gives the block back.
        bool found = false;
        for (std::size_t at = 0; at < noisy.bytes.size() && !found; ++at) {
            ByteString less = noisy.bytes;
            const std::uint8_t stray = less[at];
            less.erase(less.begin() + static_cast<long>(at));
            if (less == block) {
                found = true;
                zeros += stray == 0;
            }
        }
        EXPECT_TRUE(found);
    }
    EXPECT_GT(zeros, 50);   // BREAKs...
    EXPECT_LT(zeros, 150);  // ...and other strays
    EXPECT_EQ(f.Done().noisy, 200u);
}

TEST(FaultInjector, FractionsHoldOverManyRepliesAndTheSeedRepeatsARun)
{
    FaultOptions o;
    o.drop = 0.1;
    o.seed = 42;
    FaultInjector a(o), b(o);
    std::vector<Output> outA, outB;
    for (int i = 0; i < 5000; ++i) {
        a.Apply({1, 2}, outA);
        b.Apply({1, 2}, outB);
    }
    EXPECT_NEAR(a.Done().dropped, 500, 80);
    EXPECT_EQ(outA.size(), outB.size());
}
