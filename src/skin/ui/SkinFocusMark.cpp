#include "skin/ui/SkinFocusMark.h"

#include <QPainter>
#include <QPen>

void DrawSkinFocusMark(QPainter& painter, const QRect& rect, const QColor& colour)
{
    if (rect.width() < 2 || rect.height() < 2)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipping(false);
    QPen pen(colour, 0, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}
