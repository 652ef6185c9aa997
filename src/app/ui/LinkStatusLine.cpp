#include "app/ui/LinkStatusLine.h"

#include "skin/ui/Skin.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinManager.h"
#include "skin/ui/SkinPaint.h"

#include <QPainter>

namespace {

// The skin's colour `property` of another element.
QColor ElementColour(const CSkinManager& manager, const char* element, const char* property)
{
    const CSkin* skin = manager.Skin();
    return skin ? QColor(SkinColourToRgb(static_cast<std::uint32_t>(skin->GetLong(element, property)))) : QColor();
}

// A flat button drawn in the colours of the page switches' captions.
class CStopButton : public QAbstractButton {
public:
    CStopButton(const CSkinManager& manager, QWidget* parent) : QAbstractButton(parent), manager_(manager)
    {
        setText(QStringLiteral("Stop"));
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const char* face = isDown() ? "text_color_down" : underMouse() || hasFocus() ? "text_color_over" : "text_color_up";
        p.setPen(ElementColour(manager_, "BtnMenu", "text_color_down"));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setPen(ElementColour(manager_, "BtnMenu", face));
        p.drawText(rect(), Qt::AlignCenter, text());
    }
    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }

private:
    const CSkinManager& manager_;
};

}  // namespace

CLinkStatusLine::CLinkStatusLine(CSkinManager& manager, QWidget* parent)
    : QWidget(parent), CSkinClient("Frame", manager), stop_(new CStopButton(manager, this))
{
    setObjectName(QStringLiteral("LinkStatus"));
    setAccessibleName(QStringLiteral("Link status"));
    connect(stop_, &QAbstractButton::clicked, this, &CLinkStatusLine::StopClicked);
    Attach(this);
    ApplySkin();
    hide();
}

CLinkStatusLine::~CLinkStatusLine()
{
    Detach();
}

void CLinkStatusLine::ApplySkin()
{
    // The band between the meters and the page switches.
    const CSkin* skin = Manager().Skin();
    if (!skin) return;
    const int left = skin->GetLong("Leds", "offset_left");
    const int top = skin->GetLong("Leds", "offset_top") + skin->GetLong("Leds", "height") + 2;
    const int bottom = skin->GetLong("BtnMenu", "offset_top") - 2;
    const int right = skin->GetLong("Frame", "offset_left") + skin->GetLong("Frame", "width");
    setGeometry(left, top, std::max(0, right - left), std::max(0, bottom - top));
    setFont(SkinFont(*this));
    stopPlaced_ = false;
    if (isVisible()) PlaceStopButton();
    update();
}

void CLinkStatusLine::PlaceStopButton()
{
    // Measuring loads the font, which the start-up picture does not need.
    const int buttonWidth = fontMetrics().horizontalAdvance(QStringLiteral("Stop")) + 24;
    stop_->setFont(font());
    stop_->setGeometry(width() - buttonWidth, 1, buttonWidth, std::max(0, height() - 2));
    stopPlaced_ = true;
}

void CLinkStatusLine::showEvent(QShowEvent* event)
{
    if (!stopPlaced_) PlaceStopButton();
    QWidget::showEvent(event);
}

void CLinkStatusLine::Show(const QString& text, bool stoppable)
{
    text_ = text;
    setAccessibleDescription(text);
    stop_->setVisible(stoppable);
    setVisible(!text.isEmpty());
    raise();
    update();
}

void CLinkStatusLine::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ElementColour(Manager(), "Tree", "bkcolor"));
    // A mark in the accent colour says this is news about the link.
    const QColor accent = ElementColour(Manager(), "BtnMenu", "text_color_down");
    p.fillRect(QRect(0, 0, 4, height()), accent);
    p.setPen(SkinColour(*this, "text_color"));
    const int textRight = stop_->isVisible() ? stop_->x() - 8 : width();
    p.drawText(QRect(12, 0, textRight - 12, height()), Qt::AlignVCenter | Qt::AlignLeft, text_);
}
