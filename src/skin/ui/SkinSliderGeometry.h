#pragma once

#include <QRect>
#include <QSize>

// Where a skinned slider's thumb sits and which position a y coordinate means.
// The range minimum is at the top: its thumb centre line lies offsetTop below
// the top edge, the maximum's lies offsetBottom above the bottom edge, and the
// positions in between are spaced evenly.
struct SkinSliderGeometry {
    QSize client;         // the slider's client size
    QSize thumb;          // the size of the normal thumb bitmap
    int offsetTop = 0;    // y of the centre line at the minimum
    int offsetBottom = 0; // distance from the bottom edge to the centre line at the maximum
    int thumbCenter = 0;  // y of the centre line inside the thumb bitmap
    int minimum = 0;
    int maximum = 0;

    // One tick per position.
    int TickCount() const;
    // Pixels between neighbouring positions; 0 for a range of one position.
    double PixelsPerPosition() const;
    // y of tick i (0 for the minimum).
    double TickY(int tick) const;
    // Ticks that are closer than four pixels are thinned to every fourth.
    bool DenseTicks() const;
    QRect ThumbRect(int position) const;
    // The position whose centre line is nearest to y, within the range.
    int PositionAt(int y) const;
};
