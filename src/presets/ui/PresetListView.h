#pragma once

#include "views/Views.h"
#include "presets/ui/PresetRowDelegate.h"
#include "skin/ui/SkinList.h"

#include <memory>

class CSkinEdit;
class CSkinPopupMenu;
class IMessagePoster;

// The preset list ("List"): one row per preset with its label and name, the
// current preset and the TR, DP and DEF markers, a context menu with the preset
// commands (all five on user presets, Load and Save to file on factory ones)
// and in-place renaming. It holds no preset logic: commands, finished renames
// and selections go to the main window as UM_PRESET_COMMAND,
// UM_PRESET_NAME_CHANGED and UM_PRESET_SELECTED.
//
//   auto* list = new CPresetListView(manager, poster);  // poster: CQtMessagePoster(mainWindow)
//   list->Create(mainWindow, id);
//   controller views: *list (IPresetListView)
class CPresetListView : public CSkinList, public IPresetListView {
    Q_OBJECT
public:
    CPresetListView(CSkinManager& manager, IMessagePoster& mainWindow);
    ~CPresetListView() override;

    void ApplySkin() override;

    void SetUserPresetCount(unsigned count) override { userPresetCount_ = count; }
    void DeleteAllRows() override;
    void InsertRow(unsigned index, const std::string& label) override;
    void SetRowName(unsigned index, const std::string& name) override;
    std::string RowName(unsigned index) override;
    std::optional<unsigned> SelectedRow() override;
    void Deselect(unsigned index) override;
    void StartRename(unsigned index) override;
    void SetFlags(const presets::PresetFlags& flags) override;

    unsigned UserPresetCount() const { return userPresetCount_; }
    const CPresetRowDelegate& Rows() const { return rows_; }
    // The context menu last shown for `row` (the menu stays until the next one).
    void ShowMenu(int row, const QPoint& globalPos);
    CSkinPopupMenu* Menu() const { return menu_.get(); }
    // The in-place name editor while a rename is open.
    CSkinEdit* NameEditor() const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnSelectionChanged();
    void OnMenuCommand(int command);
    void OnNameEdited(int row, const QString& name);
    void Post(int id, std::uint32_t wParam, std::uint32_t lParam = 0);

    IMessagePoster& mainWindow_;
    CPresetRowDelegate rows_;
    std::unique_ptr<CSkinPopupMenu> menu_;
    unsigned userPresetCount_ = 255;  // until the model is known every row is a user preset
    int lastSelected_ = presets::kNoPreset;
};
