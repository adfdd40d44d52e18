// The windows' icon comes from the PNGs beside the executable when the desktop theme has none:
// here the build folder's staged share/icons, found from build/tests as an installed program
// finds PREFIX/share from PREFIX/bin.
#include "window/applicationicon.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

TEST(ApplicationIcon, ShippedPngsOfEverySize)
{
    if (QIcon::hasThemeIcon("corvane"))
        GTEST_SKIP() << "an installed Corvane's theme icon hides the shipped files";
    const QIcon icon = corvaneIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {48, 128, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        // The corners are transparent, the middle of the tile is not.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
}

} // namespace
} // namespace corvane
