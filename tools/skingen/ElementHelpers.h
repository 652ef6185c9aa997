#pragma once

#include "Faces.h"
#include "SkinWriter.h"

#include <QColor>
#include <QPoint>
#include <QString>

// Statements shared by many elements.
struct ButtonOptions {
    QPoint at{};
    QString caption{};
    QString tip{};
    int fontPx = 11;
    bool bold = true;
    bool drawText = true;
    bool stick = false;
    bool rectShape = false; // shape from the whole rectangle, not the mask
    QSize stretchTo{};        // set: width and height given, faces stretched
    QPoint resizeLines{};
    QPoint margins{};         // x_margin, y_margin
};

void WriteFont(SkinWriter& w, int px, bool bold);
// Saves the five faces under `folder\name_<State>.bmp` and writes every key of
// a button element.
void WriteButton(SkinWriter& w, const QString& folder, const QString& name, const FaceSpec& spec,
                 const ButtonOptions& options);
void WritePlace(SkinWriter& w, const QRect& rect);
// A text label drawn over its parent (bkcolor 0) or on a colour.
struct StaticOptions {
    QRect rect;
    QString caption;
    QColor text;
    int fontPx = 10;
    bool bold = false;
    int alignment = 37; // centred on one line, both ways
    QColor fill;        // invalid: no fill, the parent's face shows
};
void WriteStatic(SkinWriter& w, const StaticOptions& options);
void WriteEdit(SkinWriter& w, const QRect& rect, const QColor& back, const QColor& text, int fontPx);

// Windows text-layout flags as the skin's font_alignment stores them.
namespace align {
inline constexpr int kLeft = 0, kCenter = 1, kRight = 2, kVCenter = 4, kWordBreak = 16,
                     kSingleLine = 32;
} // namespace align
