#include "SimSessionRig.h"

#include "core/ModelCatalog.h"
#include "description/DescriptionParser.h"
#include "link/Packet.h"

#include <set>

using namespace simtest;
using namespace std::chrono_literals;

namespace {

class SimSession : public ::testing::TestWithParam<Wire> {};

ByteString Padded(ByteString b)
{
    b.resize((b.size() + 127) / 128 * 128, 0);
    return b;
}

}  // namespace

TEST_P(SimSession, ConnectSequenceGivesVersionDescriptionParametersAndEveryPreset)
{
    vsim::SimOptions o;
    o.model = 2;
    o.lock = 1234;
    Rig rig(GetParam(), o);
    ASSERT_TRUE(rig.Connect());
    rig.session->ReadVersion();
    EXPECT_EQ(rig.Await("version").bytes, (ByteString{'4', '2', '1'}));

    rig.session->GetConfig(1234);
    const ByteString description = rig.Await("config").bytes;
    EXPECT_EQ(description, Padded(rig.server->Device().Description()));
    DescriptionParser parser;
    parser.LoadFromMemory(description);
    ASSERT_NE(parser.Root(), nullptr);
    EXPECT_TRUE(*parser.Root() == vsim::DescriptionTree(rig.server->Device().GetModel()));

    // The full read: every item's first record, in tree order.
    std::vector<vsim::Address> addresses;
    vsim::ForEachItem(rig.server->Device().GetModel().pages, [&](const vsim::Page&, const vsim::Item& item) {
        addresses.push_back(item.records.front().address);
    });
    for (const auto& a : addresses)
        rig.session->ReadParam(a.a, a.b, a.c);
    ASSERT_TRUE(rig.sink.WaitFor("param", addresses.size(), 20s));
    const auto params = rig.sink.Events("param");
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const auto& a = addresses[i];
        ASSERT_EQ(params[i].bytes.size(), 4u);
        EXPECT_EQ(params[i].bytes[0], a.a);
        EXPECT_EQ(params[i].bytes[1], a.b);
        EXPECT_EQ(params[i].bytes[2], a.c);
        if (a.a != vsim::kLiveGroup) {
            EXPECT_EQ(params[i].bytes[3], rig.server->Device().ReadValue(a));
        }
    }

    rig.session->GetFactoryPresetNumber();
    const int count = rig.Await("count").number;
    EXPECT_EQ(count, 40);
    for (int n = 0; n < count; ++n)
        EXPECT_EQ(rig.DownloadPreset(static_cast<std::uint8_t>(n)),
                  *rig.server->Device().PresetImage(static_cast<std::uint8_t>(n)));
}

TEST_P(SimSession, PresetCommandsAndFlagsBehaveAsTheApplicationExpects)
{
    Rig rig(GetParam());
    ASSERT_TRUE(rig.Connect());
    auto status = [&] {
        const std::size_t before = rig.sink.Count("status");
        rig.session->EnableStatusUpdates(true);
        EXPECT_TRUE(rig.sink.WaitFor("status", before + 1, 5s));
        rig.session->EnableStatusUpdates(false);
        return rig.sink.Events("status").back().bytes;
    };
    rig.session->LoadPreset(10);
    EXPECT_EQ(rig.Await("loaded").number, 10);
    ByteString s = status();
    ASSERT_EQ(s.size(), 29u);
    EXPECT_EQ(s[5], 10);

    // Write: change flag; compare runs the stored preset; revert the edit.
    rig.session->ReadParam(0, 1, 2);
    const std::uint8_t stored = rig.Await("param").bytes[3];
    const auto edited = static_cast<std::uint8_t>(stored == 20 ? 21 : 20);
    rig.session->WriteParam(0, 1, 2, edited);
    rig.session->ReadParam(0, 1, 2);
    EXPECT_EQ(rig.Await("param").bytes[3], edited);
    EXPECT_EQ(status()[5], 0x80 | 10);
    rig.session->SendCompare();
    rig.session->ReadParam(0, 1, 2);
    EXPECT_EQ(rig.Await("param").bytes[3], stored);
    EXPECT_EQ(status()[5], 0xC0 | 10);
    rig.session->SendRevert();
    rig.session->ReadParam(0, 1, 2);
    EXPECT_EQ(rig.Await("param").bytes[3], edited);
    EXPECT_EQ(status()[5], 0x80 | 10);

    // Save into user preset 2, rename it, read it back.
    rig.session->SavePreset(2);
    rig.session->RenamePreset(2, "breakfast show and more");
    const ByteString image = rig.DownloadPreset(2);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 15), "breakfast show ");
    EXPECT_EQ(status()[5], 2);
    rig.session->LoadPreset(9);
    rig.Await("loaded");
    rig.session->LoadPreset(2);
    rig.Await("loaded");
    rig.session->ReadParam(0, 1, 2);
    EXPECT_EQ(rig.Await("param").bytes[3], edited);

    // Markers follow their parameters.
    rig.session->WriteParam(2, 2, 0, 4);
    rig.session->WriteParam(2, 2, 1, 12);
    s = status();
    EXPECT_EQ(s[2], 3);
    EXPECT_EQ(s[3], 11);
    EXPECT_EQ(s[4], 8);
}

TEST_P(SimSession, PresetRoundTripIsByteIdentical)
{
    vsim::SimOptions o;
    o.model = 12;  // two-block presets
    Rig rig(GetParam(), o);
    ASSERT_TRUE(rig.Connect());
    const ByteString factory = rig.DownloadPreset(20);
    EXPECT_EQ(factory.size(), 256u);
    rig.session->SendPreset(5, factory);
    EXPECT_EQ(rig.Await("sent").number, 5);
    EXPECT_TRUE(rig.sink.Events("sent")[0].bytes.empty());
    EXPECT_EQ(rig.DownloadPreset(5), factory);
    EXPECT_EQ(rig.DownloadPreset(20), factory);
}

TEST_P(SimSession, UpgradeIsTakenOverTheUploadPath)
{
    Rig rig(GetParam());
    ASSERT_TRUE(rig.Connect());
    rig.session->SendUpgrade(vsim::MakeUpgradeImage(1, {'3', '2', '0'}, ByteString(1000, 0xA5)));
    rig.session->ReadVersion();  // queued behind the upload
    EXPECT_EQ(rig.Await("version").bytes, (ByteString{'3', '2', '0'}));
    EXPECT_EQ(rig.sink.LogCount("Upgrade Sent"), 1u);
}

TEST_P(SimSession, WrongLockCodeGetsNoDescriptionAndTheLinkDrops)
{
    vsim::SimOptions o;
    o.lock = 2468;
    Rig rig(GetParam(), o);
    ASSERT_TRUE(rig.Connect());
    rig.session->GetConfig(2467);
    EXPECT_TRUE(rig.sink.WaitFor("disconnect", 1, 10s));
    EXPECT_EQ(rig.sink.Count("config"), 0u);
    EXPECT_EQ(rig.sink.LogCount("Too many tries. Disconnecting."), 1u);
}

TEST_P(SimSession, StatusMetersMoveWhilePolled)
{
    vsim::SimOptions o;
    o.model = 9;
    Rig rig(GetParam(), o);
    ASSERT_TRUE(rig.Connect());
    rig.session->EnableStatusUpdates(true);
    ASSERT_TRUE(rig.sink.WaitFor("status", 8, 5s));
    rig.session->EnableStatusUpdates(false);
    std::set<ByteString> meters;
    for (const auto& e : rig.sink.Events("status")) {
        EXPECT_TRUE(IsAcceptedReply(e.bytes));
        meters.insert(ByteString(e.bytes.begin() + 6, e.bytes.begin() + 28));
    }
    EXPECT_GE(meters.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Wires, SimSession, ::testing::Values(Wire::Udp, Wire::Serial), WireName);

TEST(SimSessionModels, EveryModelSendsADescriptionThatParsesIntoItsPages)
{
    std::vector<int> codes;
    for (auto c : vsim::KnownModelCodes())
        codes.push_back(c);
    for (auto c : vsim::UnknownModelCodes())
        codes.push_back(c);
    for (int code : codes) {
        SCOPED_TRACE(code);
        vsim::SimOptions o;
        o.model = code;
        Rig rig(Wire::Udp, o);
        ASSERT_TRUE(rig.Connect());
        rig.session->GetConfig(0);
        const ByteString d = rig.Await("config").bytes;
        ASSERT_FALSE(d.empty());
        EXPECT_EQ(d[0], code);
        DescriptionParser parser;
        parser.LoadFromMemory(d);
        ASSERT_NE(parser.Root(), nullptr);
        const PageNode expected = vsim::DescriptionTree(rig.server->Device().GetModel());
        EXPECT_TRUE(*parser.Root() == expected);
        ASSERT_EQ(parser.Root()->children.size(), expected.children.size());
        for (std::size_t i = 0; i < expected.children.size(); ++i)
            EXPECT_EQ(parser.Root()->children[i].name, expected.children[i].name);
    }
}

TEST(SimSessionPacing, PacedSerialOutputTakesAtLeastTheWireTime)
{
    vsim::SimOptions o;
    o.model = 0;
    o.baud = 19200;
    o.resendMs = 600;
    Rig rig(Wire::Serial, o, 1500);
    ASSERT_TRUE(rig.Connect());
    const auto start = std::chrono::steady_clock::now();
    rig.session->GetConfig(0);
    const ByteString d = rig.Await("config").bytes;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const std::size_t blocks = d.size() / 128;
    const std::size_t wireBytes = 3 + blocks * 132 + 1;  // reply, blocks, EOT
    const auto wireTime = std::chrono::duration<double>(10.0 * static_cast<double>(wireBytes) / 19200.0);
    EXPECT_GE(std::chrono::duration<double>(elapsed).count(), wireTime.count() * 0.95);
    EXPECT_LT(std::chrono::duration<double>(elapsed).count(), wireTime.count() * 3 + 0.5);
}
