#include "skin/ui/SkinDrawing.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

QImage Pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 9 + 1, y * 11 + 2, (x * 5 + y * 3) & 0xFF));
    return image;
}

} // namespace

// Resize lines come from the skin file as any 32-bit number. Past the edges of
// the bitmap every further step changes nothing, so the extremes must draw
// exactly what the nearest lines beyond the edges draw.
TEST(StretchLimits, ExtremeResizeLinesDrawLikeLinesJustPastTheEdges)
{
    const QImage source = Pattern(20, 10);
    for (const QSize target : {QSize(50, 30), QSize(12, 6)}) {
        const int far = std::max(source.width(), target.width()) + 5;
        const int farY = std::max(source.height(), target.height()) + 5;
        EXPECT_EQ(StretchByResizeLines(source, INT_MAX, 4, target.width(), target.height()),
                  StretchByResizeLines(source, far, 4, target.width(), target.height()));
        EXPECT_EQ(StretchByResizeLines(source, INT_MIN, 4, target.width(), target.height()),
                  StretchByResizeLines(source, -5, 4, target.width(), target.height()));
        EXPECT_EQ(StretchByResizeLines(source, 7, INT_MAX, target.width(), target.height()),
                  StretchByResizeLines(source, 7, farY, target.width(), target.height()));
        EXPECT_EQ(StretchByResizeLines(source, 7, INT_MIN, target.width(), target.height()),
                  StretchByResizeLines(source, 7, -5, target.width(), target.height()));
    }
}
