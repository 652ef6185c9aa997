#pragma once

#include "app/ConnectionController.h"
#include "app/DebugLineStore.h"
#include "app/ui/PresetListOnDemand.h"
#include "views/Views.h"
#include "skin/ui/SkinWnd.h"

#include <QPointer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CDebugWindow;
class CSessionBridge;
class CQtMessagePoster;
class CQtTimerService;
class CLedMeter;
class CLinkStatusLine;
class CPageBuilder;
class CPresetListView;
class CParamUndoStack;
class CSettingsPanel;
class CSkinButton;
class CSkinScrollButton;
class CSkinManager;
class CSkinTree;
class CWaitWindow;
class QAbstractScrollArea;
class QMessageBox;
class QTreeWidgetItem;
struct CRegistrySettings;
struct ConnectionSettings;

// Control identifiers of the main window's elements; the buttons' clicks are
// routed by them.
namespace dlgid {
constexpr int kConnect = 1002;
constexpr int kExit = 1005;
constexpr int kMinimize = 1006;
constexpr int kTree = 1011;
constexpr int kFrame = 1014;
constexpr int kLeds = 1023;
constexpr int kMenu = 1048;
constexpr int kPresets = 1049;
constexpr int kList = 1050;
constexpr int kA = 1051;
constexpr int kB = 1052;
constexpr int kPresetLoad = 109;  // preset commands 0..4 are 109..113
constexpr int kScrollUp = 256;
constexpr int kScrollDown = 257;
}  // namespace dlgid

// The application's one top-level window, skinned from "DlgMain": meters,
// connect and window buttons, A and B, the page area with the settings panel
// or the open page, the page tree and the preset list with their switches, the
// preset buttons and the scroll buttons. Owns the session, the controller and
// every view the controller drives; session events arrive as posted Qt events
// numbered as the controller's messages.
class CVexlorDlg : public CSkinWnd, public IMainView, public IPageTreeView, public IDebugLog {
public:
    // serialPorts: the serial entries of the settings panel's chooser (by
    // default the ports of this machine that can be opened).
    CVexlorDlg(CSkinManager& manager, ConnectionSettings& settings, CRegistrySettings& stored,
               const std::vector<std::string>& serialPorts);
    CVexlorDlg(CSkinManager& manager, ConnectionSettings& settings, CRegistrySettings& stored);
    ~CVexlorDlg() override;

    CConnectionController& Controller() { return *controller_; }
    // Made on first use: the first picture shows neither.
    CDebugWindow& DebugWindow();
    CSettingsPanel& SettingsPanel() { return *settingsPanel_; }
    CParamUndoStack& UndoStack() { return *undo_; }
    QWidget* ProgressWindow() const;
    // The page area in client coordinates.
    QRect PageArea() const;
    // How preset files are chosen: given whether the file is to be written,
    // the chosen path or empty when cancelled. By default a file dialog.
    using FileChooser = std::function<std::string(bool save)>;
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    // Folder for "pccontrol.bin" and the temporary preset files (default: current).
    void SetWorkFolder(const std::string& folder);

    // IMainView
    void SetConnectElement(const std::string& element) override;
    void SetConnectedLayout(bool connected) override;
    void HideSettingsPanel() override;
    void EnableWindow(bool enabled) override;
    void ShowProgress() override;
    void CloseProgress() override;
    void SetTitle(const std::string& title) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    // The box ShowMessage runs: OK only, in the skin's colours and font.
    std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& text, const std::string& caption);
    void EnableAB(bool enabled) override;
    void SetAChecked(bool checked) override;
    void SetBChecked(bool checked) override;
    bool IsTreeViewChecked() override;
    void ShowUserPresetButtons(bool shown) override;
    std::string ChoosePresetFileToLoad() override;
    std::string ChoosePresetFileToSave() override;
    void QuitMessageLoop(int exitCode) override;
    void ShowLinkStatus(const std::string& text, bool stoppable) override;
    CLinkStatusLine& LinkStatusLine() const { return *statusLine_; }

    // IPageTreeView
    void Clear() override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void AddItem(int record, int parent, const std::string& name, bool hasPage) override;
    void SelectFirstItem() override;
    void SelectItem(int record) override;

    // IDebugLog: every log line goes to the debug window and the log category.
    void AddLine(const std::string& text) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The undo menu, from the mouse or the menu key, while connected.
    void contextMenuEvent(QContextMenuEvent* event) override;
    // While the input shield stands, Tab and Shift+Tab go round only what
    // stays usable above it: Connect/Disconnect, Exit, minimise and Stop.
    bool focusNextPrevChild(bool next) override;

private:
    using Button = CSkinButton;

    void CreateControls(const std::vector<std::string>& serialPorts);
    Button* AddButton(const char* element, int id);
    CSkinScrollButton* AddScrollButton(const char* element, int id, int direction);
    void PointScrollButtons(QAbstractScrollArea* target);
    void OnCommand(int id);
    void OnMinimize();
    void ShowTreeView();
    void ShowPresetView();
    CSkinTree& PageTree();
    void MakePageTree();
    static void PlaceAsIfMadeWithWindow(QWidget& view, QWidget* tabAfter, QWidget* under);
    CPresetListView& PresetList();
    void MakePresetList();
    void SetPresetViewShown(bool shown);
    void EnablePresetView(bool enabled);
    void OnTreeSelection(QTreeWidgetItem* item);
    void WaitForDisconnectSent();
    std::string ChoosePresetFile(bool save);

    ConnectionSettings& settings_;
    CRegistrySettings& stored_;

    std::array<Button*, 5> presetButtons_{};
    QWidget* presetButtonsPlace_ = nullptr;
    Button* connect_ = nullptr;
    Button* exit_ = nullptr;
    Button* minimize_ = nullptr;
    Button* a_ = nullptr;
    Button* b_ = nullptr;
    Button* menu_ = nullptr;
    Button* presets_ = nullptr;
    QWidget* frame_ = nullptr;
    CLedMeter* meter_ = nullptr;
    CSkinTree* tree_ = nullptr;
    CPresetListView* list_ = nullptr;
    CSettingsPanel* settingsPanel_ = nullptr;
    CSkinScrollButton* scrollUp_ = nullptr;
    CSkinScrollButton* scrollDown_ = nullptr;
    CLinkStatusLine* statusLine_ = nullptr;
    QWidget* shield_ = nullptr;
    QPointer<QWidget> focusBeforeShield_;
    bool connected_ = false;
    Qt::KeyboardModifiers minimizeModifiers_;
    FileChooser chooseFile_;

    std::map<int, QTreeWidgetItem*> treeItems_;

    std::unique_ptr<CDebugWindow> debug_;
    std::unique_ptr<CWaitWindow> progress_;
    QPointer<QWidget> activeBeforeProgress_;

    std::unique_ptr<CQtMessagePoster> poster_;
    std::unique_ptr<CQtTimerService> timers_;
    std::unique_ptr<CSessionBridge> bridge_;
    CPresetListOnDemand presetList_;
    std::unique_ptr<CPageBuilder> pages_;
    std::unique_ptr<CConnectionController> controller_;
    std::unique_ptr<CParamUndoStack> undo_;
};
