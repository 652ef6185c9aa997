#include "skin/ui/SkinButtonGroup.h"

#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinFont.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPlacement.h"

#include <QAccessibleWidget>
#include <QCursor>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

#include <QPointer>
#include <QToolTip>

#include <algorithm>
#include <vector>

namespace {
constexpr const char* kButtonElement = "Button";
// The control identifier of the model button.
constexpr int kModelId = 0xFFFF;
// How long Enter shows the button down before it chooses it, as a push button's animated click.
constexpr int kEnterClickMs = 100;

// Screen readers meet each drawn button as the checkable push button it was
// as a widget: its caption, place, chosen (checked) state and a press action.
class GroupButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    GroupButtonAccessible(CSkinButtonGroup* group, int index) : group_(group), index_(index) {}

    bool isValid() const override { return group_ && index_ < group_->ButtonCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return group_ ? group_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(group_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return isValid() && t == QAccessible::Name ? group_->ButtonText(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect place = group_->ButtonRect(index_);
        return QRect(group_->mapToGlobal(place.topLeft()), place.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        state.checkable = true;
        state.checked = group_->GetSelected() == index_;
        state.focusable = group_->isEnabled();
        state.focused = group_->hasFocus() && group_->FocusIndex() == index_;
        state.disabled = !group_->isEnabled();
        state.invisible = !group_->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid() && group_->isEnabled())
            group_->Choose(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<CSkinButtonGroup> group_;
    int index_;
};

// The group with its drawn buttons as its accessible children.
class GroupAccessible : public QAccessibleWidget {
public:
    explicit GroupAccessible(CSkinButtonGroup* group) : QAccessibleWidget(group, QAccessible::Grouping) {}
    ~GroupAccessible() override
    {
        for (QAccessible::Id id : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return Group()->ButtonCount(); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // Made when first asked for and kept, so that each button keeps one identity.
        for (auto i = static_cast<int>(ids_.size()); i <= index; ++i)
            ids_.push_back(QAccessible::registerAccessibleInterface(new GroupButtonAccessible(Group(), i)));
        return QAccessible::accessibleInterface(ids_[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (std::size_t i = 0; i < ids_.size() && static_cast<int>(i) < childCount(); ++i)
            if (QAccessible::accessibleInterface(ids_[i]) == child)
                return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        return child(Group()->ButtonAt(Group()->mapFromGlobal(QPoint(x, y))));
    }

private:
    CSkinButtonGroup* Group() const { return static_cast<CSkinButtonGroup*>(widget()); }
    mutable std::vector<QAccessible::Id> ids_;
};

QAccessibleInterface* MakeGroupAccessible(const QString& key, QObject* object)
{
    auto* group = qobject_cast<CSkinButtonGroup*>(object);
    return group && key == QLatin1StringView(CSkinButtonGroup::staticMetaObject.className())
               ? new GroupAccessible(group)
               : nullptr;
}
} // namespace

CSkinButtonGroup::CSkinButtonGroup(std::string element, CSkinManager& manager)
    : CSkinWnd(std::move(element), manager)
{
    static const bool accessible = (QAccessible::installFactory(MakeGroupAccessible), true);
    (void)accessible;
    // A tab stop once it has buttons.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true); // the button under the pointer shows its hover face
    // Outside its frame the group shows what lies behind it, skinned window or not.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    enterClick_.setSingleShot(true);
    enterClick_.setInterval(kEnterClickMs);
    tipTimer_.setSingleShot(true);
    connect(&tipTimer_, &QTimer::timeout, this, [this] {
        if (hover_ >= 0)
            QToolTip::showText(QCursor::pos(), model_->toolTip(), this, ButtonRect(hover_), CSkinButton::kTipShowMs);
    });
    connect(&enterClick_, &QTimer::timeout, this, [this] {
        const int index = keyDown_;
        SetDown(-1);
        if (index >= 0)
            OnClicked(index);
    });
}

CSkinButtonGroup::~CSkinButtonGroup()
{
    model_.reset();
    Detach();
}

void CSkinButtonGroup::Create(QWidget* parent, int notifyCode, std::optional<QPoint> offset)
{
    notifyCode_ = notifyCode;
    CSkinWnd::Create(parent, offset, false);
    model_ = std::make_unique<CSkinButton>(kButtonElement, Manager());
    model_->Create(this, kModelId);
    model_->hide();
    model_->setFocusPolicy(Qt::NoFocus);
    LayOut();
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
    ResetFrame();
    // The buttons are measured in the model's new font, whichever of the two the skin reaches first.
    if (model_)
        model_->ApplySkin();
    LayOut();
    update();
}

void CSkinButtonGroup::SetButtons(const QStringList& captions)
{
    AdoptOwnerGeometry();
    DropPress();
    SetHover(-1);
    selected_ = -1;
    focusIndex_ = 0;
    captions_ = captions;
    setFocusPolicy(captions.isEmpty() ? Qt::NoFocus : Qt::TabFocus);
    LayOut();
    update();
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

void CSkinButtonGroup::LayOut()
{
    const int count = ButtonCount();
    // No buttons, or no width to lay them out in (a hidden item's group): no room taken beyond the rectangle.
    if (count == 0 || base_.width() <= 0 || !model_) {
        resize(std::max(0, base_.width()), std::max(0, base_.height()));
        laidOut_ = geometry();
        columns_ = rows_ = 0;
        cell_ = QSize();
        return;
    }
    const QRect inner = QRect(QPoint(), base_.size())
                            .adjusted(SkinOffset(*this, "buttons_ofs_left"), SkinOffset(*this, "buttons_ofs_top"),
                                      -SkinOffset(*this, "buttons_ofs_right"), -SkinOffset(*this, "buttons_ofs_bottom"));
    // The widest caption decides the column width; its height the row height.
    QSize widest;
    for (const QString& caption : captions_) {
        const QSize extent = model_->GetTextSize(caption);
        if (extent.width() > widest.width())
            widest = extent;
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
    cellOrigin_ = inner.topLeft();
    cell_ = QSize(columnWidth, rowHeight);
    // Every button has one size: the model takes it, and with it the faces and shape they all share.
    model_->Place(ButtonRect(0));
}

QRect CSkinButtonGroup::ButtonRect(int index) const
{
    if (index < 0 || index >= ButtonCount() || columns_ <= 0)
        return {};
    return QRect(cellOrigin_.x() + (index % columns_) * cell_.width() + 1,
                 cellOrigin_.y() + (index / columns_) * cell_.height() + 1, std::max(0, cell_.width() - 1),
                 std::max(0, cell_.height() - 1));
}

int CSkinButtonGroup::ButtonAt(const QPoint& pos) const
{
    if (columns_ <= 0 || cell_.width() <= 0 || cell_.height() <= 0 || pos.x() < cellOrigin_.x() ||
        pos.y() < cellOrigin_.y())
        return -1;
    const int column = (pos.x() - cellOrigin_.x()) / cell_.width();
    const int row = (pos.y() - cellOrigin_.y()) / cell_.height();
    const int index = row * columns_ + column;
    if (column >= columns_ || row >= rows_ || index >= ButtonCount())
        return -1;
    // Between the buttons, and outside the shape the model gives every button, lies the group.
    const QRect place = ButtonRect(index);
    return place.contains(pos) && model_->Shape().contains(pos - place.topLeft()) ? index : -1;
}

CSkinButton::Face CSkinButtonGroup::ButtonFace(int index) const
{
    using Face = CSkinButton::Face;
    const bool down = index == selected_ || index == keyDown_ || (index == mousePressed_ && mouseOnPressed_);
    if (!isEnabled())
        return down ? Face::DownDisabled : Face::Disabled;
    if (down)
        return Face::Down;
    return index == hover_ ? Face::Over : Face::Up;
}

void CSkinButtonGroup::resizeEvent(QResizeEvent*)
{
    ResetFrame();
}

void CSkinButtonGroup::ResetFrame()
{
    // Read here, outside painting, where a missing image may show its message.
    background_ = GetImage("background");
    backgroundDisabled_ = GetImage("background_disabled");
    face_.reset();
    faceDisabled_.reset();
    frame_.reset();
}

const QImage& CSkinButtonGroup::FrameFace(bool enabled) const
{
    const auto stretched = [this](const QImage& source) {
        return source.isNull() || size().isEmpty()
                   ? QImage()
                   : StretchByResizeLines(source, GetLong("resize_line_x"), GetLong("resize_line_y"), width(),
                                          height());
    };
    if (!face_)
        face_ = stretched(background_);
    if (enabled)
        return *face_;
    if (!faceDisabled_)
        faceDisabled_ = backgroundDisabled_.isNull() ? *face_ : stretched(backgroundDisabled_);
    return *faceDisabled_;
}

const QRegion& CSkinButtonGroup::FrameShape() const
{
    if (!frame_) {
        const QImage& face = FrameFace(true);
        frame_ = face.isNull() ? QRegion(rect()) : RegionFromBitmap(face, SkinMask(*this, "bkcolormask"));
    }
    return *frame_;
}

void CSkinButtonGroup::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    PaintFaceBehind(painter, this);
    painter.setClipRegion(FrameShape());
    painter.drawImage(0, 0, FrameFace(isEnabled()));
    painter.setClipping(false);
    painter.setFont(font());
    painter.setPen(textColour_);
    // The caption sits centred in the band above the buttons.
    const int band = std::max(SkinOffset(*this, "buttons_ofs_top"), painter.fontMetrics().height());
    painter.drawText(QRect(0, 0, width(), band), Qt::AlignCenter | Qt::TextSingleLine, windowTitle());

    // Only the rows and columns the repaint reaches.
    if (columns_ <= 0 || cell_.width() <= 1 || cell_.height() <= 1)
        return;
    const QRect dirty = event->rect().translated(-cellOrigin_);
    const auto span = [](int from, int to, int step, int count) {
        return std::pair(std::clamp(from / step, 0, count - 1), std::clamp(to / step, 0, count - 1));
    };
    const auto [firstRow, lastRow] = span(std::max(0, dirty.top()), std::max(0, dirty.bottom()), cell_.height(), rows_);
    const auto [firstColumn, lastColumn] =
        span(std::max(0, dirty.left()), std::max(0, dirty.right()), cell_.width(), columns_);
    const bool focused = hasFocus();
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn && row * columns_ + column < ButtonCount(); ++column) {
            const int index = row * columns_ + column;
            painter.save();
            painter.translate(ButtonRect(index).topLeft());
            model_->PaintLook(painter, ButtonFace(index), captions_[index], focused && index == focusIndex_);
            painter.restore();
        }
}

bool CSkinButtonGroup::event(QEvent* event)
{
    const bool handled = CSkinWnd::event(event);
    if (event->type() != QEvent::Paint && isVisible())
        PrepareFaces();
    return handled;
}

void CSkinButtonGroup::PrepareFaces() const
{
    if (!model_ || ButtonCount() == 0)
        return;
    model_->FaceImage(ButtonFace(-1)); // the face of a button nobody touches
    for (int index : {selected_, hover_, mousePressed_, keyDown_})
        if (index >= 0)
            model_->FaceImage(ButtonFace(index));
}

void CSkinButtonGroup::UpdateButton(int index)
{
    if (index >= 0)
        update(ButtonRect(index));
}

void CSkinButtonGroup::MoveMark(int& mark, int index)
{
    if (index == mark)
        return;
    UpdateButton(mark);
    mark = index;
    UpdateButton(mark);
}

void CSkinButtonGroup::SetDown(int index)
{
    MoveMark(keyDown_, index);
}

void CSkinButtonGroup::SetHover(int index)
{
    if (index == hover_)
        return;
    MoveMark(hover_, index);
    // As on a button widget: the skin's tip after its delay, gone when the pointer leaves the button.
    const QString tip = model_ ? model_->toolTip() : QString();
    if (index >= 0 && !tip.isEmpty()) {
        tipTimer_.start(std::max(0, model_->GetLong("tip_delay")));
    } else {
        tipTimer_.stop();
        QToolTip::hideText();
    }
}

void CSkinButtonGroup::SetFocusIndex(int index)
{
    // The button that loses the focus lets go of a held Space, as a push button does.
    if (index != focusIndex_ && !enterClick_.isActive())
        SetDown(-1);
    MoveMark(focusIndex_, index);
    if (hasFocus())
        TellScreenReaders(focusIndex_, QAccessible::Focus);
}

void CSkinButtonGroup::DropPress()
{
    enterClick_.stop();
    SetDown(-1);
    UpdateButton(mousePressed_);
    mousePressed_ = -1;
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

void CSkinButtonGroup::Choose(int index)
{
    if (index >= 0 && index < ButtonCount())
        OnClicked(index);
}

void CSkinButtonGroup::Select(int index)
{
    Mark(index);
}

void CSkinButtonGroup::Mark(int index)
{
    const int before = selected_;
    MoveMark(selected_, index >= 0 && index < ButtonCount() ? index : -1);
    if (selected_ != before) {
        TellScreenReaders(before, QAccessible::StateChanged);
        TellScreenReaders(selected_, QAccessible::StateChanged);
    }
}

void CSkinButtonGroup::TellScreenReaders(int index, QAccessible::Event what)
{
    if (index < 0 || !QAccessible::isActive())
        return;
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(this)->child(index);
    if (!button)
        return;
    if (what == QAccessible::StateChanged) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(button, changed);
        QAccessible::updateAccessibility(&event);
        return;
    }
    QAccessibleEvent event(button, what);
    QAccessible::updateAccessibility(&event);
}

void CSkinButtonGroup::changeEvent(QEvent* event)
{
    // Qt sends no release to a disabled group: a press under way ends here, choosing nothing.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        DropPress();
        SetHover(-1);
    }
    CSkinWnd::changeEvent(event);
}

void CSkinButtonGroup::hideEvent(QHideEvent* event)
{
    DropPress();
    SetHover(-1);
    CSkinWnd::hideEvent(event);
}

void CSkinButtonGroup::focusInEvent(QFocusEvent* event)
{
    // Like a set of radio buttons: Tab comes to the choice, or the first button.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        focusIndex_ = std::max(selected_, 0);
    focusIndex_ = std::clamp(focusIndex_, 0, std::max(0, ButtonCount() - 1));
    UpdateButton(focusIndex_);
    CSkinWnd::focusInEvent(event);
    TellScreenReaders(focusIndex_, QAccessible::Focus);
}

void CSkinButtonGroup::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::PopupFocusReason && !enterClick_.isActive())
        SetDown(-1);
    UpdateButton(focusIndex_);
    CSkinWnd::focusOutEvent(event);
}

void CSkinButtonGroup::keyPressEvent(QKeyEvent* event)
{
    const int count = ButtonCount();
    const int current = hasFocus() ? focusIndex_ : selected_;
    const int row = rows_ > 1 ? columns_ : 1;
    int target = current;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Select:
        // Down while held, chosen on release.
        if (!event->isAutoRepeat() && !enterClick_.isActive() && current >= 0 && current < count)
            SetDown(current);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat() && !enterClick_.isActive() && current >= 0 && current < count) {
            SetDown(current);
            enterClick_.start();
        }
        return;
    case Qt::Key_Escape:
        if (keyDown_ >= 0 && !enterClick_.isActive()) {
            SetDown(-1);
            return;
        }
        CSkinWnd::keyPressEvent(event);
        return;
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
    SetFocusIndex(target);
}

void CSkinButtonGroup::keyReleaseEvent(QKeyEvent* event)
{
    const bool space = event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
    if (!space || event->isAutoRepeat()) {
        CSkinWnd::keyReleaseEvent(event);
        return;
    }
    if (keyDown_ >= 0 && !enterClick_.isActive()) {
        const int index = keyDown_;
        SetDown(-1);
        OnClicked(index);
    }
}

void CSkinButtonGroup::mousePressEvent(QMouseEvent* event)
{
    const int index = event->button() == Qt::LeftButton ? ButtonAt(event->position().toPoint()) : -1;
    if (index < 0) {
        CSkinWnd::mousePressEvent(event);
        return;
    }
    mousePressed_ = index;
    mouseOnPressed_ = true;
    UpdateButton(index);
    event->accept();
}

void CSkinButtonGroup::mouseMoveEvent(QMouseEvent* event)
{
    const int under = ButtonAt(event->position().toPoint());
    if (mousePressed_ < 0) {
        SetHover(under);
        CSkinWnd::mouseMoveEvent(event);
        return;
    }
    // While pressed, only the pressed button follows the pointer: down and hovered on it, up off it.
    const bool on = under == mousePressed_;
    if (on != mouseOnPressed_) {
        mouseOnPressed_ = on;
        UpdateButton(mousePressed_);
    }
    SetHover(on ? mousePressed_ : -1);
    event->accept();
}

void CSkinButtonGroup::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || mousePressed_ < 0) {
        CSkinWnd::mouseReleaseEvent(event);
        return;
    }
    const int index = mousePressed_;
    const int under = ButtonAt(event->position().toPoint());
    mousePressed_ = -1;
    UpdateButton(index);
    // The clicked button drops its hover face until the pointer moves; another one under the pointer takes it.
    SetHover(under == index ? -1 : under);
    if (under == index)
        OnClicked(index);
    event->accept();
}

void CSkinButtonGroup::enterEvent(QEnterEvent* event)
{
    if (mousePressed_ < 0)
        SetHover(ButtonAt(event->position().toPoint()));
    CSkinWnd::enterEvent(event);
}

void CSkinButtonGroup::leaveEvent(QEvent* event)
{
    if (mousePressed_ < 0)
        SetHover(-1);
    CSkinWnd::leaveEvent(event);
}
