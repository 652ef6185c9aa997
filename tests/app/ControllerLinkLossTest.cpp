// A lost link: the status watch, the status line, and reconnecting by itself
// with its backoff, on the test's clock.
#include "ControllerTestFixture.h"

#include "app/ControllerTexts.h"

using namespace controller_test;
using namespace std::chrono_literals;

namespace {

std::size_t Count(const std::vector<std::string>& commands, const std::string& command)
{
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
}

class LinkLossTest : public ConnectionControllerTest {
protected:
    void SetUp() override
    {
        ConnectionControllerTest::SetUp();
        settings_.reconnect = true;
        controller_.SetClockText([] { return std::string("12:00:00"); });
        // As the window does: selecting a tree item opens its page.
        views_.onSelectPage = [this](int record) { controller_.OpenPage(static_cast<std::size_t>(record), true); };
    }
    // Ready, with the page "Output" (record 2) open and read.
    void ReadyOnOutput()
    {
        ConnectToReady();
        OpenFirstPage();
        controller_.OpenPage(2, true);
        ReplyParam(1, 0, 0, 4);
        ASSERT_EQ(controller_.CurrentPageIndex(), 2u);
        session_.Take();
    }
    void LoseLink()
    {
        session_.connected = false;
        Post(msg::UM_DISCONNECTED);
        Post(msg::UM_DISCONNECTED);  // the session reports a loss twice
    }
    // The link goes, and the first attempt gets as far as the version.
    void LoseLinkAndAnswerVersion()
    {
        LoseLink();
        Advance(1s);
        session_.connected = true;
        Post(msg::UM_CONNECTED);
        Post(msg::UM_VERSION, 0, 0, {'1', '2', '3'});
    }
    // One attempt from UM_CONNECTED to Ready and the first status, which
    // opens "Output" again; its walk reads 1.0.0.
    void AnswerAttemptToThePage()
    {
        Post(msg::UM_CONNECTED);
        Post(msg::UM_VERSION, 0, 0, {'1', '2', '3'});
        Post(msg::UM_CONFIG, 0, 0, Description());
        for (auto [a, b, c] : {std::array<std::uint8_t, 3>{0, 1, 2}, {0, 1, 3}, {2, 0, 1}, {5, 2, 0}, {1, 0, 0}})
            ReplyParam(a, b, c, 1);
        Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    }
    // The page's walk answered, then the preset list the controller asks for next.
    void AnswerPageAndList(const std::vector<std::string>& names)
    {
        ReplyParam(1, 0, 0, 4);
        Post(msg::UM_PRESET_COUNT, static_cast<std::uint32_t>(names.size()));
        for (std::size_t n = 0; n < names.size(); ++n) {
            Post(msg::UM_PRESET_DATA, static_cast<std::uint32_t>(n), 0, PresetBytes(names[n]));
            RunTimers();
        }
    }
};

}  // namespace

TEST_F(LinkLossTest, BackoffIsOneTwoFourEightFifteenThenThirtySeconds)
{
    std::vector<long> seconds;
    for (unsigned attempt = 1; attempt <= 8; ++attempt)
        seconds.push_back(std::chrono::duration_cast<std::chrono::seconds>(CConnectionController::ReconnectDelay(attempt)).count());
    EXPECT_EQ(seconds, (std::vector<long>{1, 2, 4, 8, 15, 30, 30, 30}));
}

TEST_F(LinkLossTest, LostLinkReconnectsWithBackoffToTheSamePageAndSendsNothingChangedMeanwhile)
{
    ReadyOnOutput();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    LoseLink();
    EXPECT_EQ(controller_.State(), ConnectionState::Reconnecting);
    EXPECT_EQ(views_.linkStatus, "Link lost at 12:00:00. Reconnecting\u2026 (attempt 1)");
    EXPECT_TRUE(views_.linkStatusStoppable);
    EXPECT_TRUE(views_.meterPacket.empty());
    EXPECT_FALSE(views_.windowEnabled);
    EXPECT_TRUE(views_.messages.empty());
    // The operator moves a control while the link is down: it is not sent, now or later.
    controller_.WriteParameter(1, 0, 0, 9, true);

    Advance(999ms);
    EXPECT_TRUE(session_.Take().empty());
    Advance(1ms);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Connect"});
    // Nobody answers: the next attempt waits twice as long.
    session_.connected = false;
    Post(msg::UM_DISCONNECTED);
    EXPECT_EQ(views_.linkStatus, "Link lost at 12:00:00. Reconnecting\u2026 (attempt 2)");
    Advance(1999ms);
    EXPECT_TRUE(session_.Take().empty());
    Advance(1ms);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Connect"});
    controller_.WriteParameter(1, 0, 0, 9, true);

    session_.connected = true;
    AnswerAttemptToThePage();
    AnswerPageAndList({"name0"});
    EXPECT_EQ(controller_.State(), ConnectionState::Ready);
    EXPECT_EQ(controller_.ReconnectAttempt(), 0u);
    EXPECT_EQ(views_.linkStatus, "Link lost at 12:00:00, back at 12:00:00");
    EXPECT_FALSE(views_.linkStatusStoppable);
    EXPECT_TRUE(views_.windowEnabled);
    EXPECT_TRUE(views_.messages.empty());
    // Back on "Output", selected in the tree, and read afresh.
    EXPECT_EQ(controller_.CurrentPageIndex(), 2u);
    EXPECT_EQ(views_.selectedItem, std::optional<int>(2));
    const auto commands = session_.Take();
    EXPECT_EQ(Count(commands, "GetConfig 1234"), 1u);
    EXPECT_EQ(Count(commands, "Read 1.0.0"), 2u);
    for (const std::string& command : commands) EXPECT_EQ(command.rfind("Write", 0), std::string::npos) << command;
}

TEST_F(LinkLossTest, AReconnectGivesThePageBackBeforeThePresetListWhichIsReadAfreshBeforeItsCommandsAct)
{
    ReadyOnOutput();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    views_.selectedRow = 0;
    LoseLink();
    Advance(1s);
    session_.Take();

    AnswerAttemptToThePage();
    // Ready, the status line says so, and "Output" is being read; no preset request yet.
    EXPECT_EQ(controller_.State(), ConnectionState::Ready);
    EXPECT_EQ(views_.linkStatus, "Link lost at 12:00:00, back at 12:00:00");
    EXPECT_EQ(controller_.CurrentPageIndex(), 2u);
    EXPECT_EQ(views_.selectedItem, std::optional<int>(2));
    auto commands = session_.Take();
    EXPECT_EQ(commands.back(), "Read 1.0.0");
    EXPECT_EQ(Count(commands, "GetFactoryPresetNumber"), 0u);
    // The page is back: the list is asked for, and the page takes writes at once.
    ReplyParam(1, 0, 0, 4);
    EXPECT_TRUE(views_.windowEnabled);
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"Status on", "GetFactoryPresetNumber"}));
    controller_.WriteParameter(1, 0, 0, 9, true);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Write 1.0.0=9"});

    // While the list is read no preset command acts on the old one.
    Post(msg::UM_PRESET_COUNT, 3);
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0x80));  // the processor compares
    EXPECT_FALSE(views_.abEnabled);
    Post(msg::UM_PRESET_COMMAND, 0, static_cast<std::uint32_t>(presets::PresetCommand::Load));
    Post(msg::UM_PRESET_COMMAND, 0, static_cast<std::uint32_t>(presets::PresetCommand::Save));
    views_.rows[0].second = "MINE";
    Post(msg::UM_PRESET_NAME_CHANGED, 0);
    EXPECT_EQ(views_.rows[0].second, "NAME0");
    controller_.SelectB();
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"Status off", "GetPreset 0"}));

    // Preset 0 was renamed at the processor during the outage: the rows show it,
    // updated in place with the operator's row still selected.
    std::uint32_t n = 0;
    for (const char* name : {"renamed", "name1", "name2"}) {
        Post(msg::UM_PRESET_DATA, n++, 0, PresetBytes(name));
        RunTimers();
    }
    EXPECT_EQ(views_.rows.size(), 3u);
    EXPECT_EQ(views_.rows[0].second, "RENAMED");
    EXPECT_EQ(views_.selectedRow, std::optional<unsigned>(0));
    EXPECT_TRUE(views_.abEnabled);
    session_.Take();
    Post(msg::UM_PRESET_COMMAND, 0, static_cast<std::uint32_t>(presets::PresetCommand::Load));
    controller_.SelectB();
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"LoadPreset 0", "SendCompare", "Status off", "Read 1.0.0"}));
}

TEST_F(LinkLossTest, RefusedLockCodeOrModelStopsReconnectingWithItsMessage)
{
    ReadyOnOutput();
    LoseLinkAndAnswerVersion();
    session_.connected = false;
    Post(msg::UM_DISCONNECTED);  // no description: the code was refused
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].text, texts::kIncorrectPassword);
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    EXPECT_TRUE(views_.settingsPanelShown);
    session_.Take();
    Advance(10min);
    EXPECT_TRUE(session_.Take().empty());

    // Another processor model on the same address.
    views_.messages.clear();
    ConnectToReady();
    LoseLinkAndAnswerVersion();
    Post(msg::UM_CONFIG, 0, 0, Description(3));
    session_.connected = false;
    Post(msg::UM_DISCONNECTED);
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].text, texts::kIncorrectApplication);
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    session_.Take();
    Advance(10min);
    EXPECT_TRUE(session_.Take().empty());
}

TEST_F(LinkLossTest, StopAndTheConnectButtonEndReconnectingAndConnectingAtOnce)
{
    ReadyOnOutput();
    LoseLink();
    controller_.StopReconnecting();
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    EXPECT_EQ(views_.linkStatus, "Link lost at 12:00:00. Reconnecting stopped");
    EXPECT_TRUE(views_.windowEnabled);
    EXPECT_TRUE(views_.settingsPanelShown);
    Advance(10min);
    EXPECT_EQ(Count(session_.Take(), "Connect"), 0u);

    // A connect to a silent processor ends at the button, without a message.
    controller_.ToggleConnection();
    Post(msg::UM_CONNECTED);
    session_.Take();
    controller_.ToggleConnection();
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Disconnect"});
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    EXPECT_FALSE(views_.progressShown);
    EXPECT_TRUE(views_.windowEnabled);
    session_.connected = false;
    Post(msg::UM_DISCONNECTED);
    EXPECT_TRUE(views_.messages.empty());
}

TEST_F(LinkLossTest, WithoutReconnectOrAfterTheOperatorsDisconnectNoAttemptIsMade)
{
    ReadyOnOutput();
    controller_.ToggleConnection();  // Disconnect
    session_.connected = false;
    Post(msg::UM_DISCONNECTED);
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    EXPECT_EQ(views_.linkStatus, "");

    settings_.reconnect = false;
    ReadyOnOutput();
    LoseLink();
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);
    EXPECT_EQ(views_.linkStatus, "Link to the processor lost at 12:00:00");
    EXPECT_TRUE(views_.messages.empty());
    EXPECT_TRUE(views_.settingsPanelShown);
    session_.Take();
    Advance(10min);
    EXPECT_EQ(Count(session_.Take(), "Connect"), 0u);
}

TEST_F(LinkLossTest, MetersGoDarkOneSecondAfterTheLastStatusAndLightAgainWithTheNext)
{
    ReadyOnOutput();
    ByteString packet = Status(255, 255, 255, 0);
    packet[6] = 0x40;
    Post(msg::UM_STATUS, 0, 0, packet);
    Advance(750ms);
    EXPECT_EQ(views_.meterPacket, packet);
    EXPECT_EQ(views_.linkStatus, "");
    Advance(750ms);
    EXPECT_TRUE(views_.meterPacket.empty());
    EXPECT_EQ(views_.linkStatus, "No answer from the processor since 12:00:00");
    EXPECT_EQ(controller_.State(), ConnectionState::Ready);

    Post(msg::UM_STATUS, 0, 0, packet);
    EXPECT_EQ(views_.meterPacket, packet);
    EXPECT_EQ(views_.linkStatus, "");

    // Status asked off (a page being read) is no silence.
    controller_.OpenPage(2, true);
    Advance(5s);
    EXPECT_EQ(views_.meterPacket, packet);
}
