#include "presets/ui/PresetRowDelegate.h"

#include "presets/PresetListRules.h"
#include "skin/ui/SkinEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace {

constexpr int kNameColumn = 1;
constexpr int kTextInset = 1;

}  // namespace

CPresetRowDelegate::CPresetRowDelegate(CSkinManager& manager, QObject* parent)
    : QStyledItemDelegate(parent), manager_(manager)
{
}

QString CPresetRowDelegate::NameText(const QModelIndex& index) const
{
    const std::string name = index.data().toString().toStdString();
    return QString::fromStdString(presets::MarkedName(name, static_cast<unsigned>(index.row()), flags_));
}

QColor CPresetRowDelegate::TextColour(int row, bool selected) const
{
    if (selected) return colours_.selectedText;
    return row == flags_.current ? colours_.currentText : colours_.text;
}

QColor CPresetRowDelegate::BackgroundColour(bool selected) const
{
    return selected ? colours_.selection : colours_.background;
}

int CPresetRowDelegate::RowHeight(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int height = metrics.height() + metrics.leading();
    return height + height / 4;
}

void CPresetRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->fillRect(option.rect, BackgroundColour(selected));
    const bool editing = index.column() == kNameColumn && index.row() == editedRow_;
    if (!editing) {
        const QString text = index.column() == kNameColumn ? NameText(index) : index.data().toString();
        painter->setPen(TextColour(index.row(), selected));
        painter->setFont(option.font);
        painter->setClipRect(option.rect);
        painter->drawText(option.rect.adjusted(kTextInset, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }
    painter->restore();
}

QSize CPresetRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(RowHeight(option.font));
    return size;
}

QWidget* CPresetRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex& index) const
{
    if (index.column() != kNameColumn || index.row() != editedRow_) return nullptr;
    auto* edit = new CSkinEdit("ListEdit", manager_);
    edit->Create(parent, 0);
    edit->setMaxLength(kNameLength);
    // The processor keeps names as single bytes: printable ASCII only.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[ -~]*")), edit));
    edit->setAccessibleName(QStringLiteral("Preset name"));
    return edit;
}

void CPresetRowDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex&) const
{
    auto* edit = static_cast<CSkinEdit*>(editor);
    // Centred on the row, whatever height the skin gives the editor.
    const int height = edit->height();
    const QRect row = option.rect;
    edit->Place(QRect(row.left(), row.top() + (row.height() - height) / 2, row.width(), height));
}

void CPresetRowDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    static_cast<CSkinEdit*>(editor)->setText(index.data().toString());
}

bool CPresetRowDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            emit commitData(editor);
            emit closeEditor(editor, NoHint);
            return true;
        }
    }
    if (editor && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
        return false;
    return QStyledItemDelegate::eventFilter(watched, event);
}

void CPresetRowDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    // The list sets the name itself; the model's own change is refused.
    const QString text = static_cast<CSkinEdit*>(editor)->text();
    if (!text.isEmpty()) emit NameEdited(index.row(), text.toUpper());
}
