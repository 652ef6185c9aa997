// The whole program in one process: the real main window with its skin, the
// real session and transports, and the simulator on 127.0.0.1 (UDP) or behind
// a pseudo-terminal; the operator's clicks go through the window's buttons.
#include "SimServer.h"
#include "agent/Agent.h"
#include "ChildProcess.h"
#include "app/ui/DebugWindow.h"
#include "app/ui/ParamUndoStack.h"
#include "app/ui/LinkStatusLine.h"
#include "app/PageTreeModel.h"
#include "app/ui/VexlorDlg.h"
#include "description/DescriptionTree.h"
#include "description/ui/ParamPage.h"
#include "description/ui/ParamSlider.h"
#include "meters/ui/LedMeter.h"
#include "presets/PresetFile.h"
#include "presets/ui/PresetListView.h"
#include "settings/ConnectionSettings.h"
#include "settings/RegistrySettings.h"
#include "settings/ui/SettingsPanel.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinButtonGroup.h"
#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinScrollButton.h"
#include "skin/ui/SkinTree.h"
#include "support/ShippedSkin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

constexpr int kLock = 1234;

bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit.count()) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void Click(QWidget* widget, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, keys, widget->rect().center());
}

// A message box the test did not expect would wait for an operator forever:
// note its text and close it, so the test fails instead of hanging.
class MessageBoxWatch {
public:
    MessageBoxWatch()
    {
        timer_.callOnTimeout([this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (!box || !box->isVisible()) continue;
                texts.push_back(box->text().toStdString());
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start(50);
    }
    std::vector<std::string> texts;

private:
    QTimer timer_;
};

ByteString FileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return ByteString(std::istreambuf_iterator<char>(in), {});
}

class Walks : public IControllerObserver {
public:
    void OnRefreshWalkDone() override { ++count; }
    void OnStatus(const ByteString&) override { ++statuses; }
    std::size_t count = 0;
    std::size_t statuses = 0;
};

enum class Link { Udp, Serial };

class MainWindowTest : public ::testing::TestWithParam<Link> {
protected:
    // The stored settings of these tests live in a folder of their own.
    static fs::path ConfigFolder() { return fs::temp_directory_path() / ("vexlor-window-" + std::to_string(getpid())); }
    static void SetUpTestSuite() { setenv("XDG_CONFIG_HOME", ConfigFolder().c_str(), 1); }
    static void TearDownTestSuite() { fs::remove_all(ConfigFolder()); }

    void SetUp() override
    {
        ASSERT_TRUE(CShippedSkin::Get().Loaded());
        folder_ = fs::temp_directory_path() / ("vexlor-window-work-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        vsim::SimOptions options;
        options.model = 12;
        options.port = 0;
        options.lock = kLock;
        options.udp = GetParam() == Link::Udp;
        options.serial = GetParam() == Link::Serial;
        sim_ = std::make_unique<vsim::SimServer>(options);
        std::string why;
        ASSERT_TRUE(sim_->Start(&why)) << why;

        OpenWindow(GetParam(), sim_->UdpPort());
    }

    // A window whose settings panel shows at start the simulator (or another
    // processor on `udpPort`), never the default host.
    void OpenWindow(Link link, std::uint16_t udpPort)
    {
        window_.reset();
        stored_.host = std::string("127.0.0.1");
        stored_.port = udpPort;
        stored_.lockCode = kLock;
        stored_.portName = link == Link::Udp ? std::string("TCP") : sim_->SerialPath();
        std::vector<std::string> serialPorts;
        if (link == Link::Serial) serialPorts.push_back(sim_->SerialPath());
        window_ = std::make_unique<CVexlorDlg>(CShippedSkin::Get().Manager(), settings_, stored_, serialPorts);
        window_->SetWorkFolder(folder_.string());
        window_->Controller().SetObserver(&walks_);
        window_->show();
    }

    void TearDown() override
    {
        EXPECT_TRUE(messages_.texts.empty()) << messages_.texts.front();
        window_.reset();
        if (sim_) sim_->Stop();
        fs::remove_all(folder_);
    }

    template <typename T>
    T* Child(const char* name) const
    {
        return window_->findChild<T*>(name);
    }
    CSkinButton* Button(const char* name) const { return Child<CSkinButton>(name); }
    CSkinTree* Tree() const { return Child<CSkinTree>("Tree"); }
    CPresetListView* List() const { return Child<CPresetListView>("List"); }
    CSettingsPanel* Panel() const { return window_->findChild<CSettingsPanel*>(); }
    CParamPage* Page() const
    {
        for (CParamPage* page : window_->findChildren<CParamPage*>())
            if (page->isVisible()) return page;
        return nullptr;
    }
    ConnectionState State() const { return window_->Controller().State(); }

    bool ConnectToReady()
    {
        Click(Button("BtnConnect"));
        return RunUntil([&] {
            return State() == ConnectionState::Disconnected ||
                   (State() == ConnectionState::Ready && !window_->Controller().RefreshWalkRunning() && Page());
        }) && State() == ConnectionState::Ready;
    }

    // Selects the item as a click would and waits for its page to be read.
    bool Select(QTreeWidgetItem* item)
    {
        // Clicking the selected item changes nothing.
        if (Tree()->currentItem() == item) return true;
        const std::size_t before = walks_.count;
        Tree()->setCurrentItem(item);
        return RunUntil([&] { return walks_.count > before && !window_->Controller().RefreshWalkRunning(); });
    }

    // The first enabled slider, on the open page or the first page after it in the tree that has one.
    CParamSlider* FirstEnabledSlider()
    {
        CParamSlider* slider = Page()->findChild<CParamSlider*>();
        for (QTreeWidgetItem* item : TreeItems()) {
            if (slider && slider->isEnabled()) return slider;
            if (!Select(item)) return nullptr;
            slider = Page()->findChild<CParamSlider*>();
        }
        return slider && slider->isEnabled() ? slider : nullptr;
    }

    std::vector<QTreeWidgetItem*> TreeItems() const
    {
        std::vector<QTreeWidgetItem*> items;
        for (QTreeWidgetItemIterator it(Tree()); *it; ++it) items.push_back(*it);
        return items;
    }

    bool PresetButtonsEnabled(bool enabled)
    {
        for (const char* name : {"PresetIconLoad", "PresetIconSave", "PresetIconRename", "PresetIconLoadFile",
                                 "PresetIconSaveFile"})
            if (Button(name)->isEnabled() != enabled) return false;
        return true;
    }

    // The window's children that take Tab, in tab order from the window on.
    std::vector<QWidget*> TabOrder() const
    {
        std::vector<QWidget*> order;
        for (QWidget* w = window_->nextInFocusChain(); w != window_.get(); w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus) order.push_back(w);
        return order;
    }
    // The preset list and its buttons, whenever made, sit where they were
    // made with the window: the buttons first in tab and stacking order, the
    // list after the tree and under the scroll buttons, the shield above all.
    void ExpectPresetViewInItsPlaces() const
    {
        const std::vector<QWidget*> tabs = TabOrder();
        auto tab = [&](const char* name) { return std::find(tabs.begin(), tabs.end(), Child<QWidget>(name)) - tabs.begin(); };
        const QObjectList& stack = window_->children();
        auto layer = [&](const char* name) { return stack.indexOf(Child<QWidget>(name)); };
        const char* order[] = {"PresetIconLoad", "PresetIconSave", "PresetIconRename", "PresetIconLoadFile",
                               "PresetIconSaveFile", "BtnConnect"};
        for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
            EXPECT_EQ(tab(order[i]) + 1, tab(order[i + 1])) << order[i];
            EXPECT_LT(layer(order[i]), layer(order[i + 1])) << order[i];
        }
        // Before them only what Tab never reaches.
        EXPECT_TRUE(std::all_of(tabs.begin(), tabs.begin() + tab("PresetIconLoad"), [](QWidget* w) { return w->isHidden(); }));
        ExpectPageViewsInTheirPlaces();
        EXPECT_LT(tab("List"), tab("InputShield"));
        EXPECT_LT(layer("List"), layer("InputShield"));
    }
    // The tree and the list, whichever are made, sit one after the other
    // between the view switches and the scroll buttons in tab order, and
    // between the meter and the scroll buttons in stacking order.
    void ExpectPageViewsInTheirPlaces() const
    {
        const std::vector<QWidget*> tabs = TabOrder();
        const QObjectList& stack = window_->children();
        std::vector<const char*> order{"Tree", "List", "BtnScrollUp"};
        order.erase(std::remove_if(order.begin(), order.end(), [&](const char* name) { return !Child<QWidget>(name); }),
                    order.end());
        const char* tabBefore = "BtnPresets";
        const char* layerBefore = "Leds";
        for (const char* name : order) {
            auto* widget = Child<QWidget>(name);
            EXPECT_EQ(std::find(tabs.begin(), tabs.end(), Child<QWidget>(tabBefore)) + 1,
                      std::find(tabs.begin(), tabs.end(), widget)) << tabBefore << " then " << name;
            EXPECT_EQ(stack.indexOf(Child<QWidget>(layerBefore)) + 1, stack.indexOf(widget))
                << layerBefore << " under " << name;
            tabBefore = layerBefore = name;
        }
    }

    bool AddressGroupZeroEnabled(bool enabled) const
    {
        for (IBoundControl* control : window_->Controller().CurrentPage()->BoundControls())
            if (!control->Records().empty() && control->Records().front().a == 0 &&
                dynamic_cast<QWidget*>(control)->isEnabled() != enabled)
                return false;
        return true;
    }

    fs::path folder_;
    std::unique_ptr<vsim::SimServer> sim_;
    CRegistrySettings stored_;
    ConnectionSettings settings_;
    Walks walks_;
    MessageBoxWatch messages_;
    std::unique_ptr<CVexlorDlg> window_;
};

}  // namespace

TEST_P(MainWindowTest, StartsDisconnectedAndSwitchesViewsMinimisesOrOpensTheDebugWindow)
{
    EXPECT_TRUE(Panel()->isVisible());
    EXPECT_EQ(Panel()->geometry().topLeft(), window_->PageArea().topLeft());
    EXPECT_TRUE(Button("BtnMenu")->IsStuck());
    EXPECT_FALSE(Button("BtnA")->isEnabled());
    EXPECT_FALSE(Button("BtnB")->isEnabled());
    EXPECT_EQ(Button("BtnConnect")->text(), "Connect");
    EXPECT_EQ(ControlId(Button("BtnConnect")), dlgid::kConnect);
    EXPECT_FALSE(window_->mask().contains(QPoint(0, 0)));  // the corners are cut out

    // What the first picture does not show is made when first needed: the
    // tree, empty and disabled until connected, shows nothing either.
    EXPECT_EQ(Tree(), nullptr);
    EXPECT_EQ(List(), nullptr);
    EXPECT_EQ(Button("PresetIconLoad"), nullptr);
    auto debugWindows = [] {
        const auto all = QApplication::topLevelWidgets();
        return std::count_if(all.begin(), all.end(), [](QWidget* w) { return w->objectName() == "Debug"; });
    };
    EXPECT_EQ(debugWindows(), 0);

    auto* up = Child<CSkinScrollButton>("BtnScrollUp");
    auto* down = Child<CSkinScrollButton>("BtnScrollDown");
    Click(Button("BtnPresets"));
    EXPECT_FALSE(Button("BtnMenu")->IsStuck());
    ASSERT_NE(List(), nullptr);
    EXPECT_TRUE(List()->isVisible());
    EXPECT_FALSE(List()->isEnabled());
    EXPECT_TRUE(PresetButtonsEnabled(false));
    ExpectPresetViewInItsPlaces();
    EXPECT_EQ(Tree(), nullptr);
    for (const char* name : {"PresetIconLoad", "PresetIconSave", "PresetIconRename", "PresetIconLoadFile",
                             "PresetIconSaveFile"})
        EXPECT_TRUE(Button(name)->isVisible()) << name;
    EXPECT_EQ(up->Target(), List());
    EXPECT_EQ(down->Target(), List());
    EXPECT_EQ(down->GetDirection(), CSkinScrollButton::Direction::LineDown);
    Click(Button("BtnMenu"));
    EXPECT_FALSE(Button("BtnPresets")->IsStuck());
    EXPECT_FALSE(List()->isVisible());
    EXPECT_FALSE(Button("PresetIconLoad")->isVisible());
    EXPECT_EQ(Tree(), nullptr);
    EXPECT_EQ(up->Target(), nullptr);

    // The controller's first call makes the tree as it was made with the
    // window: shown with the page view, disabled, scrolled by the buttons,
    // and changing no pixel of the window.
    const QImage withoutTree = window_->grab().toImage();
    window_->Clear();
    ASSERT_NE(Tree(), nullptr);
    EXPECT_TRUE(Tree()->isVisible());
    EXPECT_FALSE(Tree()->isEnabled());
    ExpectPageViewsInTheirPlaces();
    EXPECT_EQ(up->Target(), Tree());
    EXPECT_EQ(down->Target(), Tree());
    EXPECT_EQ(window_->grab().toImage(), withoutTree);
    Click(Button("BtnPresets"));
    EXPECT_FALSE(Tree()->isVisible());
    Click(Button("BtnMenu"));
    EXPECT_TRUE(Tree()->isVisible());

    // Ctrl or Alt alone only minimises; both together open the debug window.
    for (const Qt::KeyboardModifier alone : {Qt::ControlModifier, Qt::AltModifier}) {
        Click(Button("BtnMinimize"), alone);
        EXPECT_EQ(debugWindows(), 0);
        EXPECT_TRUE(window_->isMinimized());
        window_->showNormal();
    }
    Click(Button("BtnMinimize"), Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(debugWindows(), 1);
    EXPECT_TRUE(window_->DebugWindow().isVisible());
    EXPECT_FALSE(window_->isMinimized());
    window_->AddLine("recorded while open");
    EXPECT_EQ(window_->DebugWindow().Store().Count(), 1u);
    Click(Button("BtnMinimize"));
    EXPECT_TRUE(window_->isMinimized());
}

TEST_P(MainWindowTest, ConnectsOpensEveryPageWritesASliderComparesAndDisconnects)
{
    Click(Button("BtnConnect"));
    // The progress window stands centred over the page area while connecting.
    QWidget* progress = window_->ProgressWindow();
    ASSERT_NE(progress, nullptr);
    const QRect area(window_->mapToGlobal(window_->PageArea().topLeft()), window_->PageArea().size());
    EXPECT_LE((progress->geometry().center() - area.center()).manhattanLength(), 2);
    ASSERT_TRUE(RunUntil([&] {
        return State() == ConnectionState::Disconnected ||
               (State() == ConnectionState::Ready && !window_->Controller().RefreshWalkRunning() && Page());
    }));
    ASSERT_EQ(State(), ConnectionState::Ready);
    EXPECT_EQ(window_->ProgressWindow(), nullptr);
    // The first start made a profile of the settings, named after the host.
    EXPECT_TRUE(window_->windowTitle().startsWith("127.0.0.1 - Remote V"))
        << window_->windowTitle().toStdString();
    EXPECT_EQ(Button("BtnConnect")->Element(), "BtnDisconnect");
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_TRUE(Tree()->isEnabled());
    EXPECT_TRUE(PresetButtonsEnabled(true));

    // Meters alive: what the panel shows changes from one moment to the next.
    auto* meter = Child<CLedMeter>("Leds");
    const QImage before = meter->grab().toImage();
    const std::size_t statuses = walks_.statuses;
    EXPECT_TRUE(RunUntil([&] { return meter->grab().toImage() != before; }, 5s)) << walks_.statuses - statuses << " status reports";

    // Every item of the tree opens a page; a group without its own opens its first child.
    const auto items = TreeItems();
    ASSERT_GT(items.size(), 5u);
    for (QTreeWidgetItem* item : items) {
        ASSERT_TRUE(Select(item)) << item->text(0).toStdString();
        const bool group = !item->data(0, Qt::UserRole + 1).toBool() && item->childCount() > 0;
        EXPECT_EQ(Tree()->currentItem(), group ? item->child(0) : item) << item->text(0).toStdString();
        ASSERT_NE(Page(), nullptr) << item->text(0).toStdString();
        EXPECT_EQ(Page()->geometry().topLeft(), window_->PageArea().topLeft());
    }

    // A slider moved with the keyboard writes its value to the processor.
    CParamSlider* slider = nullptr;
    for (QTreeWidgetItem* item : items) {
        ASSERT_TRUE(Select(item));
        if ((slider = Page()->findChild<CParamSlider*>()) && slider->isEnabled()) break;
    }
    ASSERT_NE(slider, nullptr);
    const ControlRecord record = slider->Records().front();
    slider->setFocus();
    const std::uint8_t was = slider->Raw();
    QTest::keyClick(slider, slider->value() == slider->maximum() ? Qt::Key_Down : Qt::Key_Up);
    ASSERT_NE(slider->Raw(), was);
    const std::uint8_t raw = slider->Raw();
    EXPECT_TRUE(RunUntil([&] { return sim_->Device().ReadValue({record.a, record.b, record.c}) == raw; }));

    // While the window is disabled, keys reach no control; then the slider has them again.
    QApplication::setActiveWindow(window_.get());
    slider->setFocus();
    window_->EnableWindow(false);
    EXPECT_NE(QApplication::focusWidget(), slider);
    window_->EnableWindow(true);
    EXPECT_EQ(QApplication::focusWidget(), slider);

    // The edit lights A and B; B compares, locking the controls of address group 0.
    ASSERT_TRUE(RunUntil([&] { return Button("BtnB")->isEnabled(); }));
    Click(Button("BtnB"));
    EXPECT_TRUE(RunUntil([&] { return !window_->Controller().RefreshWalkRunning(); }));
    EXPECT_TRUE(Button("BtnB")->IsStuck());
    EXPECT_FALSE(Button("BtnA")->IsStuck());
    EXPECT_TRUE(window_->Controller().CompareLock());
    EXPECT_TRUE(AddressGroupZeroEnabled(false));
    EXPECT_TRUE(RunUntil([&] { return sim_->Device().Flags().compare; }));
    Click(Button("BtnA"));
    EXPECT_TRUE(Button("BtnA")->IsStuck());
    EXPECT_FALSE(Button("BtnB")->IsStuck());
    EXPECT_FALSE(window_->Controller().CompareLock());
    EXPECT_TRUE(AddressGroupZeroEnabled(true));

    Click(Button("BtnConnect"));
    ASSERT_TRUE(RunUntil([&] { return State() == ConnectionState::Disconnected; }));
    EXPECT_TRUE(Panel()->isVisible());
    EXPECT_FALSE(Tree()->isEnabled());
    EXPECT_TRUE(PresetButtonsEnabled(false));
    EXPECT_EQ(Button("BtnConnect")->Element(), "BtnConnect");
    EXPECT_EQ(Page(), nullptr);
}

// The window connects to vexlor-agent as to a processor, over UDP whichever way
// the agent reaches the simulator, and shares the agent's one link with
// vexlor-cli: each sees what the other wrote.
TEST_P(MainWindowTest, ThroughTheAgentTheWindowAndVexlorCliSeeEachOthersWrites)
{
    AgentConfig config;
    config.metricsPort = 0;
    ProcessorConfig p;
    p.name = "studio";
    if (GetParam() == Link::Udp) {
        p.link.host = "127.0.0.1";
        p.link.portNumber = sim_->UdpPort();
    } else {
        p.link.transportIndex = 1;
        p.link.portName = sim_->SerialPath();
        p.link.dataBits = 3;
    }
    p.link.lockCode = p.listenLockCode = kLock;
    p.listen = true;
    config.processors.push_back(p);
    CAgent agent(config);
    std::string why;
    ASSERT_TRUE(agent.Start(&why)) << why;
    ASSERT_TRUE(RunUntil([&] { return agent.MetricsText().find("vexlor_up{processor=\"studio\"} 1") != std::string::npos; },
                         60s));
    const std::string port = std::to_string(agent.ListenPort(0));
    OpenWindow(Link::Udp, agent.ListenPort(0));
    ASSERT_TRUE(ConnectToReady());
    auto cli = [&](std::vector<std::string> command) {
        std::vector<std::string> args{"--port", port, "--lock", std::to_string(kLock), "--timeout", "60"};
        args.insert(args.end(), command.begin(), command.end());
        return RunProgram(VEXLOR_CLI_PATH, args, 120s, folder_.string());
    };

    // A slider of the window moved by keyboard: vexlor-cli reads the new value.
    QTreeWidgetItem* sliderItem = nullptr;
    CParamSlider* slider = nullptr;
    for (QTreeWidgetItem* item : TreeItems()) {
        ASSERT_TRUE(Select(item));
        if ((slider = Page()->findChild<CParamSlider*>()) && slider->isEnabled()) {
            sliderItem = Tree()->currentItem();
            break;
        }
    }
    ASSERT_NE(slider, nullptr);
    const ControlRecord record = slider->Records().front();
    const std::vector<std::string> address{std::to_string(record.a), std::to_string(record.b), std::to_string(record.c)};
    slider->setFocus();
    const std::uint8_t other = slider->Raw();
    QTest::keyClick(slider, slider->value() == slider->maximum() ? Qt::Key_Down : Qt::Key_Up);
    const std::uint8_t raw = slider->Raw();
    ASSERT_NE(raw, other);
    ASSERT_TRUE(RunUntil([&] { return sim_->Device().ReadValue({record.a, record.b, record.c}) == raw; }));
    RunResult got = cli({"--json", "get", address[0], address[1], address[2]});
    ASSERT_EQ(got.exitCode, 0) << got.err;
    EXPECT_NE(got.out.find("\"value\":" + std::to_string(raw)), std::string::npos) << got.out;

    // vexlor-cli writes the slider's earlier value back: the window's page,
    // read again as the operator opens it, shows it.
    RunResult set = cli({"set", address[0], address[1], address[2], std::to_string(other)});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(sim_->Device().ReadValue({record.a, record.b, record.c}), other);
    for (QTreeWidgetItem* item : TreeItems())
        if (item != sliderItem && item->data(0, Qt::UserRole + 1).toBool()) {
            ASSERT_TRUE(Select(item));
            break;
        }
    ASSERT_TRUE(Select(sliderItem));
    EXPECT_EQ(Page()->findChild<CParamSlider*>()->Raw(), other);

    Click(Button("BtnConnect"));
    ASSERT_TRUE(RunUntil([&] { return State() == ConnectionState::Disconnected; }));
    window_.reset();
    agent.Stop();
}

// Ctrl+Z takes a slider's change back on the processor, Ctrl+Y and
// Ctrl+Shift+Z bring it again; the entries are off when there is nothing to do.
TEST_P(MainWindowTest, CtrlZUndoesASliderGestureAndCtrlYRedoesIt)
{
    ASSERT_TRUE(ConnectToReady());
    CParamUndoStack& undo = window_->UndoStack();
    EXPECT_FALSE(undo.UndoAction().isEnabled());
    CParamSlider* slider = FirstEnabledSlider();
    ASSERT_NE(slider, nullptr);
    const ControlRecord record = slider->Records().front();
    const vsim::Address at{record.a, record.b, record.c};
    QApplication::setActiveWindow(window_.get());
    slider->setFocus();
    const std::uint8_t was = slider->Raw();
    const Qt::Key key = slider->value() == slider->maximum() ? Qt::Key_Down : Qt::Key_Up;
    QTest::keyClick(slider, key);
    QTest::keyClick(slider, key);  // one burst, one step
    const std::uint8_t moved = slider->Raw();
    ASSERT_NE(moved, was);
    ASSERT_TRUE(RunUntil([&] { return sim_->Device().ReadValue(at) == moved; }));
    ASSERT_TRUE(RunUntil([&] { return undo.UndoAction().isEnabled(); }));
    EXPECT_EQ(undo.Stack().count(), 1);

    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(RunUntil([&] { return sim_->Device().ReadValue(at) == was && slider->Raw() == was; }));
    EXPECT_FALSE(undo.UndoAction().isEnabled());
    EXPECT_TRUE(undo.RedoAction().isEnabled());
    QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
    ASSERT_TRUE(RunUntil([&] { return sim_->Device().ReadValue(at) == moved; }));
    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(RunUntil([&] { return sim_->Device().ReadValue(at) == was; }));
    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(RunUntil([&] { return sim_->Device().ReadValue(at) == moved; }));

    // A new connection starts with nothing to undo.
    Click(Button("BtnConnect"));
    ASSERT_TRUE(RunUntil([&] { return State() == ConnectionState::Disconnected; }));
    EXPECT_EQ(undo.Stack().count(), 0);
    EXPECT_FALSE(undo.UndoAction().isEnabled());
    EXPECT_FALSE(undo.RedoAction().isEnabled());
}

// The controller fills the preset list on connect while the tree is shown: the
// list made for it then shows the processor's presets as the tab is picked.
TEST_P(MainWindowTest, APresetListFilledWhileHiddenShowsTheProcessorsPresetsWhenPicked)
{
    ASSERT_TRUE(ConnectToReady());
    ASSERT_TRUE(Button("BtnMenu")->IsStuck());
    CPresetListView* list = List();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->isVisible());
    EXPECT_FALSE(Button("PresetIconLoad")->isVisible());
    ExpectPresetViewInItsPlaces();
    // A page made after the list comes after it in tab order, as with a list made at start.
    const std::vector<QWidget*> tabs = TabOrder();
    const auto pageControl =
        std::find_if(tabs.begin(), tabs.end(), [&](QWidget* w) { return Page()->isAncestorOf(w); });
    ASSERT_NE(pageControl, tabs.end());
    EXPECT_GT(pageControl, std::find(tabs.begin(), tabs.end(), Child<QWidget>("InputShield")));

    Click(Button("BtnPresets"));
    EXPECT_TRUE(list->isVisible());
    EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(PresetButtonsEnabled(true));
    EXPECT_EQ(Child<CSkinScrollButton>("BtnScrollUp")->Target(), list);
    const std::size_t count = sim_->Device().GetModel().PresetCount();
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(count));
    for (unsigned row = 0; row < count; ++row) {
        const auto image = sim_->Device().PresetImage(static_cast<std::uint8_t>(row));
        ASSERT_TRUE(image);
        EXPECT_EQ(list->RowName(row), presets::ToUpperAscii(presets::PresetNameFromBytes(*image))) << row;
    }

    Click(Button("BtnConnect"));
    ASSERT_TRUE(RunUntil([&] { return State() == ConnectionState::Disconnected; }));
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(PresetButtonsEnabled(false));
}

// A tree made while the preset view is shown stays under it until the page
// view is picked, as a tree made with the window would.
TEST_P(MainWindowTest, ATreeMadeUnderThePresetViewShowsWhenThePageViewIsPicked)
{
    Click(Button("BtnPresets"));
    window_->SetEnabled(false);
    ASSERT_NE(Tree(), nullptr);
    EXPECT_FALSE(Tree()->isVisible());
    EXPECT_TRUE(List()->isVisible());
    EXPECT_EQ(Child<CSkinScrollButton>("BtnScrollUp")->Target(), List());
    ExpectPageViewsInTheirPlaces();
    Click(Button("BtnMenu"));
    EXPECT_TRUE(Tree()->isVisible());
    EXPECT_FALSE(List()->isVisible());
    EXPECT_EQ(Child<CSkinScrollButton>("BtnScrollUp")->Target(), Tree());
}

// The tree the controller makes on connect holds the processor's pages, takes
// its tab and stacking places, and answers the scroll buttons and the keys.
TEST_P(MainWindowTest, TheTreeMadeOnConnectHoldsThePagesAndAnswersTheScrollButtonsAndKeys)
{
    ASSERT_TRUE(ConnectToReady());
    CSkinTree* tree = Tree();
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(tree->isVisible());
    EXPECT_TRUE(tree->isEnabled());
    ExpectPageViewsInTheirPlaces();

    // Every page not hidden, under its parent, and no other.
    const CPageTreeModel& pages = window_->Controller().PageTree();
    std::set<int> shown;
    for (QTreeWidgetItem* item : TreeItems()) {
        const int index = item->data(0, Qt::UserRole).toInt();
        const PageTreeRecord* record = pages.Record(static_cast<std::size_t>(index));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(item->text(0).toStdString(), record->node->name);
        EXPECT_EQ(item->parent() ? item->parent()->data(0, Qt::UserRole).toInt() : -1, record->parent);
        shown.insert(index);
    }
    for (std::size_t i = 0; i < pages.Records().size(); ++i) {
        const PageTreeRecord& record = pages.Records()[i];
        const bool expected = !record.hidden && (record.parent < 0 || shown.count(record.parent));
        EXPECT_EQ(shown.count(static_cast<int>(i)) > 0, expected) << record.path;
    }

    auto* up = Child<CSkinScrollButton>("BtnScrollUp");
    auto* down = Child<CSkinScrollButton>("BtnScrollDown");
    EXPECT_EQ(up->Target(), tree);
    EXPECT_EQ(down->Target(), tree);
    QScrollBar* bar = tree->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const int top = bar->value();
    Click(down);
    EXPECT_GT(bar->value(), top);
    Click(up);
    EXPECT_EQ(bar->value(), top);

    // Tab reaches the tree from the view switches; Down opens the next page.
    QApplication::setActiveWindow(window_.get());
    Button("BtnPresets")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), tree);
    QTreeWidgetItem* next = tree->itemBelow(tree->currentItem());
    ASSERT_NE(next, nullptr);
    const bool group = !next->data(0, Qt::UserRole + 1).toBool() && next->childCount() > 0;
    QTreeWidgetItem* opened = group ? next->child(0) : next;
    const std::size_t walks = walks_.count;
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->currentItem(), opened);
    ASSERT_TRUE(RunUntil([&] { return walks_.count > walks && !window_->Controller().RefreshWalkRunning(); }));
    EXPECT_EQ(window_->Controller().CurrentPageIndex(), static_cast<std::size_t>(opened->data(0, Qt::UserRole).toInt()));
}

TEST_P(MainWindowTest, PresetButtonsLoadSaveRenameAndMovePresetsThroughFiles)
{
    ASSERT_TRUE(ConnectToReady());
    Click(Button("BtnPresets"));
    CPresetListView* list = List();
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(sim_->Device().GetModel().PresetCount()));
    auto select = [&](int row) {
        list->setCurrentItem(list->topLevelItem(row));
        list->topLevelItem(row)->setSelected(true);
        QApplication::processEvents();
    };

    select(1);
    Click(Button("PresetIconLoad"));
    EXPECT_TRUE(RunUntil([&] { return sim_->Device().Flags().current == 1; }));

    select(2);
    Click(Button("PresetIconRename"));
    CSkinEdit* editor = nullptr;
    ASSERT_TRUE(RunUntil([&] { return (editor = list->findChild<CSkinEdit*>()) != nullptr; }));
    editor->setText("drive time");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(RunUntil([&] {
        const auto image = sim_->Device().PresetImage(2);
        return image && presets::PresetNameFromBytes(*image) == "DRIVE TIME";
    }));
    EXPECT_EQ(list->RowName(2), "DRIVE TIME");

    select(1);
    Click(Button("PresetIconSave"));
    EXPECT_TRUE(RunUntil([&] { return !sim_->Device().Flags().change; }));

    const fs::path file = folder_ / "drive.pst";
    select(2);
    window_->SetFileChooser([&](bool save) { return save ? file.string() : std::string(); });
    Click(Button("PresetIconSaveFile"));
    ASSERT_TRUE(RunUntil([&] { return fs::exists(file) && FileBytes(file) == *sim_->Device().PresetImage(2); }));

    select(4);
    window_->SetFileChooser([&](bool save) { return save ? std::string() : file.string(); });
    Click(Button("PresetIconLoadFile"));
    EXPECT_TRUE(RunUntil([&] { return sim_->Device().PresetImage(4) == FileBytes(file); }));
    EXPECT_TRUE(RunUntil([&] { return list->RowName(4) == "DRIVE TIME"; }));

    // A factory preset offers Load and Save to file only.
    select(list->topLevelItemCount() - 1);
    EXPECT_TRUE(RunUntil([&] { return !Button("PresetIconSave")->isVisible(); }));
    EXPECT_FALSE(Button("PresetIconRename")->isVisible());
    EXPECT_FALSE(Button("PresetIconLoadFile")->isVisible());
    EXPECT_TRUE(Button("PresetIconLoad")->isVisible());
    EXPECT_TRUE(Button("PresetIconSaveFile")->isVisible());
}

TEST_P(MainWindowTest, ExitWhileConnectedDisconnectsAndEndsTheLoopWithCodeZero)
{
    ASSERT_TRUE(ConnectToReady());
    int code = -1;
    QTimer::singleShot(0, [&] { Click(Button("BtnExit")); });
    QTimer::singleShot(10s, [] { QCoreApplication::exit(99); });
    code = QCoreApplication::exec();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(State(), ConnectionState::Quitting);
    EXPECT_FALSE(window_->isVisible());
}

INSTANTIATE_TEST_SUITE_P(OverUdpAndSerial, MainWindowTest, ::testing::Values(Link::Udp, Link::Serial),
                         [](const ::testing::TestParamInfo<Link>& link) {
                             return link.param == Link::Udp ? "Udp" : "PseudoTerminal";
                         });

TEST_P(MainWindowTest, LostLinkShowsTheStatusLineLeavesConnectExitAndStopUsableAndStopEndsReconnecting)
{
    ASSERT_TRUE(ConnectToReady());
    auto& line = window_->LinkStatusLine();
    EXPECT_FALSE(line.isVisible());
    sim_->Stop();
    ASSERT_TRUE(RunUntil([&] { return State() == ConnectionState::Reconnecting; }));
    EXPECT_TRUE(line.isVisible());
    EXPECT_TRUE(line.Text().contains(QStringLiteral("Reconnecting\u2026 (attempt 1)"))) << line.Text().toStdString();
    EXPECT_TRUE(line.StopButton().isVisible());
    // Stop at the line's right end, as wide as its caption in the line's font and a margin.
    const int stopWidth = QFontMetrics(line.font()).horizontalAdvance(QStringLiteral("Stop")) + 24;
    EXPECT_EQ(line.StopButton().geometry(), QRect(line.width() - stopWidth, 1, stopWidth, line.height() - 2));
    EXPECT_EQ(line.StopButton().font(), line.font());
    // The rest of the window is shielded; these stay reachable above it.
    for (QWidget* open : {static_cast<QWidget*>(Button("BtnConnect")), static_cast<QWidget*>(Button("BtnExit")),
                          static_cast<QWidget*>(&line.StopButton())})
        EXPECT_EQ(window_->childAt(open->mapTo(window_.get(), open->rect().center())), open) << open->objectName().toStdString();
    EXPECT_NE(window_->childAt(Tree()->mapTo(window_.get(), Tree()->rect().center())), Tree()->viewport());
    if (const char* shots = std::getenv("VEXLOR_PAGE_SHOTS")) window_->grab().save(QString(shots) + "/link-lost.png");

    Click(&line.StopButton());
    EXPECT_EQ(State(), ConnectionState::Disconnected);
    EXPECT_TRUE(Panel()->isVisible());
    EXPECT_TRUE(line.Text().contains(QStringLiteral("Reconnecting stopped")));
    EXPECT_FALSE(line.StopButton().isVisible());
}

// The settings panel's Off/On field decides what a lost link does.
TEST_P(MainWindowTest, ReconnectOffInThePanelLeavesALostLinkDownAndOnBringsItBack)
{
    if (GetParam() == Link::Serial) GTEST_SKIP() << "only a UDP simulator comes back where it was";
    const std::uint16_t port = sim_->UdpPort();
    auto restart = [&] {
        sim_->Stop();
        vsim::SimOptions options;
        options.model = 12;
        options.port = port;
        options.lock = kLock;
        sim_ = std::make_unique<vsim::SimServer>(options);
        std::string why;
        return sim_->Start(&why);
    };
    CSkinButtonGroup& reconnect = Panel()->ReconnectChooser();
    ASSERT_EQ(reconnect.GetSelected(), 1);
    QTest::mouseClick(&reconnect, Qt::LeftButton, {}, reconnect.ButtonRect(0).center());
    ASSERT_TRUE(ConnectToReady());
    sim_->Stop();
    ASSERT_TRUE(RunUntil([&] { return State() == ConnectionState::Disconnected; }));
    EXPECT_TRUE(window_->LinkStatusLine().Text().startsWith(QStringLiteral("Link to the processor lost at")));
    ASSERT_TRUE(restart());
    // Well past the first step of reconnecting: still nothing by itself.
    RunUntil([] { return false; }, 2500ms);
    EXPECT_EQ(State(), ConnectionState::Disconnected);
    EXPECT_TRUE(Panel()->isVisible());

    QTest::mouseClick(&reconnect, Qt::LeftButton, {}, reconnect.ButtonRect(1).center());
    ASSERT_TRUE(ConnectToReady());
    sim_->Stop();
    ASSERT_TRUE(RunUntil([&] { return State() == ConnectionState::Reconnecting; }));
    ASSERT_TRUE(restart());
    EXPECT_TRUE(RunUntil([&] { return State() == ConnectionState::Ready && !window_->Controller().RefreshWalkRunning(); },
                         60s));
    EXPECT_FALSE(Panel()->isVisible());
}

// The operator who works by keyboard: under the input shield Tab goes round
// only what stays usable above it, never to the page's controls beneath, and
// Space there ends a reconnect or a connect to a silent processor.
TEST_P(MainWindowTest, UnderTheShieldTabReachesOnlyConnectExitMinimiseAndStop)
{
    if (GetParam() == Link::Serial) GTEST_SKIP() << "a serial line without its far end does not open";
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(ConnectToReady());
    sim_->Stop();
    ASSERT_TRUE(RunUntil([&] { return State() == ConnectionState::Reconnecting; }));
    QWidget* stop = &window_->LinkStatusLine().StopButton();
    const std::set<QWidget*> open{Button("BtnConnect"), Button("BtnExit"), Button("BtnMinimize"), stop};
    std::set<QWidget*> reached;
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.insert(QApplication::focusWidget());
    }
    EXPECT_EQ(reached, open);
    // Shift+Tab goes round the same buttons.
    QWidget* here = QApplication::focusWidget();
    QTest::keyClick(here, Qt::Key_Backtab);
    EXPECT_TRUE(open.count(QApplication::focusWidget()) == 1 && QApplication::focusWidget() != here);
    for (int i = 0; i < 4 && QApplication::focusWidget() != stop; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), stop);
    QTest::keyClick(stop, Qt::Key_Space);
    EXPECT_EQ(State(), ConnectionState::Disconnected);

    // A connect to a processor that does not answer: Tab, then Space on Disconnect.
    sim_.reset();
    Click(Button("BtnConnect"));
    ASSERT_NE(State(), ConnectionState::Disconnected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Button("BtnConnect"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(State(), ConnectionState::Disconnected);
}

// vexlor-sim in a process of its own, its front panel driven through its
// standard input: a change there between a slider gesture and Ctrl+Z drops
// the undo step, and the window writes nothing over the front panel's value.
TEST_P(MainWindowTest, FrontPanelChangeInTheSimulatorProcessDropsTheUndoStep)
{
    if (GetParam() == Link::Serial) GTEST_SKIP() << "the simulator process serves UDP here";
    ChildProcess sim(VEXLOR_SIM_PATH, {"--model", "12", "--port", "0", "--lock", std::to_string(kLock), "--front-panel"});
    std::string port;
    for (int i = 0; i < 5 && port.empty(); ++i) {
        const auto line = sim.ReadLine(10s);
        ASSERT_TRUE(line);
        if (line->rfind("vexlor-sim: udp 127.0.0.1:", 0) == 0) port = line->substr(line->rfind(':') + 1);
    }
    ASSERT_FALSE(port.empty());
    Panel()->PortEdit().setText(QString::fromStdString(port));
    ASSERT_TRUE(ConnectToReady());
    CParamSlider* slider = FirstEnabledSlider();
    ASSERT_NE(slider, nullptr);
    const ControlRecord record = slider->Records().front();
    QApplication::setActiveWindow(window_.get());
    slider->setFocus();
    const std::uint8_t was = slider->Raw();
    QTest::keyClick(slider, slider->value() == slider->maximum() ? Qt::Key_Down : Qt::Key_Up);
    const std::uint8_t moved = slider->Raw();
    ASSERT_NE(moved, was);
    CParamUndoStack& undo = window_->UndoStack();
    ASSERT_TRUE(RunUntil([&] { return undo.UndoAction().isEnabled(); }));
    // The page read again: its reads follow the write, so the write is in.
    CConnectionController& c = window_->Controller();
    const std::size_t walks = walks_.count;
    c.OpenPage(c.CurrentPageIndex(), false);
    ASSERT_TRUE(RunUntil([&] { return walks_.count > walks && !c.RefreshWalkRunning(); }));
    ASSERT_EQ(slider->Raw(), moved);

    // One step further on: neither the value before the gesture nor after it.
    const auto panel = static_cast<std::uint8_t>(moved > was ? moved + 1 : moved - 1);
    ASSERT_TRUE(sim.WriteLine(std::to_string(record.a) + " " + std::to_string(record.b) + " " +
                              std::to_string(record.c) + " " + std::to_string(panel)));
    const auto said = sim.ReadLine(10s);
    ASSERT_TRUE(said);
    ASSERT_EQ(said->rfind("vexlor-sim: front panel", 0), 0u) << *said;

    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(RunUntil([&] { return !undo.UndoAction().isEnabled(); }));
    const std::size_t again = walks_.count;
    c.OpenPage(c.CurrentPageIndex(), false);
    ASSERT_TRUE(RunUntil([&] { return walks_.count > again && !c.RefreshWalkRunning(); }));
    EXPECT_EQ(slider->Raw(), panel);
}

TEST_P(MainWindowTest, ConnectToASilentProcessorEndsAtTheButtonAndBoxesWearTheSkin)
{
    sim_->Stop();
    sim_.reset();
    if (GetParam() == Link::Serial) GTEST_SKIP() << "a serial line without its far end does not open";
    Click(Button("BtnConnect"));
    ASSERT_NE(State(), ConnectionState::Disconnected);
    Click(Button("BtnConnect"));
    EXPECT_EQ(State(), ConnectionState::Disconnected);
    EXPECT_TRUE(Panel()->isVisible());
    RunUntil([] { return false; }, 300ms);  // the session's report of the end adds no box

    // A message box in the skin's panel colour and font.
    auto box = window_->MakeMessageBox("No Response from Processor \nPlease check cables and connection settings.", "");
    box->show();
    const QImage shot = box->grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(0x1B, 0x1E, 0x23));
    EXPECT_EQ(box->font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    if (const char* shots = std::getenv("VEXLOR_PAGE_SHOTS")) shot.save(QString(shots) + "/message-box.png");
}
