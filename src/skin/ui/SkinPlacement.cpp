#include "skin/ui/SkinPlacement.h"

#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinWnd.h"

#include <QPainter>

QRect SkinRect(const CSkinClient& client)
{
    return QRect(client.GetLong("offset_left"), client.GetLong("offset_top"), client.GetLong("width"),
                 client.GetLong("height"));
}

void CreateChildControl(QWidget& control, CSkinClient& client, QWidget* parent, int controlId)
{
    control.setParent(parent);
    SetControlId(&control, controlId);
    client.Attach(&control);
    client.ApplySkin();
    control.show();
}

void PaintFaceBehind(QPainter& painter, const QWidget* control)
{
    QPoint offset;
    for (const QWidget* w = control; w && !w->isWindow(); w = w->parentWidget()) {
        offset += w->pos();
        if (const auto* window = qobject_cast<const CSkinWnd*>(w->parentWidget())) {
            painter.drawImage(-offset, window->Face());
            return;
        }
    }
}
