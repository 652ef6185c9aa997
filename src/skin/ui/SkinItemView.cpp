#include "skin/ui/SkinItemView.h"

#include "skin/ui/SkinFocusMark.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinPlacement.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

CSkinItemView::CSkinItemView(std::string element, CSkinManager& manager)
    : CSkinClient(std::move(element), manager)
    , delegate_(this)
{
    setItemDelegate(&delegate_);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

CSkinItemView::~CSkinItemView()
{
    Detach();
}

void CSkinItemView::Create(QWidget* parent, int controlId)
{
    setParent(parent);
    SetControlId(this, controlId);
    Attach(this);
    ApplySkin();
    show();
}

void CSkinItemView::ApplySkin()
{
    // Fonts before the size: a new size measures the header, and measuring
    // it in the default font would load a font the view never draws.
    setFont(SkinFont(*this));
    header()->setFont(font());
    setGeometry(SkinRect(*this));
}

void CSkinItemView::SetItemColours(const CSkinItemDelegate::Colours& colours)
{
    delegate_.SetColours(colours);
    QPalette palette = this->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, colours.background);
        palette.setColor(group, QPalette::Window, colours.background);
        palette.setColor(group, QPalette::Text, colours.text);
        palette.setColor(group, QPalette::WindowText, colours.text);
        palette.setColor(group, QPalette::ButtonText, colours.text);
        palette.setColor(group, QPalette::Button, colours.background);
        palette.setColor(group, QPalette::Highlight, colours.selected);
        palette.setColor(group, QPalette::HighlightedText, colours.selectedText);
    }
    setPalette(palette);
    viewport()->update();
}

void CSkinItemView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QTreeWidget::drawRow(painter, option, index);
    const QModelIndex current = currentIndex();
    if (hasFocus() && current.isValid() && current.row() == index.row() && current.parent() == index.parent()) {
        const bool selected = selectionModel() && selectionModel()->isSelected(index);
        const CSkinItemDelegate::Colours& colours = delegate_.GetColours();
        // Around the row's cells, not the empty room right of the last column.
        QRect row = option.rect;
        row.setRight(std::min(row.right(), header()->length() - header()->offset() - 1));
        DrawSkinFocusMark(*painter, row, selected ? colours.selectedText : colours.text);
    }
}
