#include "app/ui/VexlorDlg.h"

#include "app/SessionBridge.h"
#include "app/ui/DebugWindow.h"
#include "app/ui/LinkStatusLine.h"
#include "app/ui/LogCategory.h"
#include "app/ui/ParamUndoStack.h"
#include "app/ui/QtMessagePoster.h"
#include "app/ui/WaitWindow.h"
#include "description/ui/PageBuilder.h"
#include "meters/ui/LedMeter.h"
#include "presets/ui/PresetListView.h"
#include "settings/ConnectionSettings.h"
#include "settings/ui/SettingsPanel.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinLook.h"
#include "skin/ui/SkinManager.h"
#include "skin/ui/SkinScrollButton.h"
#include "skin/ui/SkinTree.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// How long closing waits for the Disconnect command to leave.
constexpr auto kDisconnectGrace = std::chrono::milliseconds(1000);

// Presets buttons in the order of the preset commands 0..4.
constexpr const char* kPresetElements[] = {"PresetIconLoad", "PresetIconSave", "PresetIconRename",
                                           "PresetIconLoadFile", "PresetIconSaveFile"};

bool IsAppMessage(int type)
{
    return (type >= msg::UM_CONNECTED && type <= msg::UM_RESERVED) ||
           (type >= msg::UM_PRESET_COMMAND && type <= msg::UM_PRESET_SELECTED);
}

}  // namespace

CVexlorDlg::CVexlorDlg(CSkinManager& manager, ConnectionSettings& settings, CRegistrySettings& stored)
    : CVexlorDlg(manager, settings, stored, CSettingsPanel::SerialPorts())
{
}

CVexlorDlg::CVexlorDlg(CSkinManager& manager, ConnectionSettings& settings, CRegistrySettings& stored,
                       const std::vector<std::string>& serialPorts)
    : CSkinWnd("DlgMain", manager), settings_(settings), stored_(stored),
      presetList_([this]() -> IPresetListView& { return PresetList(); })
{
    poster_ = std::make_unique<CQtMessagePoster>(this);
    timers_ = std::make_unique<CQtTimerService>(this);
    CreateControls(serialPorts);
    // The window's own face last: the largest image of the first picture may
    // still be decoding on a worker thread while the controls are made.
    CreateHidden(nullptr, false);

    bridge_ = std::make_unique<CSessionBridge>(*poster_);
    pages_ = std::make_unique<CPageBuilder>(this, manager, PageArea(), PageServices{});
    controller_ = std::make_unique<CConnectionController>(
        *bridge_, settings_, ControllerViews{*this, *settingsPanel_, *this, presetList_, *meter_, *pages_, *this},
        *timers_);
    PageServices& services = pages_->Services();
    services.writeParameter = [this](std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value, bool echo) {
        controller_->WriteParameter(a, b, c, value, echo);
    };
    services.readParameter = [this](std::uint8_t a, std::uint8_t b, std::uint8_t c) {
        controller_->ReadParameter(a, b, c);
    };
    undo_ = std::make_unique<CParamUndoStack>(*controller_, *this, manager);
    controller_->SetUndoView(undo_.get());

    SetConnectedLayout(false);
}

CVexlorDlg::~CVexlorDlg()
{
    WaitForDisconnectSent();
    controller_->SetUndoView(nullptr);
    undo_.reset();
    controller_.reset();
    bridge_.reset();  // joins the session's threads
}

void CVexlorDlg::WaitForDisconnectSent()
{
    // Closing while connected tells the processor first; a link that cannot
    // carry the command any more is given up after a short wait.
    if (!bridge_ || !bridge_->IsConnected()) return;
    bridge_->Disconnect();
    const auto until = std::chrono::steady_clock::now() + kDisconnectGrace;
    while (bridge_->IsConnected() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

CVexlorDlg::Button* CVexlorDlg::AddButton(const char* element, int id)
{
    auto* button = new Button(element, Manager());
    button->Create(this, id);
    button->setObjectName(element);
    connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    return button;
}

CSkinScrollButton* CVexlorDlg::AddScrollButton(const char* element, int id, int direction)
{
    auto* button = new CSkinScrollButton(element, Manager());
    button->Create(this, id);
    button->setObjectName(element);
    button->SetDirection(static_cast<CSkinScrollButton::Direction>(direction));
    return button;
}

void CVexlorDlg::PointScrollButtons(QAbstractScrollArea* target)
{
    scrollUp_->SetTarget(target);
    scrollDown_->SetTarget(target);
}

void CVexlorDlg::CreateControls(const std::vector<std::string>& serialPorts)
{
    // The preset buttons, made with the list, come first in the tab and the
    // stacking order: this hidden stand-in keeps their place until then.
    presetButtonsPlace_ = new QWidget(this);
    presetButtonsPlace_->setFocusPolicy(Qt::TabFocus);
    presetButtonsPlace_->hide();
    connect_ = AddButton("BtnConnect", dlgid::kConnect);
    exit_ = AddButton("BtnExit", dlgid::kExit);
    minimize_ = AddButton("BtnMinimize", dlgid::kMinimize);
    minimize_->installEventFilter(this);
    a_ = AddButton("BtnA", dlgid::kA);
    b_ = AddButton("BtnB", dlgid::kB);
    menu_ = AddButton("BtnMenu", dlgid::kMenu);
    presets_ = AddButton("BtnPresets", dlgid::kPresets);
    menu_->SetStuck(true);

    // The frame only marks the page area.
    frame_ = new QWidget(this);
    frame_->setObjectName("Frame");
    SetControlId(frame_, dlgid::kFrame);
    if (const CSkin* skin = Manager().Skin())
        frame_->setGeometry(skin->GetLong("Frame", "offset_left"), skin->GetLong("Frame", "offset_top"),
                            skin->GetLong("Frame", "width"), skin->GetLong("Frame", "height"));
    frame_->hide();

    meter_ = new CLedMeter(Manager(), this);
    meter_->setObjectName("Leds");
    SetControlId(meter_, dlgid::kLeds);

    // The page tree and the preset list come here, when first needed; until
    // then the scroll buttons have nothing to scroll.
    scrollUp_ = AddScrollButton("BtnScrollUp", dlgid::kScrollUp, 0);
    scrollDown_ = AddScrollButton("BtnScrollDown", dlgid::kScrollDown, 1);
    connect_->setText("Connect");
    EnableAB(false);

    settingsPanel_ = new CSettingsPanel(this, Manager(), settings_, stored_, serialPorts);
    settingsPanel_->hide();

    statusLine_ = new CLinkStatusLine(Manager(), this);
    connect(statusLine_, &CLinkStatusLine::StopClicked, this, [this] { controller_->StopReconnecting(); });

    // Stands over the whole window while it is disabled: input stops, faces stay.
    shield_ = new QWidget(this);
    shield_->setObjectName("InputShield");
    shield_->setFocusPolicy(Qt::StrongFocus);
    shield_->hide();
}

QRect CVexlorDlg::PageArea() const
{
    return frame_->geometry();
}

QWidget* CVexlorDlg::ProgressWindow() const
{
    return progress_.get();
}

void CVexlorDlg::SetWorkFolder(const std::string& folder)
{
    controller_->SetWorkFolder(folder);
}

// ---- routing -------------------------------------------------------------

void CVexlorDlg::OnCommand(int id)
{
    switch (id) {
    case dlgid::kConnect: controller_->ToggleConnection(); break;
    case dlgid::kExit: controller_->ExitApplication(); break;
    case dlgid::kMinimize: OnMinimize(); break;
    case dlgid::kA: controller_->SelectA(); break;
    case dlgid::kB: controller_->SelectB(); break;
    case dlgid::kMenu: ShowTreeView(); break;
    case dlgid::kPresets: ShowPresetView(); break;
    default:
        if (id >= dlgid::kPresetLoad && id < dlgid::kPresetLoad + 5) {
            const auto command = static_cast<std::uint32_t>(id - dlgid::kPresetLoad);
            controller_->HandleMessage({msg::UM_PRESET_COMMAND, 0, command, {}});
        }
        break;
    }
}

bool CVexlorDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The click itself carries no keys; the release that makes it does.
    if (watched == minimize_ && event->type() == QEvent::MouseButtonRelease)
        minimizeModifiers_ = static_cast<QMouseEvent*>(event)->modifiers();
    return CSkinWnd::eventFilter(watched, event);
}

void CVexlorDlg::OnMinimize()
{
    const Qt::KeyboardModifiers both = Qt::ControlModifier | Qt::AltModifier;
    if ((minimizeModifiers_ & both) == both)
        DebugWindow().Open();
    else
        showMinimized();
}

void CVexlorDlg::ShowTreeView()
{
    presets_->SetStuck(false);
    menu_->SetStuck(true);
    // An unmade tree would be empty and disabled: nothing to show yet.
    if (tree_) tree_->show();
    if (list_) SetPresetViewShown(false);
    PointScrollButtons(tree_);
}

void CVexlorDlg::ShowPresetView()
{
    menu_->SetStuck(false);
    presets_->SetStuck(true);
    if (tree_) tree_->hide();
    PointScrollButtons(&PresetList());
    SetPresetViewShown(true);
}

CSkinTree& CVexlorDlg::PageTree()
{
    if (!tree_) MakePageTree();
    return *tree_;
}

// Made on the controller's first call or the connected layout, shown while
// the page view is, in the state the connected layout last set, and in the
// places of the stacking and tab order it would have had if made with the window.
void CVexlorDlg::MakePageTree()
{
    tree_ = new CSkinTree("Tree", Manager());
    tree_->Create(this, dlgid::kTree);
    tree_->setObjectName("Tree");
    PlaceAsIfMadeWithWindow(*tree_, presets_, list_ ? static_cast<QWidget*>(list_) : scrollUp_);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { OnTreeSelection(item); });
    tree_->setVisible(menu_->IsStuck());
    tree_->setEnabled(connected_);
    if (menu_->IsStuck()) PointScrollButtons(tree_);
}

// A view made late goes right after `tabAfter` in the tab order and right
// under `under` in the stacking order.
void CVexlorDlg::PlaceAsIfMadeWithWindow(QWidget& view, QWidget* tabAfter, QWidget* under)
{
    view.stackUnder(under);
    QWidget::setTabOrder(tabAfter, &view);
}

CPresetListView& CVexlorDlg::PresetList()
{
    if (!list_) MakePresetList();
    return *list_;
}

// Made on the first show of the preset view or the controller's first call,
// hidden, in the state the connected layout last set, and in the places of
// the stacking and tab order they would have had if made with the window.
void CVexlorDlg::MakePresetList()
{
    list_ = new CPresetListView(Manager(), *poster_);
    list_->Create(this, dlgid::kList);
    list_->setObjectName("List");
    PlaceAsIfMadeWithWindow(*list_, tree_ ? static_cast<QWidget*>(tree_) : presets_, scrollUp_);
    QWidget* previous = presetButtonsPlace_;
    for (std::size_t i = 0; i < presetButtons_.size(); ++i) {
        Button* button = AddButton(kPresetElements[i], dlgid::kPresetLoad + static_cast<int>(i));
        PlaceAsIfMadeWithWindow(*button, previous, presetButtonsPlace_);
        previous = presetButtons_[i] = button;
    }
    SetPresetViewShown(false);
    EnablePresetView(connected_);
}

void CVexlorDlg::SetPresetViewShown(bool shown)
{
    list_->setVisible(shown);
    for (Button* b : presetButtons_) b->setVisible(shown);
}

void CVexlorDlg::EnablePresetView(bool enabled)
{
    list_->setEnabled(enabled);
    for (Button* b : presetButtons_) b->setEnabled(enabled);
}

CDebugWindow& CVexlorDlg::DebugWindow()
{
    if (!debug_) {
        debug_ = std::make_unique<CDebugWindow>();
        ApplySkinLook(*debug_, Manager());
    }
    return *debug_;
}

bool CVexlorDlg::event(QEvent* event)
{
    if (IsAppMessage(event->type())) {
        if (auto* message = dynamic_cast<CAppMessageEvent*>(event)) {
            controller_->HandleMessage(message->Message());
            return true;
        }
    }
    return CSkinWnd::event(event);
}

void CVexlorDlg::closeEvent(QCloseEvent* event)
{
    // The window manager's close does what Exit does.
    if (controller_->State() != ConnectionState::Quitting) controller_->ExitApplication();
    event->accept();
}

// ---- IMainView -----------------------------------------------------------

void CVexlorDlg::SetConnectElement(const std::string& element)
{
    connect_->SetElement(element);
    connect_->update();
}

void CVexlorDlg::SetConnectedLayout(bool connected)
{
    connected_ = connected;
    // A tree not made yet is made disabled; enabling it is a need for it.
    if (connected || tree_) PageTree().setEnabled(connected);
    if (list_) EnablePresetView(connected);
    settingsPanel_->setVisible(!connected);
}

void CVexlorDlg::contextMenuEvent(QContextMenuEvent* event)
{
    if (controller_->State() != ConnectionState::Ready) return CSkinWnd::contextMenuEvent(event);
    undo_->ShowMenu(event->globalPos());
}

bool CVexlorDlg::focusNextPrevChild(bool next)
{
    if (shield_->isHidden()) return CSkinWnd::focusNextPrevChild(next);
    // The controls under the shield keep their focus policy; the keys must not reach them.
    std::vector<QWidget*> open;
    for (QWidget* w : std::initializer_list<QWidget*>{connect_, exit_, minimize_, &statusLine_->StopButton()})
        if (w->isVisible() && w->isEnabled()) open.push_back(w);
    if (open.empty()) return true;
    const auto at = std::find(open.begin(), open.end(), QApplication::focusWidget());
    std::size_t index = 0;
    if (at != open.end()) {
        const std::size_t here = static_cast<std::size_t>(at - open.begin());
        index = next ? (here + 1) % open.size() : (here + open.size() - 1) % open.size();
    } else if (!next) {
        index = open.size() - 1;
    }
    open[index]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void CVexlorDlg::HideSettingsPanel()
{
    settingsPanel_->hide();
}

void CVexlorDlg::EnableWindow(bool enabled)
{
    if (enabled == shield_->isHidden()) return;
    shield_->setGeometry(rect());
    if (!enabled) {
        // The keys go nowhere meanwhile; the control that had them gets them back.
        focusBeforeShield_ = QApplication::focusWidget();
        shield_->show();
        shield_->raise();
        // A connect or a reconnect can always be ended, and the program left.
        for (QWidget* open : std::initializer_list<QWidget*>{connect_, exit_, minimize_, statusLine_}) open->raise();
        shield_->setFocus();
        return;
    }
    shield_->hide();
    if (focusBeforeShield_) focusBeforeShield_->setFocus();
    focusBeforeShield_.clear();
}

void CVexlorDlg::ShowProgress()
{
    if (progress_) return;
    activeBeforeProgress_ = QApplication::activeWindow();
    progress_ = std::make_unique<CWaitWindow>(Manager(), this);
    progress_->ShowCentredOver(QRect(mapToGlobal(PageArea().topLeft()), PageArea().size()));
}

void CVexlorDlg::CloseProgress()
{
    if (!progress_) return;
    progress_.reset();
    if (activeBeforeProgress_) activeBeforeProgress_->activateWindow();
    activeBeforeProgress_.clear();
}

void CVexlorDlg::SetTitle(const std::string& title)
{
    setWindowTitle(QString::fromStdString(title));
}

void CVexlorDlg::ShowMessage(const std::string& text, const std::string& caption)
{
    MakeMessageBox(text, caption)->exec();
}

std::unique_ptr<QMessageBox> CVexlorDlg::MakeMessageBox(const std::string& text, const std::string& caption)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QString::fromStdString(caption),
                                             QString::fromStdString(text), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("MessageBox"));
    ApplySkinLook(*box, Manager());
    return box;
}

void CVexlorDlg::EnableAB(bool enabled)
{
    a_->setEnabled(enabled);
    b_->setEnabled(enabled);
}

void CVexlorDlg::SetAChecked(bool checked)
{
    a_->SetStuck(checked);
    a_->update();
}

void CVexlorDlg::SetBChecked(bool checked)
{
    b_->SetStuck(checked);
    b_->update();
}

bool CVexlorDlg::IsTreeViewChecked()
{
    return menu_->IsStuck();
}

void CVexlorDlg::ShowUserPresetButtons(bool shown)
{
    // Only the preset view shows the preset buttons at all.
    if (!presets_->IsStuck()) return;
    for (std::size_t i = 1; i <= 3; ++i) presetButtons_[i]->setVisible(shown);
}

std::string CVexlorDlg::ChoosePresetFileToLoad()
{
    return chooseFile_ ? chooseFile_(false) : ChoosePresetFile(false);
}

std::string CVexlorDlg::ChoosePresetFileToSave()
{
    return chooseFile_ ? chooseFile_(true) : ChoosePresetFile(true);
}

std::string CVexlorDlg::ChoosePresetFile(bool save)
{
    QFileDialog dialog(this, QString(), QString(), "All Files (*)");
    dialog.setObjectName("PresetFileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Opening needs a file that exists; saving asks before overwriting one.
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

void CVexlorDlg::QuitMessageLoop(int exitCode)
{
    hide();
    QCoreApplication::exit(exitCode);
}

void CVexlorDlg::ShowLinkStatus(const std::string& text, bool stoppable)
{
    statusLine_->Show(QString::fromStdString(text), stoppable);
}

// ---- IPageTreeView -------------------------------------------------------

void CVexlorDlg::Clear()
{
    CSkinTree& tree = PageTree();
    const QSignalBlocker quiet(&tree);
    tree.clear();
    treeItems_.clear();
}

void CVexlorDlg::SetVisible(bool visible)
{
    PageTree().setVisible(visible);
}

void CVexlorDlg::SetEnabled(bool enabled)
{
    PageTree().setEnabled(enabled);
}

void CVexlorDlg::AddItem(int record, int parent, const std::string& name, bool hasPage)
{
    CSkinTree& tree = PageTree();
    const QSignalBlocker quiet(&tree);
    const auto up = treeItems_.find(parent);
    auto* item = up != treeItems_.end() ? new QTreeWidgetItem(up->second) : new QTreeWidgetItem(&tree);
    item->setText(0, QString::fromStdString(name));
    item->setData(0, Qt::UserRole, record);
    item->setData(0, Qt::UserRole + 1, hasPage);
    item->setExpanded(true);
    treeItems_[record] = item;
}

void CVexlorDlg::SelectFirstItem()
{
    CSkinTree& tree = PageTree();
    if (tree.topLevelItemCount() > 0) tree.setCurrentItem(tree.topLevelItem(0));
}

void CVexlorDlg::SelectItem(int record)
{
    const auto item = treeItems_.find(record);
    if (item != treeItems_.end()) PageTree().setCurrentItem(item->second);
}

void CVexlorDlg::OnTreeSelection(QTreeWidgetItem* item)
{
    if (!item) return;
    // A group without a page of its own opens its first child.
    if (!item->data(0, Qt::UserRole + 1).toBool() && item->isExpanded() && item->childCount() > 0) {
        PageTree().setCurrentItem(item->child(0));
        return;
    }
    controller_->OpenPage(static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt()), true);
}

// ---- IDebugLog -----------------------------------------------------------

void CVexlorDlg::AddLine(const std::string& text)
{
    qCDebug(vexlorLog).noquote() << QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    // The window records only while open, so nothing is lost before it is made.
    if (debug_) debug_->AddLine(text);
}
