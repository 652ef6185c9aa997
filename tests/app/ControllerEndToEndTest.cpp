// The controller with text views over the real session, UDP transport and
// simulator, all on 127.0.0.1.
#include "LiveRig.h"

#include "app/ControllerTexts.h"
#include "app/ModelTable.h"
#include "core/ModelCatalog.h"
#include "description/DescriptionParser.h"
#include "presets/PresetFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ControllerEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("vexlor_e2e_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string Folder() const { return folder_.string(); }

    static std::string ExpectedName(const ByteString& image)
    {
        return presets::ToUpperAscii(presets::PresetNameFromBytes(image));
    }

    fs::path folder_;
};

std::vector<std::string> Paths(const CPageTreeModel& tree)
{
    std::vector<std::string> paths;
    for (const auto& r : tree.Records()) paths.push_back(r.path);
    return paths;
}

}  // namespace

TEST_F(ControllerEndToEnd, EveryModelReachesReadyWithTheSimulatorsPagesValuesAndPresetNames)
{
    for (std::uint8_t code : vsim::KnownModelCodes()) {
        SCOPED_TRACE("model " + std::to_string(code));
        LiveRig rig(SimFor(code), Folder());
        ASSERT_TRUE(rig.SimStarted());
        ASSERT_TRUE(rig.ConnectToReady());
        EXPECT_TRUE(rig.Views().messages.empty());
        CConnectionController& c = rig.Controller();
        ASSERT_NE(c.Model(), nullptr);
        EXPECT_EQ(c.Model()->code, code);
        EXPECT_EQ(c.UserPresetCount(), rig.Device().GetModel().userPresets);
        EXPECT_FALSE(rig.Views().progressShown);
        EXPECT_TRUE(rig.Views().windowEnabled);

        // The pages of the description the simulator sends.
        DescriptionParser parser;
        parser.LoadFromMemory(rig.Device().Description());
        CPageTreeModel expected;
        expected.Fill(parser.Root());
        EXPECT_EQ(Paths(c.PageTree()), Paths(expected));
        EXPECT_FALSE(rig.Views().treeItems.empty());

        // Preset names as the simulator holds them.
        ASSERT_EQ(c.PresetRows().size(), rig.Device().GetModel().PresetCount());
        for (std::size_t i = 0; i < c.PresetRows().size(); ++i) {
            const auto image = rig.Device().PresetImage(static_cast<std::uint8_t>(i));
            ASSERT_TRUE(image);
            EXPECT_EQ(c.PresetRows()[i].name, ExpectedName(*image)) << i;
            EXPECT_EQ(rig.Views().rows[i].second, c.PresetRows()[i].name);
        }
        // No temporary preset file is left behind.
        for (const auto& entry : fs::directory_iterator(folder_))
            EXPECT_EQ(entry.path().extension(), ".bin") << entry.path();

        // Every page's values, as read by its refresh walk (live readings move).
        for (std::size_t p = 0; p < c.PageTree().Records().size(); ++p) {
            if (!c.PageTree().Records()[p].hasPage) continue;
            ASSERT_TRUE(rig.OpenAndWalk(p)) << p;
            auto* page = dynamic_cast<CTextPage*>(c.CurrentPage());
            ASSERT_NE(page, nullptr);
            EXPECT_TRUE(page->Visible());
            for (const auto& control : page->Controls()) {
                const ControlRecord& r = control->Records().front();
                if (r.a == vsim::kLiveGroup) continue;
                ASSERT_TRUE(control->Shown()) << r.name;
                EXPECT_EQ(*control->Shown(), rig.Device().ReadValue({r.a, r.b, r.c})) << r.name;
            }
        }
    }
}

TEST_F(ControllerEndToEnd, WrongLockCodeShowsIncorrectPassword)
{
    LiveRig rig(SimFor(1), Folder());
    rig.Settings().lockCode = 4321;
    rig.Views().lockCodeText = "4321";
    ASSERT_TRUE(rig.ConnectToFailure());
    ASSERT_EQ(rig.Views().messages.size(), 1u);
    EXPECT_EQ(rig.Views().messages[0].text, texts::kIncorrectPassword);
    EXPECT_EQ(rig.Views().title, "Remote V" + std::string(1, rig.Device().GetModel().version[0]) + "." +
                                      rig.Device().GetModel().version[1] + rig.Device().GetModel().version[2]);
}

TEST_F(ControllerEndToEnd, UnknownModelsShowIncorrectRemoteApplication)
{
    for (std::uint8_t code : vsim::UnknownModelCodes()) {
        LiveRig rig(SimFor(code), Folder());
        ASSERT_TRUE(rig.ConnectToFailure()) << int(code);
        ASSERT_EQ(rig.Views().messages.size(), 1u) << int(code);
        EXPECT_EQ(rig.Views().messages[0].text, texts::kIncorrectApplication);
    }
}

TEST_F(ControllerEndToEnd, SilentProcessorShowsNoResponse)
{
    vsim::SimOptions sim = SimFor(1);
    sim.silentAfterCommands = 0;
    LiveRig rig(sim, Folder());
    rig.Settings().replyTimeoutMs = 100;
    rig.Settings().tries = 3;
    ASSERT_TRUE(rig.ConnectToFailure());
    ASSERT_EQ(rig.Views().messages.size(), 1u);
    EXPECT_EQ(rig.Views().messages[0].text, texts::kNoResponse);
    EXPECT_EQ(rig.Views().connectElement, "BtnConnect");
}

TEST_F(ControllerEndToEnd, UnwritableFolderShowsPermissionsError)
{
    LiveRig rig(SimFor(1), (folder_ / "missing" / "deeper").string());
    ASSERT_TRUE(rig.ConnectToFailure());
    ASSERT_EQ(rig.Views().messages.size(), 1u);
    EXPECT_EQ(rig.Views().messages[0].text, texts::kPermissionsError);
}

TEST_F(ControllerEndToEnd, CompareLockDisablesExactlyTheGroupZeroControls)
{
    LiveRig rig(SimFor(1), Folder());
    ASSERT_TRUE(rig.ConnectToReady());
    CConnectionController& c = rig.Controller();
    rig.Controller().SelectA();  // A first, so B is a change
    rig.RunUntil([&] { return !c.RefreshWalkRunning(); });
    c.SelectB();
    ASSERT_TRUE(rig.RunUntil([&] { return !c.RefreshWalkRunning(); }));
    EXPECT_TRUE(rig.Views().bChecked);
    EXPECT_TRUE(c.CompareLock());
    std::size_t locked = 0, free = 0;
    for (std::size_t p = 0; p < c.PageTree().Records().size(); ++p) {
        if (!c.PageTree().Records()[p].hasPage) continue;
        ASSERT_TRUE(rig.OpenAndWalk(p));
        auto* page = dynamic_cast<CTextPage*>(c.CurrentPage());
        ASSERT_NE(page, nullptr);
        for (const auto& control : page->Controls()) {
            const bool groupZero = control->Records().front().a == 0;
            EXPECT_EQ(control->Enabled(), !groupZero) << control->Records().front().name;
            ++(groupZero ? locked : free);
        }
    }
    EXPECT_GT(locked, 0u);
    EXPECT_GT(free, 0u);
    c.SelectA();
    rig.RunUntil([&] { return !c.RefreshWalkRunning(); });
    EXPECT_FALSE(c.CompareLock());
    for (const auto& control : dynamic_cast<CTextPage*>(c.CurrentPage())->Controls())
        EXPECT_TRUE(control->Enabled());
}

TEST_F(ControllerEndToEnd, PresetSavedToFileAndLoadedIntoAnotherUserPresetArrivesByteIdentical)
{
    LiveRig rig(SimFor(12), Folder());
    ASSERT_TRUE(rig.ConnectToReady());
    CConnectionController& c = rig.Controller();
    const unsigned factory = c.UserPresetCount() + 2;  // F3
    const unsigned target = 1;                         // U2
    const std::string file = (folder_ / "station.pst").string();

    rig.presetData.clear();
    rig.Views().selectedRow = factory;
    rig.Views().fileToSave = file;
    c.HandleMessage({msg::UM_PRESET_COMMAND, factory, 4, {}});
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.presetData.empty(); }));
    const ByteString saved = presets::ReadPresetFile(file);
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved, *rig.Device().PresetImage(static_cast<std::uint8_t>(factory)));

    rig.presetData.clear();
    rig.Views().selectedRow = target;
    rig.Views().fileToLoad = file;
    c.HandleMessage({msg::UM_PRESET_COMMAND, target, 3, {}});
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.presetData.empty(); }, std::chrono::seconds(20)));
    EXPECT_EQ(rig.sent, std::vector<std::uint8_t>{static_cast<std::uint8_t>(target)});
    EXPECT_EQ(*rig.Device().PresetImage(static_cast<std::uint8_t>(target)), saved);
    EXPECT_EQ(rig.presetData.front().second, saved);  // the read-back
    EXPECT_EQ(c.PresetRows()[target].name, c.PresetRows()[factory].name);
    EXPECT_EQ(rig.Views().rows[target].second, c.PresetRows()[factory].name);
}

TEST_F(ControllerEndToEnd, LoadRereadsTheVisibilityDriversAndReopensThePage)
{
    LiveRig rig(SimFor(1), Folder());
    ASSERT_TRUE(rig.ConnectToReady());
    CConnectionController& c = rig.Controller();
    const auto drivers = c.VisibilityDrivers();
    ASSERT_FALSE(drivers.empty());
    const std::size_t built = rig.Views().pagesBuilt;
    const std::size_t page = c.CurrentPageIndex();
    rig.params.clear();

    rig.Views().selectedRow = 3;
    c.HandleMessage({msg::UM_PRESET_COMMAND, 3, 0, {}});
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.loaded.empty(); }));
    EXPECT_EQ(rig.loaded.front(), 3);
    ASSERT_TRUE(rig.RunUntil([&] {
        return rig.Views().pagesBuilt > built && !c.RefreshWalkRunning() && !c.FullReadRunning();
    })) << rig.Views().pagesBuilt << " " << built << " " << c.RefreshWalkRunning() << c.FullReadRunning() << " "
        << rig.statuses;
    // Every driver was read again, in order, before the page came back.
    std::size_t next = 0;
    for (const auto& p : rig.params)
        if (next < drivers.size() && p[0] == drivers[next].address.a && p[1] == drivers[next].address.b &&
            p[2] == drivers[next].address.c)
            ++next;
    EXPECT_EQ(next, drivers.size());
    EXPECT_EQ(c.StatusNow().current, 3);
    const PageTreeRecord* record = c.PageTree().Record(page);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(c.CurrentPageIndex(), record->hidden ? c.PageTree().Substitute(page) : page);
    EXPECT_TRUE(dynamic_cast<CTextPage*>(c.CurrentPage())->Visible());
}
