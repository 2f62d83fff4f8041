// The compiled-in artwork: every picture at its exact size, strips of whole frames on the colour
// they sit on, and shape data whose outlines hold the controls the windows place on them.
#include "controls/WinShape.h"
#include "controls/WinShapeUtils.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QRegion>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>

namespace {

QImage picture(const char *name)
{
    return QImage(QStringLiteral(":/chirpel/art/%1.png").arg(QLatin1String(name)));
}

TWinShapeData shape(const char *name)
{
    QFile file(QStringLiteral(":/chirpel/shapes/%1.bin").arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly)) return {};
    TWinShapeData data;
    data.LoadFromBytes(file.readAll());
    return data;
}

// The region a shaped window gets from its polygons, in picture coordinates.
QRegion outlineRegion(const TWinShapeData &data)
{
    return TWinShape::OutlineRegion(data.Regions, QPoint(0, 0));
}

bool contains(const QRegion &region, const QRect &rect)
{
    return region.intersected(rect) == QRegion(rect);
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

struct Picture {
    const char *name;
    int width;
    int height;
    int frames;
    friend std::ostream &operator<<(std::ostream &os, const Picture &p) { return os << p.name; }
};

class CompiledInPicture : public testing::TestWithParam<Picture> {};

TEST_P(CompiledInPicture, IsThereAtItsExactSizeInWholeFrames)
{
    const Picture &p = GetParam();
    const QImage image = picture(p.name);
    ASSERT_FALSE(image.isNull()) << p.name << " is not compiled in";
    EXPECT_EQ(image.size(), QSize(p.width, p.height));
    EXPECT_EQ(image.width() % p.frames, 0) << "a frame strip must split into equal frames";
}

INSTANTIATE_TEST_SUITE_P(Artwork, CompiledInPicture,
                         testing::Values(Picture{"page_default", 451, 196, 1},
                                         Picture{"page_recording", 451, 196, 1},
                                         Picture{"btn_record", 360, 120, 3}, Picture{"btn_play", 360, 120, 3},
                                         Picture{"btn_send", 360, 120, 3}, Picture{"btn_stop", 360, 120, 3},
                                         Picture{"btn_close", 192, 64, 3}, Picture{"btn_menu", 180, 60, 3},
                                         Picture{"monkey", 184, 92, 2}, Picture{"bubble_ok", 168, 123, 1},
                                         Picture{"backdrop", 1280, 800, 1}, Picture{"icon", 96, 96, 1},
                                         Picture{"icon256", 256, 256, 1}, Picture{"level_face", 65, 105, 1},
                                         Picture{"level_close", 11, 11, 1},
                                         Picture{"slider_handle", 24, 16, 1},
                                         Picture{"slider_track", 24, 68, 1}, Picture{"gsm_on", 12, 12, 1},
                                         Picture{"gsm_off", 12, 12, 1}));

// Button frames are drawn opaque, whatever the button's Transparent setting: their corners must
// already hold the colour of the place the button sits on, or each button shows as a patch.
TEST(Artwork, ButtonFramesAreOpaqueOnTheColourOfThePlaceTheySitOn)
{
    const QImage page = picture("page_default");
    const QImage recordingPage = picture("page_recording");
    const QImage body = shape("body").Bitmap;
    ASSERT_FALSE(body.isNull());

    struct Place {
        const char *strip;
        int frameWidth;
        const QImage &under;
        QPoint at; // the button's top-left in the picture beneath it
        int tolerance;
    };
    // The body is stored as a JPEG, whose colours may drift a little.
    const Place places[] = {
        {"btn_record", 120, page, {34, 35}, 0},
        {"btn_play", 120, page, {166, 35}, 0},
        {"btn_send", 120, page, {298, 35}, 0},
        {"btn_stop", 120, recordingPage, {34, 35}, 0},
        {"btn_close", 64, body, {516 + 11, 116 + 11}, 8},
        {"btn_menu", 60, body, {83 + 11, 193 + 11}, 8},
        {"monkey", 92, body, {143 + 11, 278 + 11}, 8},
    };
    for (const Place &place : places) {
        const QImage strip = picture(place.strip).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(strip.isNull()) << place.strip;
        for (int x = 0; x < strip.width(); x += place.frameWidth) {
            const QPoint corners[] = {{x + 1, 1}, {x + place.frameWidth - 2, 1}};
            for (const QPoint corner : corners) {
                const QRgb mine = strip.pixel(corner);
                const QRgb beneath = place.under.pixel(place.at + QPoint(corner.x() - x, corner.y()));
                EXPECT_EQ(qAlpha(mine), 255) << place.strip << " frame at " << x;
                EXPECT_TRUE(near(mine, beneath, place.tolerance))
                    << place.strip << " frame at " << x << ": " << qPrintable(QColor(mine).name()) << " on "
                    << qPrintable(QColor(beneath).name());
            }
        }
    }
}

TEST(Artwork, TheOkPictureSitsOnTheBubblesOwnColour)
{
    const QImage ok = picture("bubble_ok");
    const QImage bubble = shape("bubble").Bitmap;
    ASSERT_FALSE(bubble.isNull());
    // imgOK lies at (40, 32) of the bubble window, whose picture starts 2 pixels up and left.
    for (const QPoint corner : {QPoint(1, 1), QPoint(166, 1), QPoint(1, 121), QPoint(166, 121)})
        EXPECT_EQ(QColor(ok.pixel(corner)), QColor(bubble.pixel(corner + QPoint(42, 34))));
}

TEST(Artwork, KeyColouredPicturesAreSeeThroughExactlyWhereMeant)
{
    const QRgb lime = qRgb(0, 255, 0);
    const QImage handle = picture("slider_handle").convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(handle.pixel(0, 0), lime) << "the handle's corners show the track";
    EXPECT_EQ(handle.pixel(23, 15), lime);
    EXPECT_NE(handle.pixel(12, 8), lime) << "the knob itself is solid";

    // The level bar shows through the face's lime cut-out, which lies inside the level paint box
    // (25, 29, 15 x 70) and left of the slider (x 35 on); nothing else on the face is lime.
    const QImage face = picture("level_face").convertToFormat(QImage::Format_RGB32);
    const QRect levelBox(25, 29, 10, 70);
    int limeInside = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const QRgb pixel = face.pixel(x, y);
            if (pixel == lime) {
                ++limeInside;
                EXPECT_TRUE(levelBox.contains(x, y)) << "lime at " << x << "," << y;
            } else {
                EXPECT_FALSE(qGreen(pixel) > 240 && qRed(pixel) < 64 && qBlue(pixel) < 64)
                    << "a nearly lime pixel at " << x << "," << y << " would show as a speck";
            }
        }
    EXPECT_GE(limeInside, 6 * 60) << "the cut-out shows a bar of a useful size";
}

TEST(Artwork, TheSliderTrackContinuesTheFaceBeneathIt)
{
    const QImage face = picture("level_face");
    const QImage track = picture("slider_track");
    // The slider sits at (35, 30); its track's right column is plain face colour.
    for (int y = 0; y < track.height(); y += 4)
        EXPECT_TRUE(near(track.pixel(23, y), face.pixel(35 + 23, 30 + y), 4)) << "row " << y;
}

struct Shape {
    const char *name;
    TShapeImageKind kind;
    QSize pictureSize;
    TShapeBounds bounds;
    std::vector<int> combineModes;
    friend std::ostream &operator<<(std::ostream &os, const Shape &s) { return os << s.name; }
};

class StoredShape : public testing::TestWithParam<Shape> {};

TEST_P(StoredShape, LoadsWithItsBoundsEncodingAndPolygons)
{
    const Shape &s = GetParam();
    const TWinShapeData data = shape(s.name);
    ASSERT_TRUE(data.Loaded) << s.name << " is not compiled in";
    EXPECT_EQ(data.ImageKind, s.kind);
    EXPECT_EQ(data.Bitmap.size(), s.pictureSize);
    EXPECT_EQ(data.Bounds, s.bounds);
    EXPECT_EQ(data.OutlineBounds(), s.bounds) << "the bounds are the vertices' extent";
    ASSERT_EQ(data.Regions.size(), s.combineModes.size());
    for (std::size_t i = 0; i < data.Regions.size(); ++i) {
        EXPECT_EQ(data.Regions[i].CombineMode, s.combineModes[i]);
        EXPECT_GE(data.Regions[i].PointCount(), i == 0 ? 24 : 8) << "curves need enough vertices";
    }
    // The outline stays inside the picture, so no part of the window shows undrawn pixels.
    EXPECT_TRUE(QRect(QPoint(0, 0), s.pictureSize).contains(outlineRegion(data).boundingRect()));
}

INSTANTIATE_TEST_SUITE_P(
    Artwork, StoredShape,
    testing::Values(Shape{"body", ikJpeg, {625, 390}, {11, 11, 625, 390}, {2, 4}},
                    Shape{"dashboard", ikDeflatedBitmap, {463, 190}, {18, 13, 463, 190}, {2}},
                    Shape{"bubble", ikBitmap, {263, 220}, {2, 2, 263, 220}, {2}}));

TEST(Artwork, TheBubbleTailEndsOnTheHotPoint)
{
    const TWinShapeData bubble = shape("bubble");
    ASSERT_EQ(bubble.Regions.size(), 1u);
    // The hot point (36, 218) is in window coordinates; the window starts at the bounds' corner.
    const QPoint tip = QPoint(36, 218) + QPoint(bubble.Bounds.Left, bubble.Bounds.Top);
    const auto &points = bubble.Regions[0].Points;
    EXPECT_NE(std::find(points.begin(), points.end(), tip), points.end()) << "the tail's tip is a vertex";
    for (const QPoint p : points)
        EXPECT_LE(p.y(), tip.y()) << "nothing of the bubble reaches below its tail";

    // The title, the text and the OK picture all lie inside the bubble.
    const QRegion region = outlineRegion(bubble);
    const QPoint window(bubble.Bounds.Left, bubble.Bounds.Top);
    for (const QRect r : {QRect(47, 40, 192, 21), QRect(46, 68, 160, 92), QRect(40, 32, 168, 123)})
        EXPECT_TRUE(contains(region, r.translated(window))) << r.x() << "," << r.y();
}

// Window coordinates of the voice-mail window's controls; the body picture starts 11 pixels up and
// left of the window, the dashboard panel sits at the window's origin.
const QPoint BodyOrigin(11, 11);
const QRect MenuButton(83, 193, 60, 60);
const QRect CloseButton(516, 116, 64, 64);
const QRect Monkey(143, 278, 92, 92);
const QRect MonkeySpot(202, 323, 21, 19);
// Page buttons in page coordinates; the notebook lies at (-3, -6) of the dashboard panel.
const QPoint PageOrigin(-3, -6);
const QRect PageButtons[] = {{34, 35, 120, 120}, {166, 35, 120, 120}, {298, 35, 120, 120}};

TEST(Artwork, EveryControlOfTheVoiceMailWindowLiesInsideTheBodyOutline)
{
    const QRegion body = outlineRegion(shape("body")).translated(-BodyOrigin);
    ASSERT_FALSE(body.isEmpty());
    EXPECT_EQ(body.boundingRect(), QRect(0, 0, 614, 379));
    for (const QRect r : {MenuButton, CloseButton, Monkey, MonkeySpot})
        EXPECT_TRUE(contains(body, r)) << r.x() << "," << r.y();
}

TEST(Artwork, TheDashboardFitsTheBodyAndHoldsThePageButtons)
{
    const TWinShapeData dashboardData = shape("dashboard");
    const QRegion dashboard =
        outlineRegion(dashboardData).translated(-dashboardData.Bounds.Left, -dashboardData.Bounds.Top);
    const QRegion body = outlineRegion(shape("body")).translated(-BodyOrigin);
    ASSERT_FALSE(dashboard.isEmpty());
    EXPECT_EQ(dashboard.boundingRect(), QRect(0, 0, 445, 177));
    EXPECT_TRUE(body.intersected(dashboard) == dashboard) << "the body's outline would clip the dashboard";
    for (const QRect r : PageButtons)
        EXPECT_TRUE(contains(dashboard, r.translated(PageOrigin))) << r.x();
    EXPECT_TRUE(contains(dashboard, QRect(181, 86, 208, 18).translated(PageOrigin))) << "the progress line";
}

TEST(Artwork, TheBodysHoleKeepsClearOfEveryControlAndTheDashboard)
{
    const TWinShapeData body = shape("body");
    ASSERT_EQ(body.Regions.size(), 2u);
    const auto &points = body.Regions[1].Points;
    const QRegion hole = QRegion(QPolygon(QList<QPoint>(points.begin(), points.end())), Qt::OddEvenFill)
                             .translated(-BodyOrigin);
    ASSERT_FALSE(hole.isEmpty());
    const auto &outer = body.Regions[0].Points;
    const QRegion outerRegion =
        QRegion(QPolygon(QList<QPoint>(outer.begin(), outer.end())), Qt::OddEvenFill).translated(-BodyOrigin);
    EXPECT_TRUE(outerRegion.intersected(hole) == hole) << "the hole lies inside the body";
    for (const QRect r : {MenuButton, CloseButton, Monkey, QRect(0, 0, 445, 177)})
        EXPECT_TRUE(hole.intersected(r).isEmpty()) << r.x() << "," << r.y();
}

} // namespace
