// Colour keying and the distortion guard of the build's picture renderer.
#include "tools/artrender/ColourKey.h"

#include <gtest/gtest.h>

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
    // A painter draws into premultiplied images; keying must not darken the solid pixels.
    QImage premultiplied(1, 1, QImage::Format_ARGB32_Premultiplied);
    premultiplied.fill(QColor(255, 210, 70, 200));
    const QRgb solid = artrender::applyColourKey(premultiplied, Lime).pixel(0, 0);
    EXPECT_NEAR(qRed(solid), 255, 2);
    EXPECT_NEAR(qGreen(solid), 210, 2);
    EXPECT_NEAR(qBlue(solid), 70, 2);
}

TEST(ArtRender, RefusesOnlySizesThatWouldDistortThePicture)
{
    const std::tuple<QSize, QSize, bool> cases[] = {
        {{625, 390}, {625, 390}, true},  {{96, 96}, {256, 256}, true},
        {{451, 196}, {452, 196}, true},  // within a pixel
        {{360, 120}, {360, 124}, false}, // squashed frames
        {{96, 96}, {256, 200}, false},   {{0, 0}, {10, 10}, false},
        {{10, 10}, {0, 10}, false}};
    for (const auto &[source, target, same] : cases)
        EXPECT_EQ(artrender::sameAspect(source, target), same) << source.width() << " " << target.width();
}
