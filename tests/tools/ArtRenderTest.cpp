// Colour keying and the distortion guard of the build's picture renderer.
#include "tools/artrender/ColourKey.h"

#include <gtest/gtest.h>

namespace {

const QColor Lime(0, 255, 0);

TEST(ArtRender, ColourKeyMakesHalfCoveredPixelsSolidAndTheRestTheKey)
{
    QImage rendered(4, 1, QImage::Format_ARGB32);
    rendered.setPixel(0, 0, qRgba(200, 100, 50, 255)); // fully drawn
    rendered.setPixel(1, 0, qRgba(200, 100, 50, 128)); // an edge pixel just over half covered
    rendered.setPixel(2, 0, qRgba(200, 100, 50, 127)); // an edge pixel just under half covered
    rendered.setPixel(3, 0, qRgba(0, 0, 0, 0));        // nothing drawn

    const QImage keyed = artrender::applyColourKey(rendered, Lime);

    EXPECT_EQ(keyed.pixel(0, 0), qRgb(200, 100, 50));
    EXPECT_EQ(qAlpha(keyed.pixel(1, 0)), 255) << "a blended edge becomes opaque, never half lime";
    EXPECT_NE(keyed.pixel(1, 0), Lime.rgb());
    EXPECT_EQ(keyed.pixel(2, 0), Lime.rgb());
    EXPECT_EQ(keyed.pixel(3, 0), Lime.rgb());
}

TEST(ArtRender, ColourKeyKeepsTheColourOfPremultipliedEdges)
{
    // A painter draws into premultiplied images; keying must not darken the solid pixels.
    QImage rendered(1, 1, QImage::Format_ARGB32_Premultiplied);
    rendered.fill(QColor(255, 210, 70, 200));
    const QRgb keyed = artrender::applyColourKey(rendered, Lime).pixel(0, 0);
    EXPECT_NEAR(qRed(keyed), 255, 2);
    EXPECT_NEAR(qGreen(keyed), 210, 2);
    EXPECT_NEAR(qBlue(keyed), 70, 2);
}

struct AspectCase {
    QSize source;
    QSize target;
    bool same;
};

class ArtRenderAspect : public testing::TestWithParam<AspectCase> {};

TEST_P(ArtRenderAspect, RefusesOnlySizesThatWouldDistortThePicture)
{
    EXPECT_EQ(artrender::sameAspect(GetParam().source, GetParam().target), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(ArtRender, ArtRenderAspect,
                         testing::Values(AspectCase{{625, 390}, {625, 390}, true},
                                         AspectCase{{96, 96}, {256, 256}, true},
                                         AspectCase{{451, 196}, {452, 196}, true},  // within a pixel
                                         AspectCase{{360, 120}, {360, 124}, false}, // squashed frames
                                         AspectCase{{96, 96}, {256, 200}, false},
                                         AspectCase{{0, 0}, {10, 10}, false},
                                         AspectCase{{10, 10}, {0, 10}, false}));

} // namespace
