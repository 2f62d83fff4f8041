// The shape data built from the artwork, as the program carries it: each window's outline
// with the bounds and picture encoding its window relies on.
#include "controls/WinShape.h"

#include <gtest/gtest.h>

namespace {

struct ShippedShape {
    const char *resource;
    TShapeImageKind kind;
    TShapeBounds bounds;
    int hole; // the polygon cut out of the window, or -1
};

class ShippedShapeData : public ::testing::TestWithParam<ShippedShape> {};

} // namespace

TEST_P(ShippedShapeData, LoadsWithItsBoundsAndEncodingAndShapesItsWindowWithItsHole)
{
    QWidget window;
    auto *shape = new TWinShape(&window);
    shape->setStoredData(QString::fromLatin1(GetParam().resource));
    shape->setActive(true);

    const TWinShapeData &data = shape->Data();
    const TShapeBounds &b = GetParam().bounds;
    EXPECT_EQ(data.ImageKind, GetParam().kind);
    EXPECT_EQ(data.Bounds, b);
    EXPECT_GE(data.Bitmap.width(), b.Right);
    EXPECT_GE(data.Bitmap.height(), b.Bottom);
    EXPECT_EQ(shape->geometry(), QRect(-b.Left, -b.Top, b.Right, b.Bottom));
    EXPECT_GE(window.width(), b.Right - b.Left);
    const QRegion mask = window.mask();
    EXPECT_FALSE(mask.isEmpty());
    EXPECT_TRUE(QRect(0, 0, b.Right - b.Left + 1, b.Bottom - b.Top + 1).contains(mask.boundingRect()));
    if (GetParam().hole < 0) return;

    // Every pixel of the hole lies outside the mask: the desktop shows through.
    const TWinShapeRegion &region = data.Regions.at(std::size_t(GetParam().hole));
    EXPECT_EQ(region.CombineMode, 4);
    QPolygon hole;
    for (const QPoint &p : region.Points)
        hole << p - QPoint(b.Left, b.Top);
    int holePixels = 0;
    for (const QRect &r : QRegion(hole, Qt::OddEvenFill))
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                ++holePixels;
                ASSERT_FALSE(mask.contains(QPoint(x, y))) << x << "," << y;
            }
    EXPECT_GT(holePixels, 500);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ShippedShapeData,
    ::testing::Values(ShippedShape{":/chirpel/shapes/body.bin", ikJpeg, {11, 11, 625, 390}, 1},
                      ShippedShape{
                          ":/chirpel/shapes/dashboard.bin", ikDeflatedBitmap, {18, 13, 463, 190}, -1},
                      ShippedShape{":/chirpel/shapes/bubble.bin", ikBitmap, {2, 2, 263, 220}, -1}),
    [](const auto &info) {
        const std::string path = info.param.resource;
        const auto slash = path.rfind('/');
        return path.substr(slash + 1, path.size() - slash - 5);
    });
