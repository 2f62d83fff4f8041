// The shape data built from the artwork, as the program carries it: each window's outline with
// the bounds, picture and encoding its window relies on, and the hole cut into the body.
#include "controls/WinShape.h"

#include <gtest/gtest.h>

namespace {

struct ShippedShape {
    const char *name;
    TShapeImageKind kind;
    TShapeBounds bounds;
    std::vector<int> combineModes; // a 4 is the hole cut out of the window
};

class ShippedShapeData : public ::testing::TestWithParam<ShippedShape> {};

} // namespace

TEST_P(ShippedShapeData, LoadsWithItsBoundsAndEncodingAndShapesItsWindowWithItsHole)
{
    QWidget window;
    auto *shape = new TWinShape(&window);
    shape->setStoredData(QStringLiteral(":/chirpel/shapes/%1.bin").arg(QLatin1String(GetParam().name)));
    shape->setActive(true);
    const TWinShapeData &data = shape->Data();
    const TShapeBounds &b = GetParam().bounds;
    EXPECT_EQ(data.ImageKind, GetParam().kind);
    EXPECT_EQ(data.Bounds, b);
    EXPECT_EQ(data.OutlineBounds(), b) << "the bounds are the vertices' extent";
    EXPECT_EQ(data.Bitmap.size(), QSize(b.Right, b.Bottom)); // the outline stays inside the picture
    ASSERT_EQ(data.Regions.size(), GetParam().combineModes.size());
    for (std::size_t i = 0; i < data.Regions.size(); ++i) {
        EXPECT_EQ(data.Regions[i].CombineMode, GetParam().combineModes[i]);
        EXPECT_GE(data.Regions[i].PointCount(), i == 0 ? 24 : 8) << "curves need enough vertices";
    }
    EXPECT_EQ(shape->geometry(), QRect(-b.Left, -b.Top, b.Right, b.Bottom));
    EXPECT_GE(window.width(), b.Right - b.Left);
    const QRegion mask = window.mask();
    EXPECT_FALSE(mask.isEmpty());
    EXPECT_TRUE(QRect(0, 0, b.Right - b.Left + 1, b.Bottom - b.Top + 1).contains(mask.boundingRect()));
    if (data.Regions.size() < 2) return;

    // Every pixel of the hole lies outside the mask: the desktop shows through.
    QPolygon hole;
    for (const QPoint &p : data.Regions[1].Points)
        hole << p - QPoint(b.Left, b.Top);
    int holePixels = 0;
    for (const QRect &r : QRegion(hole, Qt::OddEvenFill))
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x, ++holePixels)
                ASSERT_FALSE(mask.contains(QPoint(x, y))) << x << "," << y;
    EXPECT_GT(holePixels, 500);
}

INSTANTIATE_TEST_SUITE_P(Windows, ShippedShapeData,
                         ::testing::Values(ShippedShape{"body", ikJpeg, {11, 11, 625, 390}, {2, 4}},
                                           ShippedShape{
                                               "dashboard", ikDeflatedBitmap, {18, 13, 463, 190}, {2}},
                                           ShippedShape{"bubble", ikBitmap, {2, 2, 263, 220}, {2}}),
                         [](const auto &info) { return std::string(info.param.name); });
