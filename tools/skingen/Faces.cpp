#include "Faces.h"

#include "Paint.h"

#include <QPainter>
#include <QPainterPath>

#include <initializer_list>

namespace {

struct StateLook {
    QColor top, bottom, border, highlight, ink;
};

StateLook Look(FaceKind kind, int state) // 0 up, 1 down, 2 over, 3 disabled, 4 down disabled
{
    const StateLook up{QColor(0x35, 0x3B, 0x44), QColor(0x2A, 0x2F, 0x37), QColor(0x46, 0x4D, 0x58),
                       QColor(0x41, 0x48, 0x53), pal::kText};
    const StateLook over{QColor(0x3E, 0x45, 0x4F), QColor(0x33, 0x39, 0x42), QColor(0x5E, 0x66, 0x72),
                         QColor(0x4C, 0x54, 0x60), pal::kWhite};
    const StateLook sunk{QColor(0x1B, 0x1E, 0x23), QColor(0x23, 0x27, 0x2D), QColor(0x46, 0x4D, 0x58),
                         QColor(0x1B, 0x1E, 0x23), pal::kAccent};
    const StateLook lit{QColor(0x4D, 0x3A, 0x1F), QColor(0x3B, 0x2D, 0x19), pal::kAccent,
                        QColor(0x60, 0x4A, 0x28), pal::kAccent};
    const StateLook litOver{QColor(0x5A, 0x44, 0x24), QColor(0x45, 0x35, 0x1D), QColor(0xF2, 0xB8, 0x5C),
                            QColor(0x6E, 0x55, 0x2E), QColor(0xF6, 0xC0, 0x6A)};
    const StateLook off{QColor(0x26, 0x2A, 0x30), QColor(0x23, 0x26, 0x2C), QColor(0x31, 0x36, 0x3D),
                        QColor(0x2B, 0x2F, 0x36), pal::kDim};
    const StateLook offLit{QColor(0x2C, 0x26, 0x1D), QColor(0x27, 0x22, 0x1A), QColor(0x5E, 0x4B, 0x2E),
                           QColor(0x30, 0x29, 0x1F), QColor(0x8A, 0x75, 0x50)};
    switch (state) {
    case 0: return kind == FaceKind::Live ? lit : up;
    case 1: return kind == FaceKind::Push ? sunk : lit;
    case 2: return kind == FaceKind::Live ? litOver : over;
    case 3: return off;
    default: return offLit;
    }
}

QImage OneFace(const FaceSpec& spec, int state)
{
    const StateLook look = Look(spec.kind, state);
    QImage image = Canvas(spec.size, spec.surround);
    {
        QPainter p(&image);
        const QRectF rect(0, 0, spec.size.width(), spec.size.height());
        Raised(p, rect, spec.radius, look.top, look.bottom, look.border, look.highlight);
        if (spec.glyph) {
            p.setRenderHint(QPainter::Antialiasing, true);
            // A pressed face moves its content one pixel down, like a real key.
            const double shift = (state == 1 && spec.kind == FaceKind::Push) ? 1 : 0;
            spec.glyph(p, rect.translated(0, shift), look.ink);
        }
    }
    if (spec.cutCorners)
        CutOutside(image, RoundedPath(QRectF(0, 0, spec.size.width(), spec.size.height()), spec.radius));
    return image;
}

QPen Stroke(const QColor& c, double width = 1.5)
{
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

} // namespace

ButtonFaces MakeButtonFaces(const FaceSpec& spec)
{
    return {OneFace(spec, 0), OneFace(spec, 1), OneFace(spec, 2), OneFace(spec, 3), OneFace(spec, 4)};
}

FaceTextColours TextColoursFor(FaceKind kind)
{
    return {Look(kind, 0).ink, Look(kind, 1).ink, Look(kind, 2).ink, Look(kind, 3).ink, Look(kind, 4).ink};
}

namespace glyph {

void Close(QPainter& p, const QRectF& box, const QColor& c)
{
    const QPointF m = box.center();
    p.setPen(Stroke(c, 1.6));
    p.drawLine(m + QPointF(-4, -4), m + QPointF(4, 4));
    p.drawLine(m + QPointF(-4, 4), m + QPointF(4, -4));
}

void Minimise(QPainter& p, const QRectF& box, const QColor& c)
{
    const QPointF m = box.center();
    p.setPen(Stroke(c, 1.6));
    p.drawLine(m + QPointF(-4.5, 3.5), m + QPointF(4.5, 3.5));
}

static void Triangle(QPainter& p, const QRectF& box, const QColor& c, bool up)
{
    const QPointF m = box.center();
    const double s = up ? -1 : 1;
    QPainterPath path;
    path.moveTo(m + QPointF(-4, -2 * s));
    path.lineTo(m + QPointF(4, -2 * s));
    path.lineTo(m + QPointF(0, 2.5 * s));
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
}

void ArrowUp(QPainter& p, const QRectF& box, const QColor& c) { Triangle(p, box, c, true); }
void ArrowDown(QPainter& p, const QRectF& box, const QColor& c) { Triangle(p, box, c, false); }

// Preset glyphs are drawn on a 16 x 16 grid centred in the box.
static QPointF Origin(const QRectF& box)
{
    return box.center() - QPointF(8, 8);
}

// A closed outline through `points` of the glyph grid at `o`, in the current pen.
static void DrawOutline(QPainter& p, const QPointF& o, std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.moveTo(o + *points.begin());
    for (auto it = points.begin() + 1; it != points.end(); ++it)
        path.lineTo(o + *it);
    path.closeSubpath();
    p.drawPath(path);
}

void Load(QPainter& p, const QRectF& box, const QColor& c)
{
    const QPointF o = Origin(box);
    p.setPen(Stroke(c));
    p.setBrush(Qt::NoBrush);
    // Arrow into a tray: the preset goes into the processor.
    p.drawLine(o + QPointF(8, 1.5), o + QPointF(8, 10));
    p.drawPolyline(QPolygonF({o + QPointF(4.5, 7), o + QPointF(8, 10.5), o + QPointF(11.5, 7)}));
    p.drawPolyline(QPolygonF({o + QPointF(2, 10), o + QPointF(2, 14), o + QPointF(14, 14), o + QPointF(14, 10)}));
}

void Save(QPainter& p, const QRectF& box, const QColor& c)
{
    const QPointF o = Origin(box);
    p.setPen(Stroke(c));
    p.setBrush(Qt::NoBrush);
    DrawOutline(p, o, {{2, 2}, {11.5, 2}, {14, 4.5}, {14, 14}, {2, 14}});
    p.drawRect(QRectF(o + QPointF(5, 2), QSizeF(5, 3.5)));
    p.drawRect(QRectF(o + QPointF(4.5, 9), QSizeF(7, 5)));
}

void Rename(QPainter& p, const QRectF& box, const QColor& c)
{
    const QPointF o = Origin(box);
    p.setPen(Stroke(c));
    p.setBrush(Qt::NoBrush);
    // A pencil over a base line.
    DrawOutline(p, o, {{3, 13}, {3.5, 10}, {11, 2.5}, {13.5, 5}, {6, 12.5}});
    p.drawLine(o + QPointF(9.5, 4), o + QPointF(12, 6.5));
    p.drawLine(o + QPointF(9, 14.5), o + QPointF(14, 14.5));
}

static void Folder(QPainter& p, const QPointF& o, const QColor& c)
{
    p.setPen(Stroke(c));
    p.setBrush(Qt::NoBrush);
    DrawOutline(p, o, {{1.5, 4}, {6, 4}, {7.5, 5.5}, {14.5, 5.5}, {14.5, 14}, {1.5, 14}});
}

void LoadFile(QPainter& p, const QRectF& box, const QColor& c)
{
    const QPointF o = Origin(box);
    Folder(p, o, c);
    // Arrow out of the folder: the preset comes from a file.
    p.drawLine(o + QPointF(8, 12), o + QPointF(8, 7.5));
    p.drawPolyline(QPolygonF({o + QPointF(5.5, 9.5), o + QPointF(8, 7), o + QPointF(10.5, 9.5)}));
}

void SaveFile(QPainter& p, const QRectF& box, const QColor& c)
{
    const QPointF o = Origin(box);
    Folder(p, o, c);
    p.drawLine(o + QPointF(8, 7.5), o + QPointF(8, 12));
    p.drawPolyline(QPolygonF({o + QPointF(5.5, 9.5), o + QPointF(8, 12), o + QPointF(10.5, 9.5)}));
}

} // namespace glyph
