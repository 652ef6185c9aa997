#pragma once

#include "presets/PresetModel.h"

#include <QColor>
#include <QStyledItemDelegate>

class CSkinManager;

// Draws the preset list's rows and makes its in-place name editor ("ListEdit"):
// selected rows in the selection colours, the current preset's row in its own
// text colour, and the TR, DP and DEF markers after the name.
class CPresetRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    struct Colours {
        QColor background, text, currentText, selection, selectedText;
    };

    // Longest preset name the processor keeps.
    static constexpr int kNameLength = 15;

    CPresetRowDelegate(CSkinManager& manager, QObject* parent);

    void SetColours(const Colours& colours) { colours_ = colours; }
    const Colours& GetColours() const { return colours_; }
    void SetFlags(const presets::PresetFlags& flags) { flags_ = flags; }
    const presets::PresetFlags& Flags() const { return flags_; }
    // The row whose name is being edited, or -1.
    void SetEditedRow(int row) { editedRow_ = row; }
    int EditedRow() const { return editedRow_; }

    // The text column 1 shows for a row: its name and markers.
    QString NameText(const QModelIndex& index) const;
    QColor TextColour(int row, bool selected) const;
    QColor BackgroundColour(bool selected) const;
    // Character height plus leading, and a quarter of that again.
    static int RowHeight(const QFont& font);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Only the name of the row being renamed gets an editor; nothing else is editable.
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // The edit ended with Enter or focus loss (Escape never comes here).
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    // Tab and Backtab end the edit in place; only the operator's click elsewhere
    // ends it by taking the focus (not a window that takes it for a moment).
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A confirmed, non-empty name; the text is already upper case.
    void NameEdited(int row, const QString& name) const;

private:
    CSkinManager& manager_;
    Colours colours_;
    presets::PresetFlags flags_;
    int editedRow_ = -1;
};
