#include "skin/ui/SkinStatic.h"

#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPlacement.h"

#include <QPainter>

namespace {
// Layout flags of the platform's text drawing, as skins write them.
constexpr int kDtCenter = 0x1;
constexpr int kDtRight = 0x2;
constexpr int kDtVCenter = 0x4;
constexpr int kDtBottom = 0x8;
constexpr int kDtWordBreak = 0x10;
constexpr int kDtSingleLine = 0x20;
constexpr int kDtExpandTabs = 0x40;
constexpr int kDtNoClip = 0x100;
} // namespace

CSkinStatic::CSkinStatic(std::string element, CSkinManager& manager)
    : CSkinClient(std::move(element), manager)
{
}

CSkinStatic::~CSkinStatic()
{
    Detach();
}

void CSkinStatic::Create(QWidget* parent, int controlId)
{
    CreateChildControl(*this, *this, parent, controlId);
}

void CSkinStatic::ApplySkin()
{
    if (!placedByOwner_)
        setGeometry(SkinRect(*this));
    if (!textFromProgram_)
        ShowText(GetString("caption"));
    const std::int32_t fill = GetLong("bkcolor");
    fill_ = fill != 0 ? SkinColour(*this, "bkcolor") : QColor();
    textColour_ = SkinColour(*this, "text_color");
    shadowColour_ = SkinColour(*this, "shadow_color");
    shadowOffset_ = QPoint(GetLong("shadow_hor"), GetLong("shadow_vert"));
    textFlags_ = TextFlags(GetLong("font_alignment"));
    setFont(SkinFont(*this));
    RebuildBox();
    update();
}

void CSkinStatic::SetText(const QString& text)
{
    textFromProgram_ = true;
    ShowText(text);
}

void CSkinStatic::ShowText(const QString& text)
{
    text_ = text;
    setAccessibleName(text);
    update();
}

void CSkinStatic::Place(const QRect& rect)
{
    placedByOwner_ = true;
    setGeometry(rect);
}

int CSkinStatic::TextFlags(int skinFlags)
{
    int flags = (skinFlags & kDtCenter) ? Qt::AlignHCenter : (skinFlags & kDtRight) ? Qt::AlignRight : Qt::AlignLeft;
    // Vertical placement applies to single lines only, as in the platform's layout.
    if (skinFlags & kDtSingleLine) {
        flags |= Qt::TextSingleLine;
        flags |= (skinFlags & kDtVCenter) ? Qt::AlignVCenter : (skinFlags & kDtBottom) ? Qt::AlignBottom : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (skinFlags & kDtWordBreak)
            flags |= Qt::TextWordWrap;
    }
    if (skinFlags & kDtExpandTabs)
        flags |= Qt::TextExpandTabs;
    if (skinFlags & kDtNoClip)
        flags |= Qt::TextDontClip;
    return flags;
}

void CSkinStatic::resizeEvent(QResizeEvent*)
{
    RebuildBox();
}

void CSkinStatic::RebuildBox()
{
    box_ = StretchedFace(*this, "background", size());
}

void CSkinStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!box_.isNull())
        painter.drawImage(0, 0, box_);
    else if (fill_.isValid())
        painter.fillRect(rect(), fill_);
    else
        PaintFaceBehind(painter, this);
    if (!(textFlags_ & Qt::TextDontClip))
        painter.setClipRect(rect());
    painter.setFont(font());
    if (!shadowOffset_.isNull()) {
        painter.setPen(shadowColour_);
        painter.drawText(rect().translated(shadowOffset_), textFlags_, text_);
    }
    painter.setPen(textColour_);
    painter.drawText(rect(), textFlags_, text_);
}
