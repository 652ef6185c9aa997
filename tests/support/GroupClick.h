#pragma once

#include "skin/ui/SkinButtonGroup.h"

#include <QApplication>
#include <QMouseEvent>

// Chooses button index of a button group as the operator does with the mouse:
// a left press and release in the middle of the button.
inline void ClickGroupButton(CSkinButtonGroup& group, int index)
{
    const QPointF at = group.ButtonRect(index).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, group.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&group, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, group.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&group, &release);
}
