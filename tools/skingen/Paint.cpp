#include "Paint.h"

#include <QLinearGradient>

QColor Mix(const QColor& a, const QColor& b, double t)
{
    auto mix = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

QFont PixelFont(int px, bool bold)
{
    QFont font(kFontFamily);
    font.setPixelSize(px);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

namespace {
int drawingScale = 1;
} // namespace

void SetDrawingScale(int scale)
{
    drawingScale = scale;
}

QImage Canvas(QSize size, const QColor& fill)
{
    QImage image(size * drawingScale, QImage::Format_RGB32);
    image.setDevicePixelRatio(drawingScale);
    image.fill(fill);
    return image;
}

QPainterPath RoundedPath(const QRectF& rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void CutOutside(QImage& image, const QPainterPath& shape)
{
    QImage coverage(image.size(), QImage::Format_Grayscale8);
    coverage.setDevicePixelRatio(image.devicePixelRatio());
    coverage.fill(0);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillPath(shape, Qt::white);
    }
    const QRgb mask = pal::kMask.rgb();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* in = coverage.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (in[x] < 128)
                out[x] = mask;
    }
}

void Raised(QPainter& p, const QRectF& rect, double radius, const QColor& top, const QColor& bottom,
            const QColor& border, const QColor& highlight)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    const QRectF outer = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(border, 1));
    p.setBrush(gradient);
    p.drawRoundedRect(outer, radius, radius);
    p.setPen(QPen(highlight, 1));
    const double inset = radius > 1 ? radius : 1.5;
    p.drawLine(QPointF(rect.left() + inset, rect.top() + 1.5), QPointF(rect.right() - inset, rect.top() + 1.5));
    p.restore();
}

void Recess(QPainter& p, const QRect& rect, double radius, const QColor& fill)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF r = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(pal::kShadow, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
    // Light catches the lower lip of the well.
    p.setPen(QPen(Mix(pal::kFace, pal::kFaceTop, 0.8), 1));
    p.drawLine(QPointF(r.left() + radius, r.bottom() + 1), QPointF(r.right() - radius, r.bottom() + 1));
    p.restore();
}

void DrawText(QPainter& p, const QRect& rect, int flags, const QString& text, int px, bool bold,
              const QColor& colour, double spacing)
{
    p.save();
    QFont font = PixelFont(px, bold);
    if (spacing != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(rect, flags, text);
    p.restore();
}
