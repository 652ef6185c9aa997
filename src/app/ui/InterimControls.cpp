#include "app/ui/InterimControls.h"

#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinManager.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

CInterimButton::CInterimButton(const std::string& element, CSkinManager& manager, QWidget* parent, int id)
    : QAbstractButton(parent), CSkinClient(element, manager)
{
    SetControlId(this, id);
    setObjectName(QString::fromStdString(element));
    Attach(this);
    ApplySkin();
    connect(this, &QAbstractButton::pressed, this, &CInterimButton::Scroll);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (direction_ < 0 && GetLong("stick")) SetStuck(true);
    });
}

void CInterimButton::ApplySkin()
{
    const QImage up = GetImage("up");
    const int w = GetLong("width") ? GetLong("width") : up.width();
    const int h = GetLong("width") ? GetLong("height") : up.height();
    setGeometry(GetLong("offset_left"), GetLong("offset_top"), w, h);
    setFont(SkinFont(*this));
    if (!GetString("caption").isEmpty()) setText(GetString("caption"));
    setToolTip(GetString("tip"));
    update();
}

bool CInterimButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void CInterimButton::mouseReleaseEvent(QMouseEvent* event)
{
    QAbstractButton::mouseReleaseEvent(event);
}

void CInterimButton::Scroll()
{
    auto* area = qobject_cast<QAbstractScrollArea*>(target_);
    if (!area || direction_ < 0) return;
    area->verticalScrollBar()->triggerAction(direction_ == 0 ? QAbstractSlider::SliderSingleStepSub
                                                             : QAbstractSlider::SliderSingleStepAdd);
}

void CInterimButton::paintEvent(QPaintEvent*)
{
    const bool down = stuck_ || isDown();
    const char* face = !isEnabled() ? (down ? "down_disabled" : "disabled") : down ? "down" : hover_ ? "over" : "up";
    const char* colour = !isEnabled() ? (down ? "text_color_down_disabled" : "text_color_disabled")
                         : down       ? "text_color_down"
                         : hover_     ? "text_color_over"
                                      : "text_color_up";
    QImage image = GetImage(face);
    if (image.isNull()) image = GetImage("up");
    QPainter p(this);
    p.setClipRegion(RegionFromBitmap(GetImage("up"), static_cast<std::uint32_t>(GetLong("bkcolormask"))));
    p.drawImage(rect(), image);
    if (GetLong("draw_text")) {
        p.setPen(QColor(SkinColourToRgb(static_cast<std::uint32_t>(GetLong(colour)))));
        p.drawText(rect(), Qt::AlignCenter, text());
    }
}

CInterimFace::CInterimFace(const std::string& element, CSkinManager& manager, QWidget* parent)
    : QWidget(parent), CSkinClient(element, manager)
{
    setObjectName(QString::fromStdString(element));
    Attach(this);
    ApplySkin();
}

void CInterimFace::ApplySkin()
{
    background_ = GetImage("background");
    move(GetLong("offset_left"), GetLong("offset_top"));
    resize(background_.size());
    setMask(RegionFromBitmap(background_, static_cast<std::uint32_t>(GetLong("bkcolormask"))));
    setWindowTitle(GetString("caption"));
}

void CInterimFace::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, background_);
    CSkin* skin = Manager().Skin();
    if (!skin) return;
    for (const QString& name : GetString("statics").split(';', Qt::SkipEmptyParts)) {
        const std::string e = name.toStdString();
        const QRect r(skin->GetLong(e, "offset_left"), skin->GetLong(e, "offset_top"), skin->GetLong(e, "width"),
                      skin->GetLong(e, "height"));
        QFont font(skin->GetString(e, "font"));
        font.setPixelSize(std::max(1, skin->GetLong(e, "font_height")));
        font.setBold(skin->GetLong(e, "bold") != 0);
        p.setFont(font);
        p.setPen(QColor(0xE4, 0xE7, 0xEB));
        p.drawText(r, Qt::AlignCenter, skin->GetString(e, "caption"));
    }
}

#include "settings/ConnectionSettings.h"

CInterimViews::CInterimViews(const ConnectionSettings& settings, QWidget* parent)
    : list(new QListWidget(parent)), settings_(settings)
{
}

std::string CInterimViews::LockCodeText()
{
    std::string text = std::to_string(settings_.lockCode);
    while (text.size() < 4) text.insert(text.begin(), '0');
    return text;
}

void CInterimViews::InsertRow(unsigned index, const std::string& label)
{
    index = std::min<unsigned>(index, static_cast<unsigned>(rows_.size()));
    rows_.insert(rows_.begin() + index, {label, ""});
    list->insertItem(static_cast<int>(index), QString::fromStdString(label));
}

void CInterimViews::SetRowName(unsigned index, const std::string& name)
{
    if (index >= rows_.size()) return;
    rows_[index].second = name;
    list->item(static_cast<int>(index))->setText(QString::fromStdString(rows_[index].first + " " + name));
}

std::string CInterimViews::RowName(unsigned index)
{
    return index < rows_.size() ? rows_[index].second : std::string();
}

std::optional<unsigned> CInterimViews::SelectedRow()
{
    const int row = list->currentRow();
    if (row < 0 || list->selectedItems().isEmpty()) return std::nullopt;
    return static_cast<unsigned>(row);
}
