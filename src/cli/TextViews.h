#pragma once

#include "app/DebugLineStore.h"
#include "app/HeadlessPage.h"
#include "views/Views.h"
#include "description/DescriptionTree.h"
#include "presets/PresetModel.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Headless views of the connection controller: they keep what a window would
// show, so a terminal front end can print it and tests can inspect it.

struct TreeItem {
    int record;
    int parent;
    std::string name;
    bool hasPage;
};

struct MessageShown {
    std::string text;
    std::string caption;
};

// Every view interface in one object.
class CTextViews : public IMainView,
                   public ISettingsPanelView,
                   public IPageTreeView,
                   public IPresetListView,
                   public IMeterView,
                   public IPageFactory,
                   public IDebugLog {
public:
    // Main view.
    void SetConnectElement(const std::string& element) override { connectElement = element; }
    void SetConnectedLayout(bool connected) override;
    void HideSettingsPanel() override { settingsPanelShown = false; }
    void EnableWindow(bool enabled) override { windowEnabled = enabled; }
    void ShowProgress() override { progressShown = true; }
    void CloseProgress() override { progressShown = false; }
    void SetTitle(const std::string& text) override { title = text; }
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void EnableAB(bool enabled) override { abEnabled = enabled; }
    void SetAChecked(bool checked) override { aChecked = checked; }
    void SetBChecked(bool checked) override { bChecked = checked; }
    bool IsTreeViewChecked() override { return treeViewChecked; }
    void ShowUserPresetButtons(bool shown) override { userPresetButtonsShown = shown; }
    std::string ChoosePresetFileToLoad() override { return fileToLoad; }
    std::string ChoosePresetFileToSave() override { return fileToSave; }
    void QuitMessageLoop(int exitCode) override { quitCode = exitCode; }
    void ShowLinkStatus(const std::string& text, bool stoppable) override;

    // Settings panel.
    void ApplyPanel(ConnectionSettings& settings) override;
    std::string LockCodeText() override { return lockCodeText; }
    void KeepConnectedSettings(const ConnectionSettings& settings) override;

    // Page tree.
    void Clear() override { treeItems.clear(); }
    void SetVisible(bool visible) override { treeVisible = visible; }
    void SetEnabled(bool enabled) override { treeEnabled = enabled; }
    void AddItem(int record, int parent, const std::string& name, bool hasPage) override;
    void SelectFirstItem() override;
    void SelectItem(int record) override;

    // Preset list.
    void SetUserPresetCount(unsigned count) override { userPresetCount = count; }
    void DeleteAllRows() override { rows.clear(); }
    void InsertRow(unsigned index, const std::string& label) override;
    void SetRowName(unsigned index, const std::string& name) override;
    std::string RowName(unsigned index) override;
    std::optional<unsigned> SelectedRow() override { return selectedRow; }
    void Deselect(unsigned index) override;
    void StartRename(unsigned index) override { renameStarted = index; }
    void SetFlags(const presets::PresetFlags& value) override { flags = value; }

    // Meter.
    void SetModel(std::uint8_t code) override { meterModel = code; }
    void SetBackground(const std::string& key) override { meterBackground = key; }
    void Update(const ByteString& packet) override { meterPacket = packet; }
    void Reset() override { meterPacket.clear(); }

    // Pages.
    std::unique_ptr<IPageView> BuildPage(const PageNode& node, const std::string& path) override;

    // Debug log.
    void AddLine(const std::string& text) override;

    // What a window would show.
    std::string connectElement = "BtnConnect";
    bool connectedLayout = false;
    bool settingsPanelShown = true;
    bool windowEnabled = true;
    bool progressShown = false;
    std::string title;
    std::vector<MessageShown> messages;
    bool abEnabled = false;
    bool aChecked = false;
    bool bChecked = false;
    bool treeViewChecked = true;
    bool userPresetButtonsShown = true;
    std::string fileToLoad;
    std::string fileToSave;
    std::optional<int> quitCode;
    std::string linkStatus;
    bool linkStatusStoppable = false;
    std::function<void(const std::string&)> onLinkStatus;

    std::string lockCodeText;
    std::function<void(ConnectionSettings&)> panelValues;
    // Host and lock code of every connection the processor took, in order.
    std::vector<std::pair<std::string, std::uint32_t>> keptSettings;

    std::vector<TreeItem> treeItems;
    bool treeVisible = true;
    bool treeEnabled = false;
    // What selecting a tree item does (the window opens the item's page).
    std::function<void(int record)> onSelectPage;
    std::optional<int> selectedItem;

    unsigned userPresetCount = 0;
    std::vector<std::pair<std::string, std::string>> rows;
    std::optional<unsigned> selectedRow;
    std::optional<unsigned> renameStarted;
    presets::PresetFlags flags;

    std::optional<std::uint8_t> meterModel;
    std::string meterBackground;
    ByteString meterPacket;

    std::size_t pagesBuilt = 0;

    std::vector<std::string> logLines;
    // Called with every message box and log line as they come.
    std::function<void(const MessageShown&)> onMessage;
    std::function<void(const std::string&)> onLog;
};
