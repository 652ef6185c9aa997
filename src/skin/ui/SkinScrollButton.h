#pragma once

#include "skin/ui/SkinButton.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QTimer>

// A skinned button that scrolls another widget by lines while it is held:
// one line at once, then after 250 ms one line every 50 ms until release.
// The target scrolls through its scroll bar even when that bar is hidden, so
// a tree or list without scroll bars of its own is driven from here.
class CSkinScrollButton : public CSkinButton {
    Q_OBJECT

public:
    enum class Direction { LineUp = 0, LineDown = 1, LineLeft = 2, LineRight = 3 };

    CSkinScrollButton(std::string element, CSkinManager& manager);

    // None until set; a target that goes away is forgotten.
    void SetTarget(QAbstractScrollArea* target) { target_ = target; }
    QAbstractScrollArea* Target() const { return target_; }
    void SetDirection(Direction direction) { direction_ = direction; }
    Direction GetDirection() const { return direction_; }

    // The delay before the repeat and the repeat period (250 and 50 ms).
    void SetRepeatDelays(int firstMs, int nextMs);
    // The interval the repeat timer runs at now; 0 while it is stopped.
    int RepeatInterval() const { return repeat_.isActive() ? repeat_.interval() : 0; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Qt sends no release to a disabled or hidden button: both end the repeat.
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // One tick of the repeat timer: the first tick only switches to the
    // repeat period, every later one scrolls a line while the button is held.
    void OnRepeatTimer();

private:
    void StartRepeat();
    void StopRepeat();
    void ScrollLine();

    QPointer<QAbstractScrollArea> target_;
    Direction direction_ = Direction::LineUp;
    bool repeating_ = false;
    bool inFirstDelay_ = false;
    int firstDelay_ = 250;
    int nextDelay_ = 50;
    QTimer repeat_;
};
