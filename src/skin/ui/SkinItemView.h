#pragma once

#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinItemDelegate.h"

#include <QTreeWidget>

// What the skinned tree and list share: a place in the parent from the skin,
// the skin font, item colours per state, no scroll bars and a focus mark on
// the current row. The scroll bars stay hidden but working: the window's own
// scroll buttons move verticalScrollBar().
class CSkinItemView : public QTreeWidget, public CSkinClient {
    Q_OBJECT
public:
    CSkinItemView(std::string element, CSkinManager& manager);
    ~CSkinItemView() override;

    // Makes the view a visible child of parent with the control identifier.
    void Create(QWidget* parent, int controlId);
    // Place, font and colours; derived views add their own keys.
    void ApplySkin() override;

    const CSkinItemDelegate::Colours& ItemColours() const { return delegate_.GetColours(); }

protected:
    // The item colours per state, read by the derived view from its keys.
    void SetItemColours(const CSkinItemDelegate::Colours& colours);
    CSkinItemDelegate& Delegate() { return delegate_; }

    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    CSkinItemDelegate delegate_;
};
