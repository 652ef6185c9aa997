#include "skin/ui/SkinPlacement.h"

#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinWnd.h"

#include "skin/ui/SkinDrawing.h"

#include <QPainter>

#include <algorithm>

namespace {
// Skin values come from a file: a typo must not place a control light years
// away or ask for a size no arithmetic on it survives.
constexpr int kMaxOffset = 1 << 16;

int Side(const CSkinClient& client, std::string_view property)
{
    return std::clamp(client.GetLong(property), -1, kMaxStretchSide);
}
} // namespace

int SkinOffset(const CSkinClient& client, std::string_view property)
{
    return std::clamp(client.GetLong(property), -kMaxOffset, kMaxOffset);
}

QRect SkinRect(const CSkinClient& client)
{
    return QRect(SkinOffset(client, "offset_left"), SkinOffset(client, "offset_top"), Side(client, "width"),
                 Side(client, "height"));
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
