#include "skin/ui/SkinPopupMenu.h"

#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinPaint.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace {
constexpr int kIconColumn = 19; // the highlight starts right of the icon column
constexpr int kIconLeft = 2;
constexpr int kTextLeft = 22;
constexpr int kSeparatorHeight = 7;
constexpr int kPanelMargin = 3;
constexpr const char* kCommandProperty = "vexlorCommand";

// Measures and draws the menu's items from the skin, the way owner-drawn
// items are; everything else is the application's style.
class PopupStyle : public QProxyStyle {
public:
    explicit PopupStyle(const CSkinPopupMenu& menu)
        : menu_(menu)
    {
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        switch (metric) {
        case PM_MenuPanelWidth:
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuDesktopFrameWidth:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || !item)
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        if (item->menuItemType == QStyleOptionMenuItem::Separator)
            return QSize(kTextLeft, kSeparatorHeight);
        return menu_.ItemSize(item->text);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || !item) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        DrawItem(*item, *painter);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_PanelMenu || element == PE_FrameMenu) {
            painter->fillRect(option->rect, menu_.ItemColours().background);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    void DrawItem(const QStyleOptionMenuItem& item, QPainter& painter) const
    {
        const CSkinPopupMenu::Colours& colours = menu_.ItemColours();
        const QRect r = item.rect;
        if (item.menuItemType == QStyleOptionMenuItem::Separator) {
            painter.fillRect(r, colours.background);
            painter.fillRect(QRect(r.left() + kTextLeft, r.center().y(), r.width() - kTextLeft - 2, 1),
                             colours.selected);
            return;
        }
        const bool highlighted = item.state & State_Selected;
        if (highlighted) {
            painter.fillRect(QRect(r.left() + kIconColumn, r.top(), r.width() - kIconColumn, r.height()),
                             colours.selected);
            painter.fillRect(QRect(r.left(), r.top(), kIconColumn, r.height()), colours.background);
        } else {
            painter.fillRect(r, colours.background);
        }
        if (!item.icon.isNull())
            painter.drawPixmap(r.left() + kIconLeft, r.top(),
                               item.icon.pixmap(QSize(16, 16), painter.device()->devicePixelRatioF()));
        QColor text = highlighted ? colours.selectedText : colours.text;
        if (!(item.state & State_Enabled))
            text.setAlphaF(0.45f);
        painter.setPen(text);
        painter.setFont(menu_.font());
        painter.drawText(QRect(r.left() + kTextLeft, r.top(), r.width() - kTextLeft, r.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, item.text);
    }

    const CSkinPopupMenu& menu_;
};
} // namespace

CSkinPopupMenu::CSkinPopupMenu(std::string element, CSkinManager& manager, QWidget* parent)
    : QMenu(parent)
    , CSkinClient(std::move(element), manager)
    , style_(std::make_unique<PopupStyle>(*this))
{
    setStyle(style_.get());
    // Items keep their measured size; the panel's margin keeps the longest
    // text off the menu's edge.
    setContentsMargins(kPanelMargin, kPanelMargin, kPanelMargin, kPanelMargin);
    Attach(this);
    ApplySkin();
    connect(this, &QMenu::triggered, this,
            [this](QAction* action) { emit CommandChosen(action->property(kCommandProperty).toInt()); });
}

CSkinPopupMenu::~CSkinPopupMenu()
{
    Detach();
    setStyle(nullptr);
}

void CSkinPopupMenu::ApplySkin()
{
    setFont(SkinFont(*this));
    colours_ = {SkinColour(*this, "bkcolor_normal"), SkinColour(*this, "bkcolor_selected"),
                SkinColour(*this, "textcolor_normal"), SkinColour(*this, "textcolor_selected")};
    update();
}

void CSkinPopupMenu::AddImage(const QImage& bitmap, std::uint32_t maskColour)
{
    // A twin keeps its device pixels: the icon is as sharp as the screen.
    QPixmap image(bitmap.size().isEmpty() ? QSize(16, 16) : bitmap.size());
    image.setDevicePixelRatio(bitmap.isNull() ? 1.0 : bitmap.devicePixelRatio());
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        DrawMasked(painter, QPoint(0, 0), bitmap, RegionFromBitmap(bitmap, maskColour));
    }
    images_.push_back(image);
    for (QAction* action : actions())
        ShowImage(action);
}

void CSkinPopupMenu::ShowImage(QAction* action) const
{
    if (const QPixmap* image = Image(action->property(kCommandProperty).toInt()))
        action->setIcon(QIcon(*image));
}

QAction* CSkinPopupMenu::AddItem(int command, const QString& text)
{
    QAction* action = addAction(text);
    action->setProperty(kCommandProperty, command);
    ShowImage(action);
    return action;
}

const QPixmap* CSkinPopupMenu::Image(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= images_.size())
        return nullptr;
    return &images_[static_cast<std::size_t>(index)];
}

QSize CSkinPopupMenu::ItemSize(const QString& text) const
{
    const QFontMetrics metrics(font());
    const int textHeight = metrics.height();
    return QSize(metrics.horizontalAdvance(QString(text).remove(QLatin1Char('&'))) + kTextLeft,
                 textHeight < 16 ? 20 : textHeight + 4);
}

int CSkinPopupMenu::Exec(const QPoint& globalPos)
{
    const QAction* chosen = exec(globalPos);
    return chosen ? chosen->property(kCommandProperty).toInt() : 0;
}
