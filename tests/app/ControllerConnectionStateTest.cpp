// What a connection starts from and how a stalled one ends.
#include "ControllerTestFixture.h"

#include "app/ControllerTexts.h"
#include "meters/MeterLayout.h"

using namespace controller_test;

namespace {

CTextPage& Page(CConnectionController& controller)
{
    auto* page = dynamic_cast<CTextPage*>(controller.CurrentPage());
    EXPECT_NE(page, nullptr);
    return *page;
}

std::size_t Count(const std::vector<std::string>& commands, const std::string& command)
{
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
}

}  // namespace

TEST_F(ConnectionControllerTest, ReconnectAfterCompareStartsFromWhatTheProcessorReports)
{
    ConnectToReady();
    OpenFirstPage();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0xC3));
    ASSERT_TRUE(views_.bChecked);
    ASSERT_TRUE(controller_.CompareLock());
    Post(msg::UM_DISCONNECTED);
    session_.connected = false;

    ConnectToReady();
    EXPECT_FALSE(views_.aChecked);
    EXPECT_FALSE(views_.bChecked);
    EXPECT_FALSE(views_.abEnabled);
    EXPECT_FALSE(controller_.CompareLock());
    EXPECT_EQ(views_.flags, presets::PresetFlags{});

    // Still edited, but no longer comparing: A, and group 0 free.
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0x83));
    EXPECT_TRUE(views_.abEnabled);
    EXPECT_TRUE(views_.aChecked);
    EXPECT_FALSE(views_.bChecked);
    EXPECT_FALSE(controller_.CompareLock());
    EXPECT_TRUE(Page(controller_).Controls()[0]->Enabled());
    EXPECT_EQ(views_.flags, (presets::PresetFlags{255, 255, 255, 3, 1}));
}

// Reading a preset into a file does not end the processor's compare, so the
// window keeps showing B with group 0 locked.
TEST_F(ConnectionControllerTest, SaveToFileWhileComparingKeepsTheProcessorsCompareState)
{
    ConnectToReady();
    OpenFirstPage();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0xC1));
    session_.Take();
    views_.fileToSave = (folder_ / "u2.pst").string();
    views_.selectedRow = 1;
    Post(msg::UM_PRESET_COMMAND, 1, static_cast<std::uint32_t>(presets::PresetCommand::SaveToFile));
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"GetPreset 1"});
    Post(msg::UM_PRESET_DATA, 1, 0, PresetBytes("name1"));
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0xC1));
    EXPECT_FALSE(views_.aChecked);
    EXPECT_TRUE(views_.bChecked);
    EXPECT_TRUE(controller_.CompareLock());
    EXPECT_FALSE(Page(controller_).Controls()[0]->Enabled());

    // Save stores the edit and ends the compare on the processor too.
    views_.selectedRow = 1;
    Post(msg::UM_PRESET_COMMAND, 1, static_cast<std::uint32_t>(presets::PresetCommand::Save));
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"SavePreset 1"});
    EXPECT_TRUE(views_.aChecked);
    EXPECT_FALSE(controller_.CompareLock());
}

TEST_F(ConnectionControllerTest, StalledConnectIsGivenUpByTheWatchdogWithNoResponse)
{
    const auto period = controller_.ConnectWatchdogPeriod();
    EXPECT_GE(period, std::chrono::milliseconds(settings_.tries * settings_.replyTimeoutMs));
    ConnectToConfig();
    ReplyParam(0, 1, 2, 24);
    Advance(period - std::chrono::milliseconds(1));
    EXPECT_EQ(controller_.State(), ConnectionState::Reading);
    // Progress since the watchdog was set keeps the attempt alive.
    Advance(std::chrono::milliseconds(2));
    ReplyParam(0, 1, 3, 1);
    Advance(period);
    EXPECT_EQ(controller_.State(), ConnectionState::Reading);
    EXPECT_TRUE(views_.messages.empty());
    session_.Take();

    // The end marker never comes: a whole period without a step ends it.
    Advance(period);
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Disconnect"});
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].text, texts::kNoResponse);
    EXPECT_FALSE(views_.progressShown);
    EXPECT_TRUE(views_.windowEnabled);
    EXPECT_EQ(views_.connectElement, "BtnConnect");
    EXPECT_TRUE(views_.settingsPanelShown);
    // The session's own report of the disconnect adds no second message.
    Post(msg::UM_DISCONNECTED);
    EXPECT_EQ(views_.messages.size(), 1u);
}

TEST_F(ConnectionControllerTest, WatchdogLeavesAReadyConnectionAndAStalledListIsGivenUp)
{
    ConnectToReady();
    Advance(controller_.ConnectWatchdogPeriod() * 4);
    EXPECT_EQ(controller_.State(), ConnectionState::Ready);
    EXPECT_TRUE(views_.messages.empty());

    // A preset that never arrives holds the list, and the progress window, up.
    Post(msg::UM_DISCONNECTED);
    session_.connected = false;
    ConnectToConfig();
    ReplyParam(1, 0, 0, 4);
    Post(msg::UM_PRESET_COUNT, 5);
    Post(msg::UM_PRESET_DATA, 0, 0, PresetBytes("a"));
    RunTimers();
    ASSERT_TRUE(views_.progressShown);
    Advance(controller_.ConnectWatchdogPeriod() * 2);
    EXPECT_FALSE(views_.progressShown);
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].text, texts::kNoResponse);
}

TEST_F(ConnectionControllerTest, FirstStatusBuildsAndReadsPageZeroOnce)
{
    // As the window does: selecting a tree item opens its page.
    views_.onSelectPage = [this](int record) { controller_.OpenPage(static_cast<std::size_t>(record), true); };
    ConnectToReady();
    const std::size_t built = views_.pagesBuilt;
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    EXPECT_EQ(views_.pagesBuilt, built + 1);
    EXPECT_EQ(Count(session_.Take(), "Read 0.1.2"), 1u);
    ReplyParam(0, 1, 2, 30);
    ReplyParam(0, 1, 3, 1);
    ReplyParam(2, 0, 1, 3);
    EXPECT_FALSE(controller_.RefreshWalkRunning());
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    EXPECT_EQ(views_.pagesBuilt, built + 1);
}

// A report of the lost link, handled while the next connection identifies its
// processor, must not open the old description's page nor read its addresses.
TEST_F(ConnectionControllerTest, StatusOfALostLinkDoesNotActOnTheNextConnection)
{
    views_.onSelectPage = [this](int record) { controller_.OpenPage(static_cast<std::size_t>(record), true); };
    ConnectToReady();
    OpenFirstPage();
    Post(msg::UM_DISCONNECTED);
    controller_.ToggleConnection();
    Post(msg::UM_CONNECTED);
    session_.Take();
    const std::size_t built = views_.pagesBuilt;
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    EXPECT_EQ(views_.pagesBuilt, built);
    EXPECT_EQ(Count(session_.Take(), "Read 0.1.2"), 0u);
    EXPECT_FALSE(controller_.RefreshWalkRunning());
}

TEST_F(ConnectionControllerTest, StatusPacketsDriveTheMeterAndADisconnectResetsIt)
{
    ConnectToReady();
    EXPECT_EQ(views_.meterModel, 1);
    ByteString packet = Status(255, 255, 255, 0);
    for (std::size_t i = 6; i < 28; ++i) packet[i] = static_cast<std::uint8_t>(0x10 + i);
    Post(msg::UM_STATUS, 0, 0, packet);
    EXPECT_EQ(views_.meterPacket, packet);
    packet[6] = 0x77;
    Post(msg::UM_STATUS, 0, 0, packet);
    EXPECT_EQ(views_.meterPacket, packet);
    Post(msg::UM_DISCONNECTED);
    EXPECT_TRUE(views_.meterPacket.empty());
}

namespace {

// Model 1 whose button group asks for a string the table does not have: the
// parser reports it in a "Config Error" box.
ByteString BadChoiceDescription()
{
    return {0x01, 'O', 'f', 'f', 0, 'O', 'n', 0, 0, 0x01, 0x01, 'M', 'a', 'i', 'n', 0,
            0x12, 0x00, 0x01, 0x00, 0x01, 0x03, 'M', 'o', 'd', 'e', 0, 0, 0x01, 0x00,
            0x00, 0x05, 0x06, 0x05, 0x0C, 0x02};
}

}  // namespace

TEST_F(ConnectionControllerTest, ConfigErrorBoxLeftOpenLongIsNoStallAndTheConnectGoesOnAfterIt)
{
    // The operator leaves the box open for several watchdog periods.
    views_.onMessage = [this](const MessageShown&) { Advance(controller_.ConnectWatchdogPeriod() * 3); };
    ConnectToConfig(BadChoiceDescription());
    views_.onMessage = nullptr;
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].caption, "Config Error");
    EXPECT_EQ(controller_.State(), ConnectionState::Reading);
    const auto commands = session_.Take();
    EXPECT_EQ(Count(commands, "Disconnect"), 0u);
    EXPECT_EQ(commands.back(), "GetFactoryPresetNumber");
    // The watchdog counts again from the moment the box closed.
    Advance(controller_.ConnectWatchdogPeriod() - std::chrono::milliseconds(1));
    EXPECT_EQ(controller_.State(), ConnectionState::Reading);
}

TEST_F(ConnectionControllerTest, LinkLostBehindTheConfigErrorBoxRunsNoFurtherStepOfThatConnect)
{
    views_.onMessage = [this](const MessageShown& shown) {
        if (shown.caption != "Config Error") return;
        session_.connected = false;
        Post(msg::UM_DISCONNECTED);
    };
    ConnectToConfig(BadChoiceDescription());
    views_.onMessage = nullptr;
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"Connect", "ReadVersion", "GetConfig 1234"}));
    EXPECT_TRUE(views_.settingsPanelShown);
    EXPECT_FALSE(views_.progressShown);
    // Late replies of the given-up link change nothing either.
    Post(msg::UM_PARAM_VALUE, 0, PackParamValue(0, 1, 2, 9));
    Post(msg::UM_PRESET_COUNT, 4);
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    EXPECT_TRUE(session_.Take().empty());
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    EXPECT_TRUE(views_.meterPacket.empty());
}

TEST_F(ConnectionControllerTest, RefusedModelLeavesTheMeterShowingNoProcessor)
{
    ConnectToReady();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    Post(msg::UM_DISCONNECTED);
    session_.connected = false;
    views_.keptSettings.clear();
    for (int code : {3, 0, 11, 16}) {
        ConnectToConfig(Description(static_cast<std::uint8_t>(code)));
        EXPECT_EQ(views_.meterModel, std::optional<std::uint8_t>(0)) << code;
        EXPECT_EQ(views_.meterBackground, kNoModelBackgroundKey) << code;
        EXPECT_TRUE(views_.meterPacket.empty()) << code;
        EXPECT_TRUE(views_.keptSettings.empty()) << code;
        Post(msg::UM_DISCONNECTED);
        session_.connected = false;
    }
}
