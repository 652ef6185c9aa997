#pragma once

#include "description/DescriptionTree.h"

#include <string>
#include <vector>

// Where the page builder puts each control: pure arithmetic on the 10-pixel
// grid of the description, so it can be checked without a window.

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// One grid unit is 10 pixels; a cell value (or a sum of two) wraps at 256.
int GridScale(unsigned units);

// Slider item: a 40-pixel track centred in the cell, 40 pixels below its top;
// caption and value text stacked above the track.
struct SliderCell {
    PixelRect track;
    PixelRect caption;
    PixelRect value;
};
SliderCell SliderCellLayout(const ControlItem& item);

// Button group item: the group's top-left corner and width; its height comes
// from its buttons.
struct GroupCell {
    int left = 0;
    int top = 0;
    int width = 0;
};
GroupCell GroupCellLayout(const ControlItem& item);

// Spin item: the spin fills the cell; its caption is a 13-pixel band above it.
struct SpinCell {
    PixelRect spin;
    PixelRect caption;
};
SpinCell SpinCellLayout(const ControlItem& item);

// One field of a spin inside the field area `area` (spin client coordinates).
// Record i's field has the spin's field index n - 1 - i, because every field
// added to a spin goes in front of the earlier ones.
struct SpinFieldCell {
    PixelRect edit;
    bool hasSeparator = false;  // fields after the first
    PixelRect separator;
    int fieldIndex = 0;
};
std::vector<SpinFieldCell> SpinFieldLayout(const PixelRect& area, int fieldCount);

// The caption header's parts: the path cut at each ">", every part after the
// first keeping the blank that followed the ">" ("A > B" gives "A", " B").
std::vector<std::string> CaptionParts(const std::string& path);
