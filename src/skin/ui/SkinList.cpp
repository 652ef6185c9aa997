#include "skin/ui/SkinList.h"

#include "skin/ui/SkinPaint.h"

#include <QHeaderView>

#include <algorithm>
#include <string>

namespace {
// A typo in the skin must not make a million columns.
constexpr int kMaxColumns = 64;
} // namespace

CSkinList::CSkinList(std::string element, CSkinManager& manager)
    : CSkinItemView(std::move(element), manager)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    // The skin's widths stand as written, also below the style's minimum.
    header()->setMinimumSectionSize(0);
    // Shown only when the skin gives captions: a header that is shown measures
    // its captions at every font change, loading a bold font of its own.
    setHeaderHidden(true);
}

void CSkinList::ApplySkin()
{
    CSkinItemView::ApplySkin();
    const QColor text = SkinColour(*this, "textcolor");
    const QColor background = SkinColour(*this, "bkcolor");
    SetItemColours({text, background, SkinColour(*this, "selected_text_color"), SkinColour(*this, "selection_color"),
                    text, background});
    ApplyColumns();
}

void CSkinList::ApplyColumns()
{
    const int count = std::clamp(GetLong("col_number"), 0, kMaxColumns);
    QStringList captions;
    for (int i = 0; i < count; ++i)
        captions << GetString("col" + std::to_string(i) + "_caption");
    setHeaderHidden(std::all_of(captions.begin(), captions.end(), [](const QString& c) { return c.isEmpty(); }));
    setColumnCount(count);
    setHeaderLabels(captions);
    for (int i = 0; i < count; ++i)
        setColumnWidth(i, std::max(0, GetLong("col" + std::to_string(i) + "_width")));
}

int CSkinList::GetSelectedIndex() const
{
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        if (!index.parent().isValid() && (first < 0 || index.row() < first))
            first = index.row();
    return first;
}
