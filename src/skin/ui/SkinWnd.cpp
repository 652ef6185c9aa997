#include "skin/ui/SkinWnd.h"

#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPlacement.h"
#include "skin/ui/SkinStatic.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include <algorithm>

CSkinWnd::CSkinWnd(std::string element, CSkinManager& manager)
    : CSkinClient(std::move(element), manager)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
}

CSkinWnd::~CSkinWnd()
{
    if (modalLoop_)
        modalLoop_->exit(0);
    statics_.clear();
    Detach();
}

void CSkinWnd::CreateHidden(QWidget* parent, bool popup)
{
    embedded_ = parent && !popup;
    setParent(parent, embedded_ ? Qt::Widget : Qt::Window | Qt::FramelessWindowHint);
    Attach(this);
    ApplySkin();
}

void CSkinWnd::Create(QWidget* parent, std::optional<QPoint> offset, bool popup)
{
    createOffset_ = offset.value_or(QPoint());
    CreateHidden(parent, popup);
    show();
}

int CSkinWnd::RunModal(QWidget* owner)
{
    const QPointer<QWidget> active = QApplication::activeWindow();
    CreateHidden(owner, true);
    // Modality keeps the owner from taking input while the loop runs; owner
    // windows are not disabled, because that would disable this child window too.
    setWindowModality(Qt::ApplicationModal);
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QSize room = screen->geometry().size() - size();
        createOffset_ = QPoint(room.width() / 2, room.height() / 2);
        move(SkinPosition());
    }
    show();
    QEventLoop loop;
    modalLoop_ = &loop;
    const QPointer<CSkinWnd> self(this);
    const int result = loop.exec();
    if (!self) // destroyed while it ran
        return result;
    modalLoop_ = nullptr;
    hide();
    if (owner && active == owner)
        owner->activateWindow();
    return result;
}

void CSkinWnd::EndModal(int result)
{
    if (modalLoop_)
        modalLoop_->exit(result);
}

void CSkinWnd::ApplySkin()
{
    background_ = GetImage("background");
    move(SkinPosition());
    resize(LogicalSize(background_));
    ApplyShape();
    ShowCaption();
    ApplyLabels();
}

void CSkinWnd::SetCaption(const QString& caption)
{
    programCaption_ = caption;
    ShowCaption();
}

QString CSkinWnd::Caption() const
{
    return programCaption_ ? *programCaption_ : GetString("caption");
}

void CSkinWnd::ShowCaption()
{
    // A title the program set with setWindowTitle is its caption too.
    if (shownCaption_ && windowTitle() != *shownCaption_)
        programCaption_ = windowTitle();
    const QString caption = Caption();
    shownCaption_ = caption;
    setWindowTitle(caption);
    setAccessibleName(caption);
    update();
}

QPoint CSkinWnd::SkinPosition() const
{
    return SkinRect(*this).topLeft() + createOffset_;
}

void CSkinWnd::ApplyShape()
{
    const QRegion shape = SkinShape(*this, background_);
    // Qt reads an empty mask as no mask at all; a face that is all mask
    // colour must hide the window, so it gets a shape outside itself.
    setMask(shape.isEmpty() && !background_.isNull() ? QRegion(-1, -1, 1, 1) : shape);
    if (isWindow()) {
        const int transparency = std::clamp(GetLong("transparency"), 0, 255);
        setWindowOpacity((255 - transparency) / 255.0);
    }
}

void CSkinWnd::ApplyLabels()
{
    // The labels re-apply themselves on a new skin; only a changed list
    // replaces them, so a new skin never doubles them.
    const QString names = GetString("statics");
    if (names == appliedStatics_)
        return;
    appliedStatics_ = names;
    statics_.clear();
    if (names.isEmpty())
        return;
    for (const QString& name : names.split(';')) {
        auto label = std::make_unique<CSkinStatic>(name.toStdString(), Manager());
        label->Create(this, FirstFreeControlId());
        statics_.push_back(std::move(label));
    }
}

CSkinStatic* CSkinWnd::Static(const std::string& element) const
{
    const auto it = std::find_if(statics_.begin(), statics_.end(),
                                 [&element](const auto& label) { return label->Element() == element; });
    return it == statics_.end() ? nullptr : it->get();
}

void CSkinWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, background_);
}

void CSkinWnd::mousePressEvent(QMouseEvent* event)
{
    // A press on an embedded panel stays there: only a window's own face drags it.
    if (embedded_ || event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    if (!dragging_) {
        grab_ = event->position().toPoint();
        dragging_ = true;
    }
    event->accept();
}

void CSkinWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    move(pos() + event->position().toPoint() - grab_);
    event->accept();
}

void CSkinWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging_ || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    event->accept();
}

void CSkinWnd::closeEvent(QCloseEvent* event)
{
    EndModal(0);
    QWidget::closeEvent(event);
}
