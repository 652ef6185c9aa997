#include "ControllerTestFixture.h"

#include "app/ControllerTexts.h"
#include "presets/PresetFile.h"

using namespace controller_test;

TEST_F(ConnectionControllerTest, ValidationRefusesShortLockCodeAndLargePortWithTheirOwnMessages)
{
    views_.lockCodeText = "123";
    views_.panelValues = [](ConnectionSettings& s) { s.portNumber = 65536; };
    controller_.ToggleConnection();
    ASSERT_EQ(views_.messages.size(), 2u);
    EXPECT_EQ(views_.messages[0].text, texts::kCheckPassword);
    EXPECT_EQ(views_.messages[1].text, texts::kCheckPort);
    EXPECT_EQ(views_.messages[0].caption, "");
    EXPECT_TRUE(session_.commands.empty());
    EXPECT_EQ(controller_.State(), ConnectionState::Disconnected);

    // An empty port field reads as 0, which is no UDP port either.
    views_.messages.clear();
    views_.lockCodeText = "0012";
    views_.panelValues = [](ConnectionSettings& s) {
        s.transportIndex = 0;
        s.portNumber = 0;
        s.lockCode = 12;
    };
    controller_.ToggleConnection();
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].text, texts::kCheckPort);
    EXPECT_TRUE(session_.commands.empty());

    views_.messages.clear();
    views_.panelValues = [](ConnectionSettings& s) {
        s.portNumber = 65535;
        s.lockCode = 12;
    };
    controller_.ToggleConnection();
    EXPECT_TRUE(views_.messages.empty());
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Connect"});
    EXPECT_TRUE(views_.progressShown);
    EXPECT_FALSE(views_.windowEnabled);
}

TEST_F(ConnectionControllerTest, ConnectSequenceSavesDescriptionReadsEveryItemDepthFirstThenAsksPresetCount)
{
    controller_.ToggleConnection();
    Post(msg::UM_CONNECTED);
    EXPECT_EQ(views_.connectElement, "BtnDisconnect");
    EXPECT_FALSE(views_.settingsPanelShown);
    Post(msg::UM_VERSION, 0, 0, {'1', '2', '3'});
    EXPECT_EQ(views_.title, "Remote V1.23");
    EXPECT_TRUE(views_.keptSettings.empty());
    const ByteString description = Description();
    Post(msg::UM_CONFIG, 0, 0, description);
    // The processor took the lock code: the settings are kept at once.
    EXPECT_EQ(views_.keptSettings, (std::vector<std::pair<std::string, std::uint32_t>>{{"127.0.0.1", 1234}}));
    EXPECT_EQ(presets::ReadPresetFile((folder_ / "pccontrol.bin").string()), description);
    EXPECT_EQ(session_.Take(),
              (std::vector<std::string>{"Connect", "ReadVersion", "GetConfig 1234", "Status off", "Read 0.1.2",
                                        "Read 0.1.3", "Read 2.0.1", "Read 5.2.0", "Read 1.0.0", "Status on",
                                        "GetFactoryPresetNumber"}));
    EXPECT_EQ(views_.meterBackground, "LedsBkVexlorFM");
    EXPECT_EQ(views_.userPresetCount, 8u);
    EXPECT_EQ(controller_.State(), ConnectionState::Reading);
    ASSERT_NE(controller_.Root(), nullptr);
    EXPECT_EQ(controller_.PageTree().Records().size(), 3u);
    EXPECT_EQ(controller_.PageTree().Records()[1].path, "Main > Gate");
}

TEST_F(ConnectionControllerTest, EndMarkerEndsTheFullReadEvenWithRepliesOutstanding)
{
    ConnectToConfig();
    session_.Take();
    ReplyParam(1, 0, 0, 4);  // the last address asked
    EXPECT_FALSE(controller_.FullReadRunning());
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Status on"});
    // Not ready before the preset list is built.
    EXPECT_EQ(controller_.State(), ConnectionState::Reading);
}

TEST_F(ConnectionControllerTest, UnknownModelCodesDisconnectWithIncorrectRemoteApplication)
{
    for (int value : {0, 3, 11, 16, 255}) {
        const auto code = static_cast<std::uint8_t>(value);
        views_.messages.clear();
        session_.connected = false;
        ConnectToConfig(Description(code));
        EXPECT_EQ(session_.commands.back(), "Disconnect") << int(code);
        ASSERT_EQ(views_.messages.size(), 1u) << int(code);
        EXPECT_EQ(views_.messages[0].text, texts::kIncorrectApplication);
        EXPECT_FALSE(fs::exists(folder_ / "pccontrol.bin"));
        Post(msg::UM_DISCONNECTED);
        EXPECT_EQ(views_.messages.size(), 1u);
    }
}

TEST_F(ConnectionControllerTest, BadChoiceIndexInTheDescriptionShowsConfigErrorOnce)
{
    // Model 1, strings Off and On, page Main with a button group whose choices
    // start at string 5.
    const ByteString bad{0x01, 'O', 'f', 'f', 0, 'O', 'n', 0, 0, 0x01, 0x01, 'M', 'a', 'i', 'n', 0,
                         0x12, 0x00, 0x01, 0x00, 0x01, 0x03, 'M', 'o', 'd', 'e', 0, 0, 0x01, 0x00,
                         0x00, 0x05, 0x06, 0x05, 0x0C, 0x02};
    ConnectToConfig(bad);
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].caption, "Config Error");
    EXPECT_EQ(views_.messages[0].text.rfind("Index Error.", 0), 0u);
    EXPECT_EQ(controller_.State(), ConnectionState::Reading);
}

TEST_F(ConnectionControllerTest, UnwritableFolderGivesPermissionsError)
{
    controller_.SetWorkFolder((folder_ / "missing").string());
    ConnectToConfig();
    EXPECT_EQ(session_.commands.back(), "Disconnect");
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].text, texts::kPermissionsError);
}

TEST_F(ConnectionControllerTest, LinkLossMessagesDependOnHowFarTheConnectGotAndShowOnce)
{
    controller_.ToggleConnection();
    Post(msg::UM_DISCONNECTED);
    Post(msg::UM_DISCONNECTED);  // the session reports a loss twice
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].text, texts::kNoResponse);
    EXPECT_EQ(views_.connectElement, "BtnConnect");
    EXPECT_FALSE(views_.progressShown);
    EXPECT_TRUE(views_.windowEnabled);

    views_.messages.clear();
    session_.connected = false;
    controller_.ToggleConnection();
    Post(msg::UM_CONNECTED);
    Post(msg::UM_VERSION, 0, 0, {'1', '0', '0'});
    Post(msg::UM_DISCONNECTED);
    Post(msg::UM_DISCONNECTED);
    ASSERT_EQ(views_.messages.size(), 1u);
    EXPECT_EQ(views_.messages[0].text, texts::kIncorrectPassword);
}

TEST_F(ConnectionControllerTest, PresetListFillsOneByOneThroughTempFilesWithAPauseTimer)
{
    ConnectToConfig();
    ReplyParam(1, 0, 0, 4);
    session_.Take();
    Post(msg::UM_PRESET_COUNT, 10);
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"Status off", "GetPreset 0"}));
    for (std::uint8_t n = 0; n < 10; ++n) {
        Post(msg::UM_PRESET_DATA, n, 0, PresetBytes(n == 9 ? "last" : "p" + std::to_string(n)));
        EXPECT_FALSE(fs::exists(folder_ / presets::PresetTempFileName(n)));
        if (n < 9) {
            // The next request waits for the timer.
            EXPECT_TRUE(session_.Take().empty());
            ASSERT_FALSE(timers_.Empty());
            RunTimers();
            EXPECT_EQ(session_.Take(), std::vector<std::string>{"GetPreset " + std::to_string(n + 1)});
        }
    }
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Status on"});
    EXPECT_EQ(controller_.State(), ConnectionState::Ready);
    EXPECT_FALSE(views_.progressShown);
    ASSERT_EQ(views_.rows.size(), 10u);
    EXPECT_EQ(views_.rows[7].first, "U8:");
    EXPECT_EQ(views_.rows[8].first, "F1:");
    EXPECT_EQ(views_.rows[9].second, "LAST");
}

TEST_F(ConnectionControllerTest, ZeroPresetsFinishTheListAtOnce)
{
    ConnectToConfig();
    ReplyParam(1, 0, 0, 4);
    Post(msg::UM_PRESET_COUNT, 0);
    EXPECT_EQ(controller_.State(), ConnectionState::Ready);
    EXPECT_FALSE(views_.progressShown);
}

TEST_F(ConnectionControllerTest, DisconnectDuringTheListCancelsThePendingRequest)
{
    ConnectToConfig();
    ReplyParam(1, 0, 0, 4);
    Post(msg::UM_PRESET_COUNT, 5);
    Post(msg::UM_PRESET_DATA, 0, 0, PresetBytes("a"));
    Post(msg::UM_DISCONNECTED);
    session_.Take();
    RunTimers();
    EXPECT_TRUE(session_.Take().empty());
}

TEST_F(ConnectionControllerTest, FirstStatusBuildsTreeOpensFirstPageAndWalksItsControls)
{
    ConnectToReady();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    ASSERT_NE(controller_.CurrentPage(), nullptr);
    EXPECT_EQ(views_.treeItems.size(), 3u);  // Mode is 1, so Gate (shown for 1..1) is listed
    EXPECT_TRUE(controller_.RefreshWalkRunning());
    const auto commands = session_.Take();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), "Read 0.1.2");
    ReplyParam(0, 1, 2, 30);
    ReplyParam(9, 9, 9, 1);  // not the walk's address: ignored
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Read 0.1.3"});
    ReplyParam(0, 1, 3, 1);
    ReplyParam(2, 0, 1, 3);
    EXPECT_FALSE(controller_.RefreshWalkRunning());
    auto* page = dynamic_cast<CTextPage*>(controller_.CurrentPage());
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->Visible());
    EXPECT_EQ(page->Controls()[0]->Shown(), 30);
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"Read 2.0.1", "Status on"}));
}

TEST_F(ConnectionControllerTest, CompareFlagFromDeviceLocksExactlyGroupZeroControls)
{
    ConnectToReady();
    OpenFirstPage();
    Post(msg::UM_STATUS, 0, 0, Status(1, 2, 3, 0xC3));
    EXPECT_EQ(controller_.StatusNow().current, 3);
    EXPECT_TRUE(views_.abEnabled);
    EXPECT_FALSE(views_.aChecked);
    EXPECT_TRUE(views_.bChecked);
    EXPECT_TRUE(controller_.CompareLock());
    auto* page = dynamic_cast<CTextPage*>(controller_.CurrentPage());
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->Controls()[0]->Enabled());
    EXPECT_FALSE(page->Controls()[1]->Enabled());
    EXPECT_TRUE(page->Controls()[2]->Enabled());  // address group 2
    EXPECT_EQ(views_.flags, (presets::PresetFlags{1, 2, 3, 3, 1}));

    // Change flag back to 0 releases everything.
    Post(msg::UM_STATUS, 0, 0, Status(1, 2, 3, 0x03));
    EXPECT_FALSE(views_.abEnabled);
    EXPECT_FALSE(views_.bChecked);
    EXPECT_FALSE(controller_.CompareLock());
    EXPECT_TRUE(page->Controls()[0]->Enabled());
}

TEST_F(ConnectionControllerTest, StatusChangesAreLoggedWithTheirExactLines)
{
    ConnectToReady();
    views_.logLines.clear();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    EXPECT_EQ(views_.logLines, std::vector<std::string>{"Some Preset Flags Changed. Preset List Updated."});
    ReplyParam(0, 1, 2, 30);
    ReplyParam(0, 1, 3, 1);
    ReplyParam(2, 0, 1, 3);
    views_.logLines.clear();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));  // nothing changed
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0xC0));
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0x00));
    EXPECT_EQ(views_.logLines, (std::vector<std::string>{
                                   "Change Flag Placed to 1",
                                   "Compare Flag Placed to 1 by Device",
                                   "Some Preset Flags Changed. Preset List Updated.",
                                   "Change Flag Placed to 0",
                                   "Compare Flag Placed to 0 and 0",
                                   "Some Preset Flags Changed. Preset List Updated.",
                               }));
}

TEST_F(ConnectionControllerTest, SelectAAndBSendRevertAndCompareAndMoveTheLock)
{
    ConnectToReady();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    session_.Take();
    controller_.SelectB();
    auto commands = session_.Take();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "SendCompare");
    EXPECT_TRUE(views_.bChecked);
    EXPECT_TRUE(controller_.CompareLock());
    controller_.SelectB();
    EXPECT_TRUE(session_.Take().empty());
    controller_.SelectA();
    EXPECT_EQ(session_.Take().front(), "SendRevert");
    EXPECT_TRUE(views_.aChecked);
    EXPECT_FALSE(controller_.CompareLock());
}

TEST_F(ConnectionControllerTest, PresetLoadedRereadsDriversThenReopensPageOnNextStatus)
{
    ConnectToReady();
    OpenFirstPage();
    session_.Take();
    const std::size_t built = views_.pagesBuilt;
    Post(msg::UM_PRESET_LOADED, 2);
    EXPECT_EQ(session_.Take(), (std::vector<std::string>{"Status off", "Read 0.1.3", "Status on"}));
    EXPECT_TRUE(controller_.FullReadRunning());
    ReplyParam(0, 1, 3, 0);  // Mode off hides Gate
    EXPECT_FALSE(controller_.FullReadRunning());
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 2));
    EXPECT_GT(views_.pagesBuilt, built);
    EXPECT_EQ(views_.treeItems.size(), 2u);
    EXPECT_TRUE(controller_.PageTree().Records()[1].hidden);
}

// A write that only shows or hides pages rebuilds the tree, which unbinds the
// controls; the open page must be built again or it would stop following values.
TEST_F(ConnectionControllerTest, PageOnlyVisibilityChangeBuildsTheOpenPageAgain)
{
    ConnectToReady();
    OpenFirstPage();
    session_.Take();
    const std::size_t built = views_.pagesBuilt;
    controller_.WriteParameter(0, 1, 3, 0, true);  // Mode off hides the Gate page only
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    EXPECT_EQ(views_.treeItems.size(), 2u);
    EXPECT_GT(views_.pagesBuilt, built);
    EXPECT_TRUE(controller_.RefreshWalkRunning());
    ReplyParam(0, 1, 2, 31);
    ReplyParam(0, 1, 3, 0);
    ReplyParam(2, 0, 1, 3);
    EXPECT_FALSE(controller_.RefreshWalkRunning());
    auto* page = dynamic_cast<CTextPage*>(controller_.CurrentPage());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Controls()[0]->Shown(), 31);
}

TEST_F(ConnectionControllerTest, RenameSendsTheUpperCaseNameInFifteenBytesAndUpdatesTheRow)
{
    ConnectToReady();
    views_.selectedRow = 1;
    Post(msg::UM_PRESET_COMMAND, 1, 2);
    EXPECT_EQ(views_.renameStarted, 1u);
    views_.rows[1].second = "abc";
    Post(msg::UM_PRESET_NAME_CHANGED, 1);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Rename 1"});
    // The processor gets the name the list shows.
    ByteString expected(15, 0);
    expected[0] = 'A';
    expected[1] = 'B';
    expected[2] = 'C';
    EXPECT_EQ(session_.renamed, expected);
    EXPECT_EQ(controller_.PresetRows()[1].name, "ABC");
}

TEST_F(ConnectionControllerTest, LoadFromFileUploadsReadsBackAndLoadsWhenCurrent)
{
    ConnectToReady();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 1));
    session_.Take();
    const ByteString image = PresetBytes("from file", 256);
    const std::string file = (folder_ / "mine.pst").string();
    ASSERT_TRUE(presets::WritePresetFile(file, image));
    views_.fileToLoad = file;
    views_.selectedRow = 1;
    Post(msg::UM_PRESET_COMMAND, 1, 3);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"SendPreset 1"});
    EXPECT_EQ(session_.sentPreset, image);
    Post(msg::UM_PRESET_SENT, 1);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"GetPreset 1"});
    Post(msg::UM_PRESET_DATA, 1, 0, image);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"LoadPreset 1"});
    EXPECT_EQ(controller_.PresetRows()[1].name, "FROM FILE");
}

TEST_F(ConnectionControllerTest, CancelledLoadFromFileLeavesALaterSaveToFileAlone)
{
    ConnectToReady();
    Post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0x81));
    session_.Take();
    views_.selectedRow = 1;
    views_.fileToLoad = "";
    Post(msg::UM_PRESET_COMMAND, 1, 3);
    const std::string empty = (folder_ / "empty.pst").string();
    ASSERT_TRUE(presets::WritePresetFile(empty, {}));
    views_.fileToLoad = empty;
    views_.selectedRow = 1;
    Post(msg::UM_PRESET_COMMAND, 1, 3);
    EXPECT_TRUE(session_.Take().empty());

    // Nothing was uploaded, so the preset saved to a file next is no read-back:
    // its row keeps its name and the modified current preset is not reloaded.
    views_.fileToSave = (folder_ / "u2.pst").string();
    views_.selectedRow = 1;
    Post(msg::UM_PRESET_COMMAND, 1, 4);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"GetPreset 1"});
    Post(msg::UM_PRESET_DATA, 1, 0, PresetBytes("name1"));
    EXPECT_TRUE(session_.Take().empty());
    EXPECT_EQ(controller_.PresetRows()[1].name, "NAME1");
}

TEST_F(ConnectionControllerTest, FactoryPresetRefusesSaveRenameAndLoadFromFileButSavesToFile)
{
    ConnectToReady(10);
    Post(msg::UM_PRESET_SELECTED, 8);
    EXPECT_FALSE(views_.userPresetButtonsShown);
    views_.selectedRow = 8;
    for (int command : {1, 2, 3}) Post(msg::UM_PRESET_COMMAND, 8, static_cast<std::uint32_t>(command));
    EXPECT_TRUE(session_.Take().empty());
    views_.fileToSave = (folder_ / "f1.pst").string();
    Post(msg::UM_PRESET_COMMAND, 8, 4);
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"GetPreset 8"});
    const ByteString image = PresetBytes("factory", 384);
    Post(msg::UM_PRESET_DATA, 8, 0, image);
    EXPECT_EQ(presets::ReadPresetFile(views_.fileToSave), image);
    Post(msg::UM_PRESET_SELECTED, 2);
    EXPECT_TRUE(views_.userPresetButtonsShown);
}

TEST_F(ConnectionControllerTest, ExitWhileConnectedDisconnectsAndQuitsWithoutMessages)
{
    ConnectToReady();
    controller_.ExitApplication();
    EXPECT_EQ(session_.Take(), std::vector<std::string>{"Disconnect"});
    EXPECT_EQ(views_.quitCode, 0);
    views_.quitCode.reset();
    Post(msg::UM_DISCONNECTED);
    EXPECT_EQ(views_.quitCode, 0);
    EXPECT_TRUE(views_.messages.empty());
}

namespace {

// A control whose page left it without records.
class RecordlessControl : public IBoundControl {
public:
    std::vector<ControlRecord>& Records() override { return records_; }
    void SetDeviceValue(std::uint8_t) override {}
    void SetEnabled(bool) override {}

private:
    std::vector<ControlRecord> records_;
};

// Pages of one real control followed by a control without records.
class RecordlessTailPages : public IPageFactory {
public:
    std::unique_ptr<IPageView> BuildPage(const PageNode& node, const std::string& path) override
    {
        class Page : public CTextPage {
        public:
            using CTextPage::CTextPage;
            std::vector<IBoundControl*> BoundControls() override
            {
                auto bound = CTextPage::BoundControls();
                bound.resize(1);
                bound.push_back(&tail_);
                return bound;
            }

        private:
            RecordlessControl tail_;
        };
        if (node.items.empty()) return nullptr;
        return std::make_unique<Page>(node, path);
    }
};

}  // namespace

TEST(ConnectionControllerWalk, ControlWithoutRecordsEndsTheRefreshWalk)
{
    const fs::path folder = fs::temp_directory_path() / ("vexlor_ctl_walk_" + std::to_string(getpid()));
    fs::create_directories(folder);
    FakeSession session;
    ConnectionSettings settings;
    settings.lockCode = 1234;
    CTextViews views;
    views.lockCodeText = "1234";
    CTimerQueue timers;
    RecordlessTailPages pages;
    CConnectionController controller{session, settings,
                                     ControllerViews{views, views, views, views, views, pages, views}, timers};
    controller.SetWorkFolder(folder.string());
    auto post = [&](int id, std::uint32_t w, std::uint32_t l, ByteString data) {
        controller.HandleMessage({id, w, l, std::move(data)});
    };
    controller.ToggleConnection();
    post(msg::UM_CONNECTED, 0, 0, {});
    post(msg::UM_VERSION, 0, 0, {'1', '2', '3'});
    post(msg::UM_CONFIG, 0, 0, Description());
    post(msg::UM_PARAM_VALUE, 0, PackParamValue(1, 0, 0, 4), {});  // end marker
    post(msg::UM_PRESET_COUNT, 0, 0, {});
    post(msg::UM_STATUS, 0, 0, Status(255, 255, 255, 0));
    ASSERT_TRUE(controller.RefreshWalkRunning());
    session.Take();
    post(msg::UM_PARAM_VALUE, 0, PackParamValue(0, 1, 2, 24), {});
    EXPECT_FALSE(controller.RefreshWalkRunning());
    EXPECT_EQ(session.Take(), std::vector<std::string>{"Status on"});
    EXPECT_EQ(views.logLines.back(), "All Controls Updated");
    fs::remove_all(folder);
}
