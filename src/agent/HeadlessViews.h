#pragma once

#include "app/DebugLineStore.h"
#include "views/Views.h"

#include <functional>
#include <string>

// The views of a controller that nobody looks at: the agent keeps no window,
// so a message box becomes a warning line and the session's log a debug line.
class CHeadlessViews : public IMainView,
                       public ISettingsPanelView,
                       public IPageTreeView,
                       public IPresetListView,
                       public IMeterView,
                       public IPageFactory,
                       public IDebugLog {
public:
    using LineFn = std::function<void(const std::string&)>;
    // `lockText`: the four characters of the lock code, as the settings panel
    // would hold them.
    CHeadlessViews(std::string lockText, LineFn warn, LineFn debug)
        : lockText_(std::move(lockText)), warn_(std::move(warn)), debug_(std::move(debug))
    {
    }

    // IMainView
    void SetConnectElement(const std::string&) override {}
    void SetConnectedLayout(bool) override {}
    void HideSettingsPanel() override {}
    void EnableWindow(bool) override {}
    void ShowProgress() override {}
    void CloseProgress() override {}
    void SetTitle(const std::string&) override {}
    void ShowMessage(const std::string& text, const std::string& caption) override
    {
        warn_(caption.empty() ? text : caption + ": " + text);
    }
    void EnableAB(bool) override {}
    void SetAChecked(bool) override {}
    void SetBChecked(bool) override {}
    bool IsTreeViewChecked() override { return false; }
    void ShowUserPresetButtons(bool) override {}
    std::string ChoosePresetFileToLoad() override { return {}; }
    std::string ChoosePresetFileToSave() override { return {}; }
    void QuitMessageLoop(int) override {}
    void ShowLinkStatus(const std::string& text, bool) override
    {
        if (!text.empty()) warn_(text);
    }

    // ISettingsPanelView: the settings come from the config file, never a panel.
    void ApplyPanel(ConnectionSettings&) override {}
    std::string LockCodeText() override { return lockText_; }
    void KeepConnectedSettings(const ConnectionSettings&) override {}

    // IPageTreeView
    void Clear() override {}
    void SetVisible(bool) override {}
    void SetEnabled(bool) override {}
    void AddItem(int, int, const std::string&, bool) override {}
    void SelectFirstItem() override {}
    void SelectItem(int) override {}

    // IPresetListView
    void SetUserPresetCount(unsigned) override {}
    void DeleteAllRows() override {}
    void InsertRow(unsigned, const std::string&) override {}
    void SetRowName(unsigned, const std::string&) override {}
    std::string RowName(unsigned) override { return {}; }
    std::optional<unsigned> SelectedRow() override { return std::nullopt; }
    void Deselect(unsigned) override {}
    void StartRename(unsigned) override {}
    void SetFlags(const presets::PresetFlags&) override {}

    // IMeterView
    void SetModel(std::uint8_t) override {}
    void SetBackground(const std::string&) override {}
    void Update(const ByteString&) override {}
    void Reset() override {}

    // IPageFactory: no pages are shown, so none is built.
    std::unique_ptr<IPageView> BuildPage(const PageNode&, const std::string&) override { return nullptr; }

    // IDebugLog
    void AddLine(const std::string& text) override { debug_(text); }

private:
    std::string lockText_;
    LineFn warn_;
    LineFn debug_;
};
