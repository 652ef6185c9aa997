#include "skin/ui/SkinPaint.h"

#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinManager.h"

#include <QPainter>

QColor SkinColour(const CSkinClient& client, std::string_view property)
{
    return QColor(SkinColourToRgb(SkinMask(client, property)));
}

std::uint32_t SkinMask(const CSkinClient& client, std::string_view property)
{
    return static_cast<std::uint32_t>(client.GetLong(property));
}

QRegion SkinShape(const CSkinClient& client, const QImage& face)
{
    const std::uint32_t mask = SkinMask(client, "bkcolormask");
    CSkin* skin = client.Manager().Skin();
    return skin ? skin->Shape(face, mask) : RegionFromBitmap(face, mask);
}

QImage StretchedFace(const CSkinClient& client, std::string_view property, QSize size)
{
    const QImage face = client.GetImage(property);
    if (face.isNull() || size.isEmpty())
        return QImage();
    return StretchByResizeLines(face, client.GetLong("resize_line_x"), client.GetLong("resize_line_y"), size.width(),
                                size.height());
}

void DrawMasked(QPainter& painter, QPoint at, const QImage& image, const QRegion& shape)
{
    if (image.isNull())
        return;
    painter.save();
    painter.setClipRegion(shape.translated(at), Qt::IntersectClip);
    painter.drawImage(at, image);
    painter.restore();
}
