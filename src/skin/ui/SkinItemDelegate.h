#pragma once

#include <QColor>
#include <QIcon>
#include <QStyledItemDelegate>

#include <functional>
#include <optional>

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
    // Where the icon before every item comes from, asked on the first row that
    // needs it (reading an icon file loads Qt's image plugins, which the view
    // may never need) and again after the next call. No source or a null icon
    // shows items without images.
    void SetIconSource(std::function<QIcon()> source);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const QIcon& Icon() const;

    Colours colours_;
    std::function<QIcon()> iconSource_;
    mutable std::optional<QIcon> icon_;
};
