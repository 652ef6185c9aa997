#pragma once

#include <QRect>

class CSkinClient;
class QPainter;
class QWidget;

// Where a skinned control sits: the rectangle offset_left, offset_top, width,
// height of its element, in its parent's coordinates.
QRect SkinRect(const CSkinClient& client);

// Pseudo-transparency: paints the face of the nearest skinned window above
// `control` (a CSkinWnd) that lies under the control, so a control without a
// face of its own shows what is behind it. Nothing when there is no such window.
void PaintFaceBehind(QPainter& painter, const QWidget* control);
