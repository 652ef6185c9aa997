#include "skin/ui/SkinItemDelegate.h"

#include <QPainter>

namespace {
constexpr int kIconSize = 16;
constexpr int kPadding = 3; // between the cell's edge, the icon and the text
constexpr int kMinRowHeight = 18;
} // namespace

CSkinItemDelegate::CSkinItemDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void CSkinItemDelegate::SetIconSource(std::function<QIcon()> source)
{
    iconSource_ = std::move(source);
    icon_.reset();
}

const QIcon& CSkinItemDelegate::Icon() const
{
    if (!icon_) icon_ = iconSource_ ? iconSource_() : QIcon();
    return *icon_;
}

void CSkinItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const bool enabled = option.state & QStyle::State_Enabled;
    const QColor& text = selected ? colours_.selectedText : enabled ? colours_.text : colours_.disabledText;
    const QColor& back = selected ? colours_.selected : enabled ? colours_.background : colours_.disabled;

    painter->save();
    painter->fillRect(option.rect, back);
    QRect cell = option.rect.adjusted(kPadding, 0, -kPadding, 0);
    if (index.column() == 0 && !Icon().isNull()) {
        const QRect iconRect(cell.left(), cell.top() + (cell.height() - kIconSize) / 2, kIconSize, kIconSize);
        Icon().paint(painter, iconRect, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);
        cell.setLeft(iconRect.right() + 1 + kPadding);
    }
    painter->setFont(option.font);
    painter->setPen(text);
    const Qt::Alignment align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
    const QString shown = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                        cell.width());
    painter->drawText(cell, int((align ? align : Qt::AlignLeft) | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
    painter->restore();
}

QSize CSkinItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const int textHeight = option.fontMetrics.height() + 4;
    size.setHeight(std::max({kMinRowHeight, textHeight, Icon().isNull() ? 0 : kIconSize + 2}));
    return size;
}
