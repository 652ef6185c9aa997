#include "app/ui/ApplicationIcon.h"

#include <QImage>

#include <gtest/gtest.h>

// The icon's pictures travel as resources of a static library: they must reach
// the program, at the small sizes of title bars and the large ones of task
// switchers, each drawn at its own size rather than scaled.
TEST(ApplicationIconTest, OffersEverySizeFromItsResources)
{
    const QIcon icon = ApplicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(48, 48)));
    EXPECT_TRUE(sizes.contains(QSize(256, 256)));
    for (const QSize& size : sizes) {
        const QImage image = icon.pixmap(size).toImage();
        EXPECT_EQ(image.size(), size);
        // Rounded corners: transparent at the corner, opaque in the middle.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size.width();
        EXPECT_EQ(qAlpha(image.pixel(size.width() / 2, size.height() / 2)), 255) << size.width();
    }
}
