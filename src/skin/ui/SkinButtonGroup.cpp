#include "skin/ui/SkinButtonGroup.h"

#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPlacement.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace {
constexpr const char* kButtonElement = "Button";
// The control identifier of the button that only measures the captions.
constexpr int kProbeId = 0xFFFF;
} // namespace

CSkinButtonGroup::CSkinButtonGroup(std::string element, CSkinManager& manager)
    : CSkinWnd(std::move(element), manager)
{
    // Pressed keys reach the group from its buttons; the group itself is no tab stop.
    setFocusPolicy(Qt::NoFocus);
    // Outside its frame the group shows what lies behind it, skinned window or not.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

CSkinButtonGroup::~CSkinButtonGroup()
{
    buttons_.clear();
    Detach();
}

void CSkinButtonGroup::Create(QWidget* parent, int notifyCode, std::optional<QPoint> offset)
{
    notifyCode_ = notifyCode;
    CSkinWnd::Create(parent, offset, false);
}

void CSkinButtonGroup::ApplySkin()
{
    AdoptOwnerGeometry();
    if (!placedByOwner_)
        base_ = QRect(SkinPosition(), SkinRect(*this).size());
    move(base_.topLeft());
    setFont(SkinFont(*this));
    textColour_ = SkinColour(*this, "text_color");
    ShowCaption();
    LayOut();
    update();
}

void CSkinButtonGroup::SetButtons(const QStringList& captions)
{
    AdoptOwnerGeometry();
    buttons_.clear();
    selected_ = -1;
    captions_ = captions;
    for (int i = 0; i < captions.size(); ++i) {
        auto button = std::make_unique<CSkinButton>(kButtonElement, Manager());
        button->Create(this, kFirstButtonId + i);
        button->setText(captions[i]);
        button->setCheckable(true); // one choice of several: screen readers say which
        connect(button.get(), &QAbstractButton::clicked, this, [this, i] { OnClicked(i); });
        buttons_.push_back(std::move(button));
    }
    LayOut();
    UpdateTabStop();
}

void CSkinButtonGroup::Place(const QRect& rect)
{
    placedByOwner_ = true;
    base_ = rect;
    move(rect.topLeft());
    LayOut();
}

void CSkinButtonGroup::AdoptOwnerGeometry()
{
    // An owner that moved or sized the group itself (setGeometry) placed it as Place does.
    if (laidOut_ && geometry() != *laidOut_) {
        placedByOwner_ = true;
        base_ = geometry();
    }
}

CSkinButton* CSkinButtonGroup::Button(int index) const
{
    return index >= 0 && index < ButtonCount() ? buttons_[static_cast<std::size_t>(index)].get() : nullptr;
}

void CSkinButtonGroup::LayOut()
{
    const int count = ButtonCount();
    // No buttons, or no width to lay them out in (a hidden item's group): no room taken beyond the rectangle.
    if (count == 0 || base_.width() <= 0) {
        resize(std::max(0, base_.width()), std::max(0, base_.height()));
        laidOut_ = geometry();
        return;
    }
    const QRect inner = QRect(QPoint(), base_.size())
                            .adjusted(SkinOffset(*this, "buttons_ofs_left"), SkinOffset(*this, "buttons_ofs_top"),
                                      -SkinOffset(*this, "buttons_ofs_right"), -SkinOffset(*this, "buttons_ofs_bottom"));
    // The widest caption decides the column width; its height the row height.
    QSize widest;
    {
        CSkinButton probe(kButtonElement, Manager());
        probe.Create(this, kProbeId);
        for (const QString& caption : captions_) {
            const QSize extent = probe.GetTextSize(caption);
            if (extent.width() > widest.width())
                widest = extent;
        }
    }
    columns_ = count;
    int columnWidth = inner.width() / count;
    if (widest.width() > 0 && columnWidth < widest.width()) {
        columns_ = std::max(1, inner.width() / widest.width());
        columnWidth = inner.width() / columns_;
    }
    rows_ = (count + columns_ - 1) / columns_;
    const int rowHeight = std::max(inner.height(), widest.height());
    resize(std::max(0, columns_ * columnWidth + base_.width() - inner.width()),
           std::max(0, rows_ * rowHeight + base_.height() - inner.height()));
    laidOut_ = geometry();
    for (int i = 0; i < count; ++i)
        buttons_[static_cast<std::size_t>(i)]->Place(QRect(inner.left() + (i % columns_) * columnWidth + 1,
                                                           inner.top() + (i / columns_) * rowHeight + 1,
                                                           std::max(0, columnWidth - 1), std::max(0, rowHeight - 1)));
}

void CSkinButtonGroup::resizeEvent(QResizeEvent*)
{
    face_ = StretchedFace(*this, "background", size());
    faceDisabled_ = StretchedFace(*this, "background_disabled", size());
    if (faceDisabled_.isNull())
        faceDisabled_ = face_;
    frame_ = face_.isNull() ? QRegion(rect()) : RegionFromBitmap(face_, SkinMask(*this, "bkcolormask"));
}

void CSkinButtonGroup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintFaceBehind(painter, this);
    painter.setClipRegion(frame_);
    painter.drawImage(0, 0, isEnabled() ? face_ : faceDisabled_);
    painter.setClipping(false);
    painter.setFont(font());
    painter.setPen(textColour_);
    // The caption sits centred in the band above the buttons.
    const int band = std::max(SkinOffset(*this, "buttons_ofs_top"), painter.fontMetrics().height());
    painter.drawText(QRect(0, 0, width(), band), Qt::AlignCenter | Qt::TextSingleLine, windowTitle());
}

void CSkinButtonGroup::OnClicked(int index)
{
    if (index == selected_)
        return;
    Mark(index);
    OnSelect(index);
    // Posted, as the message was: the listener may rebuild the page that holds this group.
    QMetaObject::invokeMethod(
        this, [this, index] { emit Notify(notifyCode_, index); }, Qt::QueuedConnection);
}

void CSkinButtonGroup::OnSelect(int) {}

void CSkinButtonGroup::Select(int index)
{
    Mark(index);
}

void CSkinButtonGroup::Mark(int index)
{
    selected_ = index >= 0 && index < ButtonCount() ? index : -1;
    for (int i = 0; i < ButtonCount(); ++i) {
        buttons_[static_cast<std::size_t>(i)]->SetStuck(i == selected_);
        buttons_[static_cast<std::size_t>(i)]->update();
    }
    UpdateTabStop();
}

void CSkinButtonGroup::UpdateTabStop()
{
    // Like a set of radio buttons: one tab stop, on the choice.
    const int stop = std::max(selected_, 0);
    for (int i = 0; i < ButtonCount(); ++i)
        buttons_[static_cast<std::size_t>(i)]->setFocusPolicy(i == stop ? Qt::TabFocus : Qt::NoFocus);
}

void CSkinButtonGroup::keyPressEvent(QKeyEvent* event)
{
    const int count = ButtonCount();
    int current = selected_;
    for (int i = 0; i < count; ++i)
        if (buttons_[static_cast<std::size_t>(i)]->hasFocus())
            current = i;
    const int row = rows_ > 1 ? columns_ : 1;
    int target = current;
    switch (event->key()) {
    case Qt::Key_Left: target = current - 1; break;
    case Qt::Key_Right: target = current + 1; break;
    case Qt::Key_Up: target = current - row; break;
    case Qt::Key_Down: target = current + row; break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = count - 1; break;
    default: CSkinWnd::keyPressEvent(event); return;
    }
    if (count == 0)
        return;
    target = std::clamp(target, 0, count - 1);
    OnClicked(target);
    buttons_[static_cast<std::size_t>(target)]->setFocus(Qt::TabFocusReason);
}
