// Outline text files as the artwork writes them, read into shape data.
#include "controls/ShapeOutline.h"

#include <gtest/gtest.h>

TEST(ShapeOutline, PolygonsVerticesCommentsAndComputedBounds)
{
    const TWinShapeData data = ParseShapeOutline(QStringLiteral("# voice-mail window\n"
                                                                "\n"
                                                                "polygon 0\n"
                                                                "  11 20\n"
                                                                "625 11\n"
                                                                "600 390\n"
                                                                "polygon 4 9\n"
                                                                "100 100\n"
                                                                "  # the hole\n"
                                                                "120 100\r\n"
                                                                "110 130\n"));
    ASSERT_EQ(data.Regions.size(), 2u);
    EXPECT_EQ(data.Regions[0].CombineMode, 0);
    EXPECT_EQ(data.Regions[0].Reserved, 0);
    EXPECT_EQ(data.Regions[0].Points, (std::vector<QPoint>{{11, 20}, {625, 11}, {600, 390}}));
    EXPECT_EQ(data.Regions[1].CombineMode, 4);
    EXPECT_EQ(data.Regions[1].Reserved, 9);
    EXPECT_EQ(data.Regions[1].Points.size(), 3u);
    EXPECT_EQ(data.Bounds, (TShapeBounds{11, 11, 625, 390}));
}

TEST(ShapeOutline, ABoundsLineOverridesTheComputedBounds)
{
    const TWinShapeData data =
        ParseShapeOutline(QStringLiteral("bounds 2 2 263 220\npolygon -1\n5 5\n9 9\n7 3\n"));
    EXPECT_EQ(data.Bounds, (TShapeBounds{2, 2, 263, 220}));
    EXPECT_EQ(data.Regions[0].CombineMode, -1);
}

TEST(ShapeOutline, BuildingShapeDataTakesThePictureAndEncoding)
{
    QImage picture(8, 6, QImage::Format_ARGB32);
    picture.fill(qRgb(10, 20, 30));
    const TWinShapeData data = BuildShapeData(picture, QStringLiteral("polygon 0\n1 1\n7 1\n7 5\n"), ikJpeg);
    EXPECT_EQ(data.ImageKind, ikJpeg);
    EXPECT_EQ(data.Bitmap.size(), QSize(8, 6));
    EXPECT_EQ(data.Bitmap.format(), QImage::Format_RGB32);
    EXPECT_EQ(data.Bounds, (TShapeBounds{1, 1, 7, 5}));
}

namespace {

struct BadOutline {
    const char *name;
    const char *text;
    const char *mentions;
};

class BadOutlineText : public ::testing::TestWithParam<BadOutline> {};

} // namespace

TEST_P(BadOutlineText, IsRefusedNamingTheLine)
{
    try {
        ParseShapeOutline(QString::fromLatin1(GetParam().text));
        FAIL() << "accepted";
    } catch (const EShapeDataError &e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().mentions), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadOutlineText,
                         ::testing::Values(BadOutline{"VertexBeforePolygon", "# x\n1 2\n", "line 2"},
                                           BadOutline{"NotANumber", "polygon 0\n1 two\n", "line 2"},
                                           BadOutline{"ThreeCoordinates", "polygon 0\n1 2 3\n", "line 2"},
                                           BadOutline{"PolygonWithoutCode", "polygon\n", "line 1"},
                                           BadOutline{"PolygonWithTooMuch", "polygon 1 2 3\n", "line 1"},
                                           BadOutline{"ShortBounds", "bounds 1 2 3\n", "line 1"},
                                           BadOutline{"BoundsTwice", "bounds 1 2 3 4\n\nbounds 1 2 3 4\n",
                                                      "line 3"}),
                         [](const auto &info) { return std::string(info.param.name); });
