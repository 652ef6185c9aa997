#pragma once

#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinSpinAcceleration.h"

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

// An up/down arrow pair drawn from the skin that edits one or more value
// fields shown in display windows (edits or labels) inside it. The fields form
// an odometer: field 0 is the lowest and a field running past its end carries
// into the next one. A field lists texts or counts numbers; the arrows, Up and
// Down in a field, and typing change the field that last had the focus.
//
//   CSkinSpin spin("Spin", manager);
//   spin.Create(page, id);                     // places itself from the skin
//   spin.Place(rect);                          // or where its page wants it
//   spin.AddNumberField(minutes, "%02.0f", 0, 59, 1);
//   spin.AddNumberField(seconds, "%02.0f", 0, 59, 1); // now field 0
//
// Every value set with notification posts a CSkinSpinEvent (WM_USER + 400,
// the field index) to the spin's parent and to the field's display window,
// and emits FieldChanged.
//
// A field whose display window is disabled is locked: it takes no step, no
// carry and no borrow (the field below stops at its end instead). Typed text
// takes digits, a sign and the field's decimals; it becomes the field's value
// only when committed (Enter, leaving the field, or an arrow), clamped to the
// field's range, so typing never carries into or borrows from a neighbour.
class CSkinSpin : public QWidget, public CSkinClient {
    Q_OBJECT
public:
    enum class ArrowState { None = 0, UpOver = 1, UpPressed = 2, DownOver = 3, DownPressed = 4 };
    enum class FieldKind { List = 0, Number = 1 };

    CSkinSpin(std::string element, CSkinManager& manager);
    ~CSkinSpin() override;

    void Create(QWidget* parent, int controlId);
    // Arrow faces and place from the skin; a spin placed with Place keeps its place.
    void ApplySkin() override;
    // Puts the spin at rect (in its parent) and keeps it there on a new skin.
    void Place(const QRect& rect);

    // Each added field becomes field 0; the earlier ones move up by one.
    // The display window becomes the spin's child.
    void AddListField(QWidget* display, const QString& format, const QStringList& texts);
    void AddNumberField(QWidget* display, const QString& format, double minimum, double maximum, double step);
    // Makes display's field a list of these texts, keeping its index; silent.
    void SetListTexts(QWidget* display, const QString& format, const QStringList& texts);

    // List: the index; number: the display's text as a number; no field: 0.
    double GetValue(int field) const;
    bool IsLocked(int field) const;
    void SetValue(double value, int field, bool notify);
    void SetWrap(bool wrap) { wrap_ = wrap; }

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    int ActiveField() const { return active_; }
    ArrowState State() const { return state_; }
    QRect UpRect() const { return upRect_; }
    QRect DownRect() const { return downRect_; }

    // The repeat's delays and clock; tests shorten the one and drive the other.
    void SetRepeatTiming(int startMs, int periodMs);
    void SetClock(std::function<std::int64_t()> nowMs) { clock_ = std::move(nowMs); }

signals:
    void FieldChanged(int field);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        FieldKind kind = FieldKind::Number;
        QPointer<QWidget> display;
        QString format;
        QStringList texts;
        int index = 0;
        double minimum = 0, maximum = 0, step = 1;
        double value = 0; // a number field's value; its display may hold typed text
        bool typed = false; // the operator typed since the value was last shown
    };

    void AddField(Field field);
    int FieldOf(const QObject* display) const;
    // The field's value after the carry or borrow it passes on has been set.
    double Settle(double value, int field, bool notify);
    void Show(int field, double value);
    void Step(int field, int direction, int increment, bool notify);
    // Typed text becomes the value (clamped, notified) or, when it is no number, gives way to it.
    void CommitTyped(int field);
    void StartRepeat(int direction);
    // Qt sends no release to a disabled or hidden widget, so every way out of a hold stops the repeat.
    void StopRepeat();
    void Repeat();
    void SetState(ArrowState state);
    void FitFace();

    std::vector<Field> fields_;
    int active_ = 0;
    bool wrap_ = false;
    bool placedByOwner_ = false;

    QImage face_;
    QRegion frame_;
    QRect upRect_, downRect_;
    ArrowState state_ = ArrowState::None;

    QTimer startTimer_, repeatTimer_;
    int repeatDirection_ = 0;
    SkinSpinAcceleration acceleration_;
    std::function<std::int64_t()> clock_;
};
