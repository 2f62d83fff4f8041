// Outline text files as the artwork writes them, read into shape data.
#include "controls/ShapeOutline.h"

#include <gtest/gtest.h>

TEST(ShapeOutline, PolygonsVerticesCommentsComputedOrGivenBoundsAndThePictureAndEncoding)
{
    const TWinShapeData data = ParseShapeOutline(QStringLiteral(
        "# voice-mail window\n\npolygon 0\n  11 20\n625 11\n600 390\npolygon 4 9\n100 100\n  # the hole\n"
        "120 100\r\n110 130\n"));
    ASSERT_EQ(data.Regions.size(), 2u);
    EXPECT_EQ(data.Regions[0], (TWinShapeRegion{0, 0, {{11, 20}, {625, 11}, {600, 390}}}));
    EXPECT_EQ(data.Regions[1], (TWinShapeRegion{9, 4, {{100, 100}, {120, 100}, {110, 130}}}));
    EXPECT_EQ(data.Bounds, (TShapeBounds{11, 11, 625, 390}));
    const TWinShapeData given =
        ParseShapeOutline(QStringLiteral("bounds 2 2 263 220\npolygon -1\n5 5\n9 9\n"));
    EXPECT_EQ(given.Bounds, (TShapeBounds{2, 2, 263, 220}));
    EXPECT_EQ(given.Regions[0].CombineMode, -1);
    QImage picture(8, 6, QImage::Format_ARGB32);
    picture.fill(qRgb(10, 20, 30));
    const TWinShapeData built = BuildShapeData(picture, QStringLiteral("polygon 0\n1 1\n7 1\n7 5\n"), ikJpeg);
    EXPECT_EQ(built.ImageKind, ikJpeg);
    EXPECT_EQ(built.Bitmap.size(), QSize(8, 6));
    EXPECT_EQ(built.Bitmap.format(), QImage::Format_RGB32);
    EXPECT_EQ(built.Bounds, (TShapeBounds{1, 1, 7, 5}));
}

// Each refusal names the line at fault.
TEST(ShapeOutline, BadTextIsRefusedNamingTheLine)
{
    for (auto [text, mentions] : {std::pair{"# x\n1 2\n", "line 2"}, // a vertex before any polygon
                                  {"polygon 0\n1 two\n", "line 2"},
                                  {"polygon 0\n1 2 3\n", "line 2"},
                                  {"polygon\n", "line 1"},
                                  {"polygon 1 2 3\n", "line 1"},
                                  {"bounds 1 2 3\n", "line 1"},
                                  {"bounds 1 2 3 4\n\nbounds 1 2 3 4\n", "line 3"}}) {
        try {
            ParseShapeOutline(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted " << text;
        } catch (const EShapeDataError &e) {
            EXPECT_NE(std::string(e.what()).find(mentions), std::string::npos) << e.what();
        }
    }
}
