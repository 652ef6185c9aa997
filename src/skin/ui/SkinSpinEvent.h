#pragma once

#include <QEvent>

// Posted by a spin to its parent and to a field's display window whenever it
// set that field's value with notification (arrows, typing, a carry): the
// application message WM_USER + 400 with the field index.
class CSkinSpinEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = QEvent::Type(0x0400 + 400);

    explicit CSkinSpinEvent(int field)
        : QEvent(kType)
        , field_(field)
    {
    }
    int Field() const { return field_; }

private:
    int field_;
};
