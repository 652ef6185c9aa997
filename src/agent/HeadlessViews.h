#pragma once

#include "app/DebugLineStore.h"
#include "app/HeadlessPage.h"
#include "presets/PresetModel.h"
#include "views/Views.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The views of a controller that no window shows: the agent keeps no window,
// so a message box becomes a warning line and the session's log a debug line.
// What a window would show that another front end needs (the browser remote
// draws it) is kept in `shown`; pages are built headless, so the controller
// binds, reads and walks them as it does a window's.
class CHeadlessViews : public IMainView,
                       public ISettingsPanelView,
                       public IPageTreeView,
                       public IPresetListView,
                       public IMeterView,
                       public IPageFactory,
                       public IDebugLog {
public:
    using LineFn = std::function<void(const std::string&)>;
    // `lockCode`: the code the settings panel would hold, as its four digits.
    CHeadlessViews(std::uint32_t lockCode, LineFn warn, LineFn debug)
        : lockText_(LockText(lockCode)), warn_(std::move(warn)), debug_(std::move(debug))
    {
    }

    struct Shown {
        std::string title;
        std::string message;  // the last message box
        bool abEnabled = false, a = false, b = false;
        presets::PresetFlags flags;
        std::vector<std::string> rowNames;  // by preset row
        std::optional<unsigned> selectedRow;
        // What the file choosers answer.
        std::string fileToLoad, fileToSave;
    };
    Shown shown;
    // What choosing a page does (the window opens it); nothing when unset.
    std::function<void(int record)> openPage;

    // IMainView
    void SetConnectElement(const std::string&) override {}
    void SetConnectedLayout(bool) override {}
    void HideSettingsPanel() override {}
    void EnableWindow(bool) override {}
    void ShowProgress() override {}
    void CloseProgress() override {}
    void SetTitle(const std::string& text) override { shown.title = text; }
    void ShowMessage(const std::string& text, const std::string& caption) override
    {
        shown.message = text;
        warn_(caption.empty() ? text : caption + ": " + text);
    }
    void EnableAB(bool enabled) override { shown.abEnabled = enabled; }
    void SetAChecked(bool checked) override { shown.a = checked; }
    void SetBChecked(bool checked) override { shown.b = checked; }
    bool IsTreeViewChecked() override { return false; }
    void ShowUserPresetButtons(bool) override {}
    std::string ChoosePresetFileToLoad() override { return shown.fileToLoad; }
    std::string ChoosePresetFileToSave() override { return shown.fileToSave; }
    void QuitMessageLoop(int) override {}
    void ShowLinkStatus(const std::string& text, bool) override
    {
        if (!text.empty()) warn_(text);
    }

    // ISettingsPanelView: the settings come from the config file, never a panel.
    void ApplyPanel(ConnectionSettings&) override {}
    std::string LockCodeText() override { return lockText_; }
    void KeepConnectedSettings(const ConnectionSettings&) override {}

    // IPageTreeView: the first item with a page is opened, as a window opens it.
    void Clear() override { firstPage_.reset(); }
    void SetVisible(bool) override {}
    void SetEnabled(bool) override {}
    void AddItem(int record, int, const std::string&, bool hasPage) override
    {
        if (hasPage && !firstPage_) firstPage_ = record;
    }
    void SelectFirstItem() override
    {
        if (firstPage_) SelectItem(*firstPage_);
    }
    void SelectItem(int record) override
    {
        if (openPage) openPage(record);
    }

    // IPresetListView
    void SetUserPresetCount(unsigned) override {}
    void DeleteAllRows() override { shown.rowNames.clear(); }
    void InsertRow(unsigned index, const std::string&) override
    {
        shown.rowNames.insert(shown.rowNames.begin() + std::min<std::size_t>(index, shown.rowNames.size()), "");
    }
    void SetRowName(unsigned index, const std::string& name) override
    {
        if (index < shown.rowNames.size()) shown.rowNames[index] = name;
    }
    std::string RowName(unsigned index) override
    {
        return index < shown.rowNames.size() ? shown.rowNames[index] : std::string();
    }
    std::optional<unsigned> SelectedRow() override { return shown.selectedRow; }
    void Deselect(unsigned index) override
    {
        if (shown.selectedRow == index) shown.selectedRow.reset();
    }
    void StartRename(unsigned) override {}
    void SetFlags(const presets::PresetFlags& flags) override { shown.flags = flags; }

    // IMeterView
    void SetModel(std::uint8_t) override {}
    void SetBackground(const std::string&) override {}
    void Update(const ByteString&) override {}
    void Reset() override {}

    // IPageFactory
    std::unique_ptr<IPageView> BuildPage(const PageNode& node, const std::string& path) override
    {
        if (node.items.empty()) return nullptr;
        return std::make_unique<CTextPage>(node, path);
    }

    // IDebugLog
    void AddLine(const std::string& text) override { debug_(text); }

private:
    static std::string LockText(std::uint32_t code)
    {
        char text[8];
        std::snprintf(text, sizeof text, "%04u", code % 10000);
        return text;
    }

    std::string lockText_;
    LineFn warn_;
    LineFn debug_;
    std::optional<int> firstPage_;
};
