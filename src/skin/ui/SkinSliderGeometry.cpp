#include "skin/ui/SkinSliderGeometry.h"

#include <algorithm>
#include <cmath>

int SkinSliderGeometry::TickCount() const
{
    return maximum >= minimum ? maximum - minimum + 1 : 1;
}

double SkinSliderGeometry::PixelsPerPosition() const
{
    const int n = TickCount();
    if (n < 2)
        return 0.0;
    return static_cast<double>(client.height() - offsetTop - offsetBottom) / (n - 1);
}

double SkinSliderGeometry::TickY(int tick) const
{
    return offsetTop + tick * PixelsPerPosition();
}

bool SkinSliderGeometry::DenseTicks() const
{
    return 4LL * TickCount() >= client.height();
}

QRect SkinSliderGeometry::ThumbRect(int position) const
{
    const int p = std::clamp(position, minimum, std::max(minimum, maximum)) - minimum;
    const int left = (client.width() - thumb.width()) / 2;
    const int top = static_cast<int>(p * PixelsPerPosition() + offsetTop - thumbCenter);
    return QRect(left, top, thumb.width(), thumb.height());
}

int SkinSliderGeometry::PositionAt(int y) const
{
    const double s = PixelsPerPosition();
    if (s <= 0.0)
        return minimum;
    // Rounding with floor keeps negative ranges exact, where truncation towards
    // zero would land one position off on one side of zero.
    const double steps = std::floor((y - offsetTop) / s + 0.5);
    const double clamped = std::clamp(steps, 0.0, static_cast<double>(TickCount() - 1));
    return minimum + static_cast<int>(clamped);
}
