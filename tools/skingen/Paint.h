#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QString>

// The skin's palette and the few drawing moves every face is made of.
namespace pal {
inline const QColor kFace{0x1E, 0x21, 0x27};
inline const QColor kFaceTop{0x2C, 0x30, 0x38};
inline const QColor kFaceLow{0x1A, 0x1D, 0x22};
inline const QColor kPanel{0x26, 0x2A, 0x31};
inline const QColor kBand{0x2B, 0x30, 0x38};
inline const QColor kBorder{0x3A, 0x3F, 0x48};
inline const QColor kWell{0x16, 0x18, 0x1D};
inline const QColor kShadow{0x10, 0x12, 0x15};
inline const QColor kText{0xE4, 0xE7, 0xEB};
inline const QColor kText2{0x9A, 0xA3, 0xAE};
inline const QColor kDim{0x5A, 0x61, 0x6C};
inline const QColor kAccent{0xE8, 0xA3, 0x3D};
inline const QColor kAccentDeep{0x3A, 0x2D, 0x1A};
inline const QColor kSelection{0x3D, 0x4A, 0x5C};
inline const QColor kWhite{0xFF, 0xFF, 0xFF};
inline const QColor kGreen{0x3D, 0xDC, 0x84};
inline const QColor kYellow{0xF2, 0xC9, 0x4C};
inline const QColor kRed{0xEB, 0x57, 0x57};
inline const QColor kBlue{0x4F, 0xB3, 0xF6};
inline const QColor kMask{0xFF, 0x00, 0xFF};
} // namespace pal

inline constexpr const char* kFontFamily = "DejaVu Sans";

QColor Mix(const QColor& a, const QColor& b, double t); // t = 0 gives a, 1 gives b
QFont PixelFont(int px, bool bold);

// The scale every canvas is made at: 1 for the skin's images, 2 for their
// twins. A canvas carries it as its device pixel ratio, so the same drawing
// code in logical pixels paints both.
void SetDrawingScale(int scale);
QImage Canvas(QSize size, const QColor& fill);
QPainterPath RoundedPath(const QRectF& rect, double radius);
// Every pixel whose centre lies outside `shape` becomes the mask colour. The
// shape is rasterised without smoothing so no pixel is blended with the mask.
void CutOutside(QImage& image, const QPainterPath& shape);

// A raised face: vertical gradient, 1-pixel border, lighter inner top line.
void Raised(QPainter& p, const QRectF& rect, double radius, const QColor& top, const QColor& bottom,
            const QColor& border, const QColor& highlight);
// A recessed well: flat fill, darker top edge, faint lighter bottom edge.
void Recess(QPainter& p, const QRect& rect, double radius, const QColor& fill);
void DrawText(QPainter& p, const QRect& rect, int flags, const QString& text, int px, bool bold,
              const QColor& colour, double spacing = 0);
