#include "skin/ui/SkinTree.h"

#include "skin/ui/SkinPaint.h"

#include <QHeaderView>

CSkinTree::CSkinTree(std::string element, CSkinManager& manager)
    : CSkinItemView(std::move(element), manager)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(14);
}

void CSkinTree::ApplySkin()
{
    CSkinItemView::ApplySkin();
    SetItemColours({SkinColour(*this, "text_color"), SkinColour(*this, "bkcolor"),
                    SkinColour(*this, "selected_text_color"), SkinColour(*this, "selection_color"),
                    SkinColour(*this, "disabled_text_color"), SkinColour(*this, "disabled_color")});
    Delegate().SetIconSource([this] { return GetIcon("icon"); });
    doItemsLayout();
}
