#include "skin/ui/SkinSpin.h"

#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinPaint.h"
#include "skin/ui/SkinPlacement.h"
#include "skin/ui/SkinSpinEvent.h"
#include "skin/ui/SkinSpinFormat.h"
#include "skin/ui/SkinStatic.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>

#include <chrono>
#include <cmath>

namespace {
constexpr int kStartDelayMs = 500;
constexpr int kRepeatPeriodMs = 100;

// Display windows are edits or skinned labels.
QString DisplayText(const QWidget* display)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(display))
        return edit->text();
    if (const auto* label = qobject_cast<const CSkinStatic*>(display))
        return label->Text();
    return QString();
}

void SetDisplayText(QWidget* display, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(display))
        edit->setText(text);
    else if (auto* label = qobject_cast<CSkinStatic*>(display))
        label->SetText(text);
}

void SetReadOnly(QWidget* display, bool readOnly)
{
    if (auto* edit = qobject_cast<QLineEdit*>(display))
        edit->setReadOnly(readOnly);
}

// A sign, digits and at most the decimals the field shows.
void SetNumberValidator(QWidget* display, const QString& format)
{
    auto* edit = qobject_cast<QLineEdit*>(display);
    if (!edit)
        return;
    const int decimals = SpinFormatDecimals(format);
    QString pattern = QStringLiteral("[+-]?[0-9]{0,12}");
    if (decimals > 0)
        pattern += QStringLiteral("(\\.[0-9]{0,%1})?").arg(decimals);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
}

std::int64_t SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

CSkinSpin::CSkinSpin(std::string element, CSkinManager& manager)
    : CSkinClient(std::move(element), manager)
    , clock_(SteadyMs)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    startTimer_.setSingleShot(true);
    SetRepeatTiming(kStartDelayMs, kRepeatPeriodMs);
    connect(&startTimer_, &QTimer::timeout, this, [this] {
        acceleration_.Start(clock_());
        repeatTimer_.start();
    });
    connect(&repeatTimer_, &QTimer::timeout, this, &CSkinSpin::Repeat);
}

CSkinSpin::~CSkinSpin()
{
    for (const Field& field : fields_)
        if (field.display)
            field.display->removeEventFilter(this);
    Detach();
}

void CSkinSpin::Create(QWidget* parent, int controlId)
{
    setParent(parent);
    SetControlId(this, controlId);
    Attach(this);
    ApplySkin();
    show();
}

void CSkinSpin::ApplySkin()
{
    SetState(ArrowState::None);
    if (!placedByOwner_)
        setGeometry(SkinRect(*this));
    FitFace();
    update();
}

void CSkinSpin::Place(const QRect& rect)
{
    placedByOwner_ = true;
    setGeometry(rect);
    FitFace(); // a hidden widget gets its resize event only when shown
}

void CSkinSpin::SetRepeatTiming(int startMs, int periodMs)
{
    startTimer_.setInterval(startMs);
    repeatTimer_.setInterval(periodMs);
}

// Fields ------------------------------------------------------------------

void CSkinSpin::AddField(Field field)
{
    QWidget* display = field.display;
    if (display->parentWidget() != this)
        display->setParent(this);
    display->installEventFilter(this);
    if (auto* edit = qobject_cast<QLineEdit*>(display))
        connect(edit, &QLineEdit::textEdited, this, [this, edit] {
            // Only marked here: the value changes when the operator commits it.
            if (const int index = FieldOf(edit); index >= 0)
                fields_[static_cast<std::size_t>(index)].typed = true;
        });
    fields_.insert(fields_.begin(), std::move(field));
    display->show();
}

void CSkinSpin::AddListField(QWidget* display, const QString& format, const QStringList& texts)
{
    if (!display || FieldOf(display) >= 0)
        return;
    SetReadOnly(display, true);
    AddField({FieldKind::List, display, format, texts, 0, 0, 0, 1});
    Show(0, 0);
}

void CSkinSpin::AddNumberField(QWidget* display, const QString& format, double minimum, double maximum, double step)
{
    if (!display || FieldOf(display) >= 0)
        return;
    SetNumberValidator(display, format);
    AddField({FieldKind::Number, display, format, {}, 0, minimum, maximum, step});
    Show(0, minimum);
}

void CSkinSpin::SetListTexts(QWidget* display, const QString& format, const QStringList& texts)
{
    const int index = FieldOf(display);
    if (index < 0)
        return;
    Field& field = fields_[static_cast<std::size_t>(index)];
    field.kind = FieldKind::List;
    field.format = format;
    field.texts = texts;
    field.step = 1;
    field.typed = false;
    if (auto* edit = qobject_cast<QLineEdit*>(display))
        edit->setValidator(nullptr);
    SetReadOnly(display, true);
    Show(index, field.index);
}

int CSkinSpin::FieldOf(const QObject* display) const
{
    if (!display)
        return -1; // not the field of a display that has gone
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].display == display)
            return static_cast<int>(i);
    return -1;
}

double CSkinSpin::GetValue(int field) const
{
    if (field < 0 || field >= FieldCount())
        return 0;
    const Field& f = fields_[static_cast<std::size_t>(field)];
    return f.kind == FieldKind::List ? f.index : f.value;
}

bool CSkinSpin::IsLocked(int field) const
{
    if (field < 0 || field >= FieldCount())
        return true;
    const QWidget* display = fields_[static_cast<std::size_t>(field)].display;
    return !display || !display->isEnabledTo(this);
}

void CSkinSpin::SetValue(double value, int field, bool notify)
{
    if (field < 0 || field >= FieldCount())
        return;
    const double settled = Settle(value, field, notify);
    if (notify) {
        if (parentWidget())
            QCoreApplication::postEvent(parentWidget(), new CSkinSpinEvent(field));
        if (QWidget* display = fields_[static_cast<std::size_t>(field)].display)
            QCoreApplication::postEvent(display, new CSkinSpinEvent(field));
    }
    Field& f = fields_[static_cast<std::size_t>(field)];
    // A reading that arrives while the operator types keeps what was typed in view.
    if (!notify && f.typed && f.kind == FieldKind::Number)
        f.value = settled;
    else
        Show(field, settled);
    update();
    // The signal's receivers read the value at once, so it follows the display.
    if (notify)
        emit FieldChanged(field);
}

double CSkinSpin::Settle(double value, int field, bool notify)
{
    const Field& f = fields_[static_cast<std::size_t>(field)];
    const bool list = f.kind == FieldKind::List;
    if (list && f.texts.isEmpty())
        return 0;
    const auto count = static_cast<double>(f.texts.size());
    const double low = list ? 0 : f.minimum;
    const double high = list ? count - 1 : f.maximum;
    const double range = list ? count : f.maximum - f.minimum + f.step;
    double v = list ? std::trunc(value) : value;
    if (!std::isfinite(v))
        v = low;
    // A field whose range is empty cannot run round: it only clamps.
    if (range <= 0 || high < low)
        return std::max(low, std::min(v, high));

    // Run round into the range, counting the turns (computed, not looped, so a
    // wild value costs nothing).
    double turns = 0;
    if (v > high)
        turns = std::ceil((v - high) / range);
    else if (v < low)
        turns = -std::ceil((low - v) / range);
    v -= turns * range;
    v = std::max(low, std::min(v, high)); // rounding of the division
    if (turns == 0 || (FieldCount() == 1 && wrap_))
        return v;
    // Several fields turn as one odometer: the next field takes the carry or
    // borrow, and the highest field's own carry is dropped, so the whole spin
    // runs round. A single field without wrap, or one below a locked field,
    // stops at its end.
    const bool nextLocked = field + 1 < FieldCount() && IsLocked(field + 1);
    if (FieldCount() > 1 && !nextLocked) {
        if (field + 1 < FieldCount()) {
            const double step = fields_[static_cast<std::size_t>(field) + 1].step;
            SetValue(GetValue(field + 1) + turns * step, field + 1, notify);
        }
        return v;
    }
    return turns > 0 ? high : low;
}

void CSkinSpin::Show(int field, double value)
{
    Field& f = fields_[static_cast<std::size_t>(field)];
    QString text;
    if (f.kind == FieldKind::List) {
        f.index = f.texts.isEmpty() ? 0 : std::clamp(static_cast<int>(value), 0, static_cast<int>(f.texts.size()) - 1);
        text = f.texts.isEmpty() ? QString() : FormatSpinText(f.format, f.texts[f.index]);
    } else {
        f.value = value;
        text = FormatSpinNumber(f.format, value);
    }
    f.typed = false;
    SetDisplayText(f.display, text);
}

void CSkinSpin::Step(int field, int direction, int increment, bool notify)
{
    if (IsLocked(field))
        return;
    CommitTyped(field);
    const double step = fields_[static_cast<std::size_t>(field)].step;
    SetValue(GetValue(field) + direction * increment * step, field, notify);
}

void CSkinSpin::CommitTyped(int field)
{
    Field& f = fields_[static_cast<std::size_t>(field)];
    if (!f.typed || f.kind != FieldKind::Number)
        return;
    const std::optional<double> typed = ReadSpinNumber(DisplayText(f.display));
    const double value = typed ? std::clamp(*typed, f.minimum, std::max(f.minimum, f.maximum)) : f.value;
    if (IsLocked(field) || value == f.value)
        Show(field, f.value);
    else
        SetValue(value, field, true);
}

// Arrows ------------------------------------------------------------------

void CSkinSpin::StartRepeat(int direction)
{
    repeatDirection_ = direction;
    repeatTimer_.stop();
    startTimer_.start();
}

void CSkinSpin::StopRepeat()
{
    startTimer_.stop();
    repeatTimer_.stop();
    if (state_ == ArrowState::UpPressed || state_ == ArrowState::DownPressed)
        SetState(ArrowState::None);
}

void CSkinSpin::Repeat()
{
    const ArrowState held = repeatDirection_ > 0 ? ArrowState::UpPressed : ArrowState::DownPressed;
    if (state_ != held) {
        repeatTimer_.stop();
        return;
    }
    Step(active_, repeatDirection_, acceleration_.NextIncrement(clock_()), true);
}

void CSkinSpin::SetState(ArrowState state)
{
    if (state_ == state)
        return;
    state_ = state;
    update(upRect_.united(downRect_));
}

void CSkinSpin::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const bool pressed = state_ == ArrowState::UpPressed || state_ == ArrowState::DownPressed;
    if (upRect_.contains(at)) {
        if (!pressed)
            SetState(ArrowState::UpOver);
    } else if (downRect_.contains(at)) {
        if (!pressed)
            SetState(ArrowState::DownOver);
    } else {
        SetState(ArrowState::None);
    }
}

void CSkinSpin::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (upRect_.contains(at)) {
        SetState(ArrowState::UpPressed);
        Step(active_, +1, 1, true);
        StartRepeat(+1);
    } else if (downRect_.contains(at)) {
        SetState(ArrowState::DownPressed);
        Step(active_, -1, 1, true);
        StartRepeat(-1);
    } else {
        SetState(ArrowState::None);
    }
}

void CSkinSpin::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    StopRepeat();
    SetState(ArrowState::None);
}

void CSkinSpin::leaveEvent(QEvent* event)
{
    if (state_ == ArrowState::UpOver || state_ == ArrowState::DownOver)
        SetState(ArrowState::None);
    QWidget::leaveEvent(event);
}

void CSkinSpin::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        StopRepeat();
    QWidget::changeEvent(event);
}

void CSkinSpin::hideEvent(QHideEvent* event)
{
    StopRepeat();
    QWidget::hideEvent(event);
}

bool CSkinSpin::eventFilter(QObject* watched, QEvent* event)
{
    const int field = FieldOf(watched);
    if (field < 0)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        active_ = field;
        break;
    case QEvent::FocusOut:
        StopRepeat();
        active_ = 0;
        // Leaving the field (Tab, a click elsewhere) commits what was typed;
        // the value shows again in the field's own format.
        CommitTyped(field);
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(field, key == Qt::Key_Up ? +1 : -1, 1, true);
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            CommitTyped(field);
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// Face --------------------------------------------------------------------

void CSkinSpin::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FitFace();
}

void CSkinSpin::FitFace()
{
    const int w = width(), h = height();
    const int upWidth = LogicalSize(GetImage("up_up")).width(), downWidth = LogicalSize(GetImage("down_up")).width();
    const int upRight = SkinOffset(*this, "up_ofs_right"), downRight = SkinOffset(*this, "down_ofs_right");
    upRect_ = QRect(QPoint(w - upWidth - upRight, SkinOffset(*this, "up_ofs_top")), QPoint(w - upRight - 1, h / 2 - 1));
    downRect_ = QRect(QPoint(w - downWidth - downRight, h / 2),
                      QPoint(w - downRight - 1, h - SkinOffset(*this, "down_ofs_bottom") - 1));
    face_ = StretchedFace(*this, "background", size());
    frame_ = RegionFromBitmap(face_, SkinMask(*this, "bkcolormask"));
}

void CSkinSpin::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawMasked(painter, QPoint(0, 0), face_, frame_);
    const char* up = "up_up";
    const char* down = "down_up";
    if (!isEnabled()) {
        up = "up_disabled";
        down = "down_disabled";
    } else if (state_ == ArrowState::UpOver) {
        up = "up_over";
    } else if (state_ == ArrowState::UpPressed) {
        up = "up_down";
    } else if (state_ == ArrowState::DownOver) {
        down = "down_over";
    } else if (state_ == ArrowState::DownPressed) {
        down = "down_down";
    }
    painter.drawImage(upRect_.topLeft(), StretchByResizeLines(GetImage(up), GetLong("up_resize_x"), GetLong("up_resize_y"),
                                                              upRect_.width(), upRect_.height()));
    painter.drawImage(downRect_.topLeft(), StretchByResizeLines(GetImage(down), GetLong("down_resize_x"),
                                                                GetLong("down_resize_y"), downRect_.width(),
                                                                downRect_.height()));
}
