#pragma once

#include "common/ByteString.h"

#include <QByteArrayView>
#include <QImage>
#include <QRegion>

#include <cstdint>

// The two pixel operations every skinned control is built from. Both are pure:
// they read their input image and return a new value.

// Largest side a stretched copy may have; skin values come from a file and a
// typo must not ask for gigabytes.
inline constexpr int kMaxStretchSide = 16384;

// Fits `source` to width x height by repeating its pixel column `resizeX` and
// pixel row `resizeY`; the parts left of and above the lines keep their pixels,
// the parts right of and below them move to the new right and bottom edges.
// A smaller target draws the right and lower quarters shifted over the others.
// The result has the source's format (and colour table); a null source or a
// target side outside 1 .. kMaxStretchSide gives a null image.
// Lines and size are logical pixels: a twin at scale 2 repeats its first
// device column and row of each line, and the result keeps the scale.
QImage StretchByResizeLines(const QImage& source, int resizeX, int resizeY, int width, int height);

// The shape made of every pixel whose colour differs from `maskColour`
// (0x00BBGGRR, as skin files write colours). Pixels compare exactly in the
// image's own layout: the colour-table entry for 8 bits, the 5-6-5 (or 5-5-5)
// value for 16 bits, the three bytes for 24 bits and the opaque pixel for 32.
// The shape is in logical pixels: for a twin at scale 2, a logical pixel
// belongs to it when none of its device pixels is the mask colour, so no mask
// colour ever shows at its edge.
QRegion RegionFromBitmap(const QImage& bitmap, std::uint32_t maskColour);

// The image's size in logical pixels (its device pixel ratio taken out).
QSize LogicalSize(const QImage& image);

// The decoded bitmap file back in the pixel layout the file stores: the image
// reader widens 16-bit (5-6-5 or 5-5-5) pixels to 32 bits, and mask colours must
// compare against the stored values. Any other image comes back unchanged.
QImage InFileLayout(const QImage& decoded, QByteArrayView file);

// The uncompressed 24- or 32-bit bitmap file that skin images normally are,
// decoded straight into the image the image reader makes of it (32-bit RGB,
// its resolution kept); a null image for any other or incomplete file, which
// is left to the image reader.
QImage DecodePlainBitmap(QByteArrayView file);

// The same for a 32-bit bitmap stored top-down, without a copy: its pixels
// become the image's own memory and the file is moved into the image. Null,
// with the file left as it was, for any other file. The project's skin stores
// its faces this way, so that the largest ones cost no more than inflating.
QImage AdoptPlainBitmap(ByteString& file);

// 0x00BBGGRR to an opaque QRgb and back.
QRgb SkinColourToRgb(std::uint32_t colour);
std::uint32_t RgbToSkinColour(QRgb rgb);
