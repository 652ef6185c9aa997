#pragma once

#include <QColor>
#include <QIcon>
#include <QStyledItemDelegate>

// Draws the items of the skinned tree and list: text and background per state
// (selected, disabled, normal) and an optional icon before every item.
class CSkinItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    struct Colours {
        QColor text, background;
        QColor selectedText, selected;
        QColor disabledText, disabled;
    };

    explicit CSkinItemDelegate(QObject* parent = nullptr);

    void SetColours(const Colours& colours) { colours_ = colours; }
    const Colours& GetColours() const { return colours_; }
    // A null icon shows items without images.
    void SetIcon(const QIcon& icon) { icon_ = icon; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    Colours colours_;
    QIcon icon_;
};
