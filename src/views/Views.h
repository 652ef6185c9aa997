#pragma once

#include "common/ByteString.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ConnectionSettings;
struct ControlRecord;
struct PageNode;
namespace presets {
struct PresetFlags;
}

// The screen as the connection controller sees it. The Qt main window and the
// command-line tool implement these; nothing here knows about widgets, and this
// folder sits below every feature so that each feature's ui/ can implement its
// view without importing the application.

class IMainView {
public:
    virtual ~IMainView() = default;
    // "BtnConnect" while disconnected, "BtnDisconnect" while connected.
    virtual void SetConnectElement(const std::string& element) = 0;
    // Connected: page tree, preset list and preset buttons enabled, settings
    // panel hidden. Disconnected: those disabled, settings panel shown.
    virtual void SetConnectedLayout(bool connected) = 0;
    virtual void HideSettingsPanel() = 0;
    virtual void EnableWindow(bool enabled) = 0;
    virtual void ShowProgress() = 0;
    virtual void CloseProgress() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // A message box with an OK button.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    virtual void EnableAB(bool enabled) = 0;
    // Checks (or unchecks) the button and repaints it.
    virtual void SetAChecked(bool checked) = 0;
    virtual void SetBChecked(bool checked) = 0;
    // Whether the tree view button "BtnMenu" is checked.
    virtual bool IsTreeViewChecked() = 0;
    // Save, Rename and Load from file of the preset button bar.
    virtual void ShowUserPresetButtons(bool shown) = 0;
    // Empty when the operator cancels.
    virtual std::string ChoosePresetFileToLoad() = 0;
    virtual std::string ChoosePresetFileToSave() = 0;
    virtual void QuitMessageLoop(int exitCode) = 0;
    // The status line: what happened to the link and when; empty hides it.
    // stoppable offers the Stop button that ends reconnecting.
    virtual void ShowLinkStatus(const std::string& text, bool stoppable) = 0;
};

// Reads the connection settings panel.
class ISettingsPanelView {
public:
    virtual ~ISettingsPanelView() = default;
    // Writes every field into the record (refused values too).
    virtual void ApplyPanel(ConnectionSettings& settings) = 0;
    // The lock-code field as typed; it must hold exactly four characters.
    virtual std::string LockCodeText() = 0;
    // The processor took these settings (lock code accepted, model known):
    // keep them now, not only at a normal exit.
    virtual void KeepConnectedSettings(const ConnectionSettings& settings) = 0;
};

class IPageTreeView {
public:
    virtual ~IPageTreeView() = default;
    virtual void Clear() = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // parent is -1 for top-level items; hasPage: the node has controls of its own.
    virtual void AddItem(int record, int parent, const std::string& name, bool hasPage) = 0;
    // Selecting an item opens its page (a group without controls opens its
    // first child), as if the operator had clicked it.
    virtual void SelectFirstItem() = 0;
    virtual void SelectItem(int record) = 0;
};

class IPresetListView {
public:
    virtual ~IPresetListView() = default;
    virtual void SetUserPresetCount(unsigned count) = 0;
    virtual void DeleteAllRows() = 0;
    virtual void InsertRow(unsigned index, const std::string& label) = 0;
    virtual void SetRowName(unsigned index, const std::string& name) = 0;
    // Column 1 as it stands (after an in-place edit).
    virtual std::string RowName(unsigned index) = 0;
    virtual std::optional<unsigned> SelectedRow() = 0;
    virtual void Deselect(unsigned index) = 0;
    virtual void StartRename(unsigned index) = 0;
    virtual void SetFlags(const presets::PresetFlags& flags) = 0;
};

class IMeterView {
public:
    virtual ~IMeterView() = default;
    virtual void SetModel(std::uint8_t code) = 0;
    virtual void SetBackground(const std::string& key) = 0;
    virtual void Update(const ByteString& statusPacket) = 0;
    virtual void Reset() = 0;
};

// One parameter control of the open page.
class IBoundControl {
public:
    virtual ~IBoundControl() = default;
    // The control's own copy of its records; the first one is the bound one.
    virtual std::vector<ControlRecord>& Records() = 0;
    virtual void SetDeviceValue(std::uint8_t raw) = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

class IPageView {
public:
    virtual ~IPageView() = default;
    // In build order; valid as long as the page lives.
    virtual std::vector<IBoundControl*> BoundControls() = 0;
    // Fills every preset-choice field with "Off" and the preset names.
    virtual void SetPresetChoices(const std::vector<std::string>& choices) = 0;
    virtual void SetVisible(bool visible) = 0;
};

class IPageFactory {
public:
    virtual ~IPageFactory() = default;
    // Null when the node has no control items.
    virtual std::unique_ptr<IPageView> BuildPage(const PageNode& node, const std::string& captionPath) = 0;
};
