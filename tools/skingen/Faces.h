#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

#include <functional>

class QPainter;

// The five faces of a button, in the order the skin names them.
struct ButtonFaces {
    QImage up, down, over, disabled, downDisabled;
};

enum class FaceKind {
    Push,   // pressed face sinks in
    Toggle, // pressed (chosen) face lights in the accent colour
    Live,   // a face that is lit already when up (the Disconnect state)
};

// Draws a glyph in `colour` centred in `box`.
using Glyph = std::function<void(QPainter&, const QRectF& box, const QColor& colour)>;

struct FaceSpec {
    QSize size;
    FaceKind kind = FaceKind::Push;
    double radius = 4;
    QColor surround;     // what lies around the button on its parent
    bool cutCorners = true; // mask colour outside the rounded shape
    Glyph glyph;         // optional
};

ButtonFaces MakeButtonFaces(const FaceSpec& spec);

// Text colours that go with the faces, per state (up, down, over, disabled, down disabled).
struct FaceTextColours {
    QColor up, down, over, disabled, downDisabled;
};
FaceTextColours TextColoursFor(FaceKind kind);

// Glyphs of the window and preset buttons.
namespace glyph {
void Close(QPainter& p, const QRectF& box, const QColor& c);
void Minimise(QPainter& p, const QRectF& box, const QColor& c);
void ArrowUp(QPainter& p, const QRectF& box, const QColor& c);
void ArrowDown(QPainter& p, const QRectF& box, const QColor& c);
void Load(QPainter& p, const QRectF& box, const QColor& c);
void Save(QPainter& p, const QRectF& box, const QColor& c);
void Rename(QPainter& p, const QRectF& box, const QColor& c);
void LoadFile(QPainter& p, const QRectF& box, const QColor& c);
void SaveFile(QPainter& p, const QRectF& box, const QColor& c);
} // namespace glyph
