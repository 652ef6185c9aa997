#pragma once

#include <QRect>

#include <string_view>

class CSkinClient;
class QPainter;
class QWidget;

// Where a skinned control sits: the rectangle offset_left, offset_top, width,
// height of its element, in its parent's coordinates, each held to a sane range.
QRect SkinRect(const CSkinClient& client);

// A skin number used as an offset, margin or size in pixel arithmetic, held to
// +-65536 so no sum or difference made of a few of them can overflow.
int SkinOffset(const CSkinClient& client, std::string_view property);

// The common creation of a skinned child control: control becomes a visible
// child of parent carrying controlId, bound to its skin through client, with
// the skin applied.
void CreateChildControl(QWidget& control, CSkinClient& client, QWidget* parent, int controlId);

// Pseudo-transparency: paints the face of the nearest skinned window above
// `control` (a CSkinWnd) that lies under the control, so a control without a
// face of its own shows what is behind it. Nothing when there is no such window.
void PaintFaceBehind(QPainter& painter, const QWidget* control);
