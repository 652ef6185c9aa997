#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// The keyboard-focus mark of the skinned controls: a dotted one-pixel frame
// just inside `rect`, in a colour the control takes from its skin.
void DrawSkinFocusMark(QPainter& painter, const QRect& rect, const QColor& colour);
