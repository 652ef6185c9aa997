// The controller with text views over the real session, UDP transport and
// simulator, all on 127.0.0.1.
#include "LiveRig.h"
#include "support/SimLog.h"

#include "app/ControllerTexts.h"
#include "app/ModelTable.h"
#include "core/ModelCatalog.h"
#include "description/DescriptionParser.h"
#include "description/ParamText.h"
#include "presets/PresetFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

namespace {

// The parameter writes the simulator received, as address and value.
std::vector<std::array<std::uint8_t, 4>> WritesSeen(const LiveRig& rig)
{
    return ParamWrites(rig.SimLog());
}

// The first slider of the open page, for the tests to drag.
std::optional<ControlRecord> FirstSlider(CConnectionController& c, bool groupZero = false)
{
    auto* page = dynamic_cast<CTextPage*>(c.CurrentPage());
    if (!page) return std::nullopt;
    for (const auto& control : page->Controls()) {
        const ControlRecord& r = control->Records().front();
        if (r.controlStyle == ControlStyle::Slider && (r.a == 0) == groupZero) return r;
    }
    return std::nullopt;
}

// Keeps the steps as the window's undo stack would.
struct StepKeeper : IUndoView {
    void PushStep(const UndoStep& step) override { steps.push_back(step); }
    void ClearSteps() override { ++clears, steps.clear(); }
    void DropStep(std::uint64_t id) override { dropped.push_back(id); }
    std::vector<UndoStep> steps;
    std::vector<std::uint64_t> dropped;
    int clears = 0;
};

}  // namespace

TEST_F(ControllerEndToEnd, ChangeHistoryFollowsTheWritesThatReachedTheSimulatorAndTheFrontPanel)
{
    LiveRig rig(SimFor(1), Folder());
    ASSERT_TRUE(rig.ConnectToReady());
    CConnectionController& c = rig.Controller();
    const auto slider = FirstSlider(c);
    ASSERT_TRUE(slider);
    const ControlRecord r = *slider;
    const std::uint8_t start = rig.Device().ReadValue({r.a, r.b, r.c});
    const std::uint8_t values[3] = {std::uint8_t(start ^ 1), std::uint8_t(start ^ 3), std::uint8_t(start ^ 2)};
    for (std::uint8_t v : values) c.WriteParameter(r.a, r.b, r.c, v, false);
    c.WriteParameter(r.a, r.b, r.c, values[2], false);  // the same value again is no change
    ASSERT_TRUE(rig.RunUntil([&] { return WritesSeen(rig).size() == 4; }));

    ASSERT_TRUE(rig.Device().FrontPanelWrite({r.a, r.b, r.c}, start));
    ASSERT_TRUE(rig.OpenAndWalk(c.CurrentPageIndex()));

    const auto writes = WritesSeen(rig);
    const auto& lines = c.Changes().Lines();
    ASSERT_EQ(lines.size(), 4u);
    const std::vector<std::string> choices;
    std::uint8_t before = start;
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].origin, ChangeOrigin::Operator);
        EXPECT_EQ((std::array<std::uint8_t, 4>{lines[i].a, lines[i].b, lines[i].c, lines[i].newValue}), writes[i]);
        EXPECT_EQ(lines[i].oldValue, before);
        EXPECT_EQ(lines[i].oldText, ParamText(r, before, choices));
        EXPECT_EQ(lines[i].newText, ParamText(r, writes[i][3], choices));
        EXPECT_EQ(lines[i].caption, r.name);
        EXPECT_EQ(lines[i].page, c.PageTree().Records()[c.CurrentPageIndex()].path);
        before = writes[i][3];
    }
    EXPECT_EQ(lines[3].origin, ChangeOrigin::Processor);
    EXPECT_EQ(lines[3].oldValue, values[2]);
    EXPECT_EQ(lines[3].newValue, start);
    const auto& log = rig.Views().logLines;
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& l) {
        return l.find("Change: " + ChangeLineText(lines[3])) != std::string::npos;
    }));

    // The next connection starts a history of its own.
    c.ToggleConnection();  // the operator's Disconnect: a lost link would reconnect instead
    ASSERT_TRUE(rig.RunUntil([&] { return c.State() == ConnectionState::Disconnected; }));
    EXPECT_EQ(c.Changes().Lines().size(), 4u);
    c.ToggleConnection();
    EXPECT_TRUE(c.Changes().Lines().empty());
    rig.RunUntil([&] { return c.State() == ConnectionState::Ready; });
}

// A connected rig whose undo steps a keeper collects.
class UndoEndToEnd : public ControllerEndToEnd {
protected:
    void SetUp() override
    {
        ControllerEndToEnd::SetUp();
        rig_ = std::make_unique<LiveRig>(SimFor(1), Folder());
        rig_->Controller().SetUndoView(&keeper_);
        ASSERT_TRUE(rig_->ConnectToReady());
        const auto slider = FirstSlider(rig_->Controller());
        ASSERT_TRUE(slider);
        r_ = *slider;
        at_ = {r_.a, r_.b, r_.c};
        start_ = rig_->Device().ReadValue(at_);
    }
    void TearDown() override
    {
        rig_.reset();
        ControllerEndToEnd::TearDown();
    }
    CConnectionController& Controller() { return rig_->Controller(); }

    StepKeeper keeper_;
    std::unique_ptr<LiveRig> rig_;
    // The first slider of the first page, where it was and what it held.
    ControlRecord r_;
    vsim::Address at_;
    std::uint8_t start_ = 0;
};

// A drag, undone and redone: each writes exactly one value, and the history
// says who wrote it.
TEST_F(UndoEndToEnd, UndoOfADragWritesThePreDragValueOnceAndRedoThePostDragValue)
{
    CConnectionController& c = Controller();
    const std::uint8_t dragged = start_ ^ 2;
    c.HoldGesture(true);
    for (std::uint8_t v : {std::uint8_t(start_ ^ 1), std::uint8_t(start_ ^ 3), dragged})
        c.WriteParameter(r_.a, r_.b, r_.c, v, false);
    c.HoldGesture(false);
    ASSERT_EQ(keeper_.steps.size(), 1u);
    const UndoStep step = keeper_.steps[0];
    EXPECT_EQ(step.before, start_);
    EXPECT_EQ(step.after, dragged);
    EXPECT_EQ(step.caption, r_.name);
    ASSERT_TRUE(rig_->RunUntil([&] { return WritesSeen(*rig_).size() == 3; }));

    // Another page is open when the operator undoes: the step's page comes back.
    const std::size_t dragPage = c.CurrentPageIndex();
    std::size_t other = dragPage;
    for (std::size_t p = 0; p < c.PageTree().Records().size() && other == dragPage; ++p)
        if (p != dragPage && c.PageTree().Records()[p].hasPage) other = p;
    ASSERT_TRUE(rig_->OpenAndWalk(other));
    EXPECT_TRUE(c.UndoRefusal(step).empty());
    c.Undo(step);
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->Device().ReadValue(at_) == start_; }));
    ASSERT_TRUE(rig_->RunUntil([&] { return !c.RefreshWalkRunning() && c.CurrentPageIndex() == dragPage; }));
    auto writes = WritesSeen(*rig_);
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[3], (std::array<std::uint8_t, 4>{r_.a, r_.b, r_.c, start_}));
    EXPECT_EQ(c.Changes().Lines().back().origin, ChangeOrigin::Undo);

    c.Redo(step);
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->Device().ReadValue(at_) == dragged; }));
    ASSERT_TRUE(rig_->OpenAndWalk(c.CurrentPageIndex()));
    writes = WritesSeen(*rig_);
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_EQ(writes[4][3], dragged);
    EXPECT_EQ(c.Changes().Lines().back().origin, ChangeOrigin::Redo);
    EXPECT_TRUE(keeper_.dropped.empty());
}

// A change on the processor after the drag wins: the undo writes nothing.
TEST_F(UndoEndToEnd, FrontPanelChangeBetweenDragAndUndoDropsTheStep)
{
    CConnectionController& c = Controller();
    c.WriteParameter(r_.a, r_.b, r_.c, start_ ^ 1, false);
    c.FinishGesture();
    ASSERT_EQ(keeper_.steps.size(), 1u);
    ASSERT_TRUE(rig_->RunUntil([&] { return WritesSeen(*rig_).size() == 1; }));
    ASSERT_TRUE(rig_->Device().FrontPanelWrite(at_, start_ ^ 4));
    c.Undo(keeper_.steps[0]);
    ASSERT_TRUE(rig_->RunUntil([&] { return !keeper_.dropped.empty(); }));
    EXPECT_EQ(keeper_.dropped[0], keeper_.steps[0].id);
    ASSERT_TRUE(rig_->OpenAndWalk(c.CurrentPageIndex()));
    EXPECT_EQ(WritesSeen(*rig_).size(), 1u);
    EXPECT_EQ(rig_->Device().ReadValue(at_), start_ ^ 4);
    EXPECT_EQ(c.Changes().Lines().back().origin, ChangeOrigin::Processor);
}

// While B is compared, the group that B shows is never written by undo; and
// A/B, preset load and a new connection each clear the steps.
TEST_F(UndoEndToEnd, UndoIsRefusedOnCompareLockedParametersAndStepsGoWithAB)
{
    LiveRig& rig = *rig_;
    StepKeeper& keeper = keeper_;
    EXPECT_GE(keeper.clears, 1);
    CConnectionController& c = Controller();
    std::optional<ControlRecord> locked;
    for (std::size_t p = 0; p < c.PageTree().Records().size() && !locked; ++p) {
        if (!c.PageTree().Records()[p].hasPage) continue;
        ASSERT_TRUE(rig.OpenAndWalk(p));
        locked = FirstSlider(c, true);
    }
    ASSERT_TRUE(locked);
    const vsim::Address at{locked->a, locked->b, locked->c};
    const std::uint8_t start = rig.Device().ReadValue(at);
    c.WriteParameter(locked->a, locked->b, locked->c, start ^ 1, false);
    c.FinishGesture();
    ASSERT_EQ(keeper.steps.size(), 1u);
    const UndoStep step = keeper.steps[0];
    ASSERT_TRUE(rig.RunUntil([&] { return WritesSeen(rig).size() == 1; }));

    c.SelectA();
    rig.RunUntil([&] { return !c.RefreshWalkRunning(); });
    const int clears = keeper.clears;
    c.SelectB();
    ASSERT_TRUE(rig.RunUntil([&] { return !c.RefreshWalkRunning(); }));
    ASSERT_TRUE(c.CompareLock());
    EXPECT_GT(keeper.clears, clears);
    EXPECT_TRUE(keeper.steps.empty());
    EXPECT_FALSE(c.UndoRefusal(step).empty());
    c.Undo(step);
    ASSERT_TRUE(rig.OpenAndWalk(c.CurrentPageIndex()));
    EXPECT_EQ(WritesSeen(rig).size(), 1u);
}
