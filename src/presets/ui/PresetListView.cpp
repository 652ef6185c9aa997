#include "presets/ui/PresetListView.h"

#include "views/Messages.h"
#include "presets/PresetListRules.h"
#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPopupMenu.h"

#include <QContextMenuEvent>
#include <QHeaderView>

namespace {

constexpr int kLabelColumn = 0;
constexpr int kNameColumn = 1;

// Menu images in command order: the item's identifier picks its image.
constexpr const char* kMenuIcons[] = {"icon_load", "icon_save", "icon_rename", "icon_loadfile", "icon_savefile"};

}  // namespace

CPresetListView::CPresetListView(CSkinManager& manager, IMessagePoster& mainWindow)
    : CSkinList("List", manager), mainWindow_(mainWindow), rows_(manager, this)
{
    setItemDelegate(&rows_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setAccessibleName(QStringLiteral("Presets"));
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CPresetListView::OnSelectionChanged);
    connect(&rows_, &CPresetRowDelegate::NameEdited, this, &CPresetListView::OnNameEdited);
    connect(&rows_, &QAbstractItemDelegate::closeEditor, this, [this] {
        rows_.SetEditedRow(-1);
        viewport()->update();
    });
}

CPresetListView::~CPresetListView()
{
    // An editor still open commits as it goes; nobody is told any more.
    disconnect(&rows_, nullptr, this, nullptr);
}

CSkinEdit* CPresetListView::NameEditor() const
{
    if (rows_.EditedRow() < 0) return nullptr;
    return qobject_cast<CSkinEdit*>(indexWidget(model()->index(rows_.EditedRow(), kNameColumn)));
}

void CPresetListView::ApplySkin()
{
    CSkinList::ApplySkin();
    rows_.SetColours({SkinColour(*this, "bkcolor"), SkinColour(*this, "textcolor"),
                      SkinColour(*this, "current_text_color"), SkinColour(*this, "selection_color"),
                      SkinColour(*this, "selected_text_color")});
    viewport()->update();
}

void CPresetListView::Post(int id, std::uint32_t wParam, std::uint32_t lParam)
{
    mainWindow_.Post(AppMessage{id, wParam, lParam, {}});
}

void CPresetListView::DeleteAllRows()
{
    clear();
    lastSelected_ = presets::kNoPreset;
}

void CPresetListView::InsertRow(unsigned index, const std::string& label)
{
    auto* item = new QTreeWidgetItem;
    item->setText(kLabelColumn, QString::fromStdString(label));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    insertTopLevelItem(std::min(static_cast<int>(index), topLevelItemCount()), item);
}

void CPresetListView::SetRowName(unsigned index, const std::string& name)
{
    if (QTreeWidgetItem* item = topLevelItem(static_cast<int>(index)))
        item->setText(kNameColumn, QString::fromStdString(name).toUpper());
}

std::string CPresetListView::RowName(unsigned index)
{
    const QTreeWidgetItem* item = topLevelItem(static_cast<int>(index));
    return item ? item->text(kNameColumn).toStdString() : std::string();
}

std::optional<unsigned> CPresetListView::SelectedRow()
{
    const int row = GetSelectedIndex();
    if (row < 0) return std::nullopt;
    return static_cast<unsigned>(row);
}

void CPresetListView::Deselect(unsigned index)
{
    if (QTreeWidgetItem* item = topLevelItem(static_cast<int>(index))) item->setSelected(false);
}

void CPresetListView::StartRename(unsigned index)
{
    QTreeWidgetItem* item = topLevelItem(static_cast<int>(index));
    if (!item) return;
    setFocus();
    rows_.SetEditedRow(static_cast<int>(index));
    editItem(item, kNameColumn);
}

void CPresetListView::SetFlags(const presets::PresetFlags& flags)
{
    rows_.SetFlags(flags);
    viewport()->update();
}

void CPresetListView::OnSelectionChanged()
{
    const int row = GetSelectedIndex();
    if (row < 0 || row == lastSelected_) return;
    lastSelected_ = row;
    Post(msg::UM_PRESET_SELECTED, static_cast<std::uint32_t>(row));
}

void CPresetListView::contextMenuEvent(QContextMenuEvent* event)
{
    // The mouse names its row; the keyboard's menu key acts on the selected one.
    const bool byMouse = event->reason() == QContextMenuEvent::Mouse;
    QTreeWidgetItem* item = byMouse ? itemAt(event->pos()) : currentItem();
    if (!item) return;
    const int row = indexOfTopLevelItem(item);
    setCurrentItem(item);
    item->setSelected(true);
    setFocus();
    const QPoint at = byMouse ? event->globalPos() : viewport()->mapToGlobal(visualItemRect(item).bottomLeft());
    ShowMenu(row, at);
}

void CPresetListView::ShowMenu(int row, const QPoint& globalPos)
{
    menu_ = std::make_unique<CSkinPopupMenu>("PopupMenu", Manager(), this);
    const std::uint32_t mask = SkinMask(*this, "icon_colormask");
    for (const char* icon : kMenuIcons) menu_->AddImage(GetImage(icon), mask);
    for (presets::PresetCommand command : presets::MenuCommands(static_cast<unsigned>(row), userPresetCount_))
        menu_->AddItem(static_cast<int>(command), QString::fromUtf8(presets::PresetCommandText(command)));
    menu_->ApplySkin();
    connect(menu_.get(), &CSkinPopupMenu::CommandChosen, this, &CPresetListView::OnMenuCommand);
    menu_->popup(globalPos);
}

void CPresetListView::OnMenuCommand(int command)
{
    const int row = GetSelectedIndex();
    if (row < 0) return;
    // A factory row offers Load and Save to file only; anything else it sends
    // is Save to file.
    if (static_cast<unsigned>(row) >= userPresetCount_ && command != 0)
        command = static_cast<int>(presets::PresetCommand::SaveToFile);
    Post(msg::UM_PRESET_COMMAND, static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(command));
}

void CPresetListView::OnNameEdited(int row, const QString& name)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return;
    item->setText(kNameColumn, name);
    Post(msg::UM_PRESET_NAME_CHANGED, static_cast<std::uint32_t>(row));
    if (const int selected = GetSelectedIndex(); selected >= 0) Deselect(static_cast<unsigned>(selected));
}
