#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <string_view>

class CSkinClient;
class QPainter;

// Small drawing steps that the value controls (slider, spin, animation) share.

// The colour of a LONG colour key of the client's element.
QColor SkinColour(const CSkinClient& client, std::string_view property);

// The client's LONG key as a skin colour value (0x00BBGGRR) for mask lookups.
std::uint32_t SkinMask(const CSkinClient& client, std::string_view property);
// The shape of `face`, an image the client's skin gave it, without the
// client's "bkcolormask" pixels; shared with every control of that face.
QRegion SkinShape(const CSkinClient& client, const QImage& face);

// The image `property` stretched to size along the element's resize_line_x and
// resize_line_y; null when the element has no such image.
QImage StretchedFace(const CSkinClient& client, std::string_view property, QSize size);

// Draws image at `at`, showing only the pixels of `shape` (in image coordinates).
void DrawMasked(QPainter& painter, QPoint at, const QImage& image, const QRegion& shape);
