// The compiled-in artwork: every picture at its exact size, strips of whole frames on the colour
// they sit on, and shape data whose outlines hold the controls the windows place on them.
#include "controls/ScreenPicture.h"
#include "controls/WinShape.h"
#include "controls/WinShapeUtils.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QImage picture(const char *name)
{
    return ReadPicture(ArtPicturePath(name));
}

TWinShapeData shape(const char *name)
{
    QFile file(QStringLiteral(":/chirpel/shapes/%1.bin").arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly)) return {};
    TWinShapeData data;
    data.LoadFromBytes(file.readAll());
    return data;
}

// The region a shaped window gets from its polygons, relative to `origin` of the picture.
QRegion outlineRegion(const TWinShapeData &data, QPoint origin = {})
{
    return TWinShape::OutlineRegion(data.Regions, QPoint(0, 0)).translated(-origin);
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

TEST(Artwork, EveryPictureIsCompiledInAtItsExactSizeInWholeFrames)
{
    const struct {
        const char *name;
        int width, height, frames;
    } pictures[] = {
        {"page_default", 451, 196, 1}, {"page_recording", 451, 196, 1}, {"btn_record", 360, 120, 3},
        {"btn_play", 360, 120, 3},     {"btn_send", 360, 120, 3},       {"btn_stop", 360, 120, 3},
        {"btn_close", 192, 64, 3},     {"btn_menu", 180, 60, 3},        {"monkey", 184, 92, 2},
        {"bubble_ok", 168, 123, 1},    {"backdrop", 1280, 800, 1},      {"icon", 96, 96, 1},
        {"icon256", 256, 256, 1},      {"level_face", 65, 105, 1},      {"level_close", 11, 11, 1},
        {"slider_handle", 24, 16, 1},  {"slider_track", 24, 68, 1},     {"gsm_on", 12, 12, 1},
        {"gsm_off", 12, 12, 1}};
    for (const auto &p : pictures) {
        const QImage image = picture(p.name);
        EXPECT_EQ(image.size(), QSize(p.width, p.height)) << p.name;
        EXPECT_EQ(image.width() % p.frames, 0) << p.name << ": a strip must split into equal frames";
    }
}

// Button frames (and the bubble's OK picture) are drawn opaque, whatever the Transparent setting: their
// corners must already hold the colour of the place they sit on, or each shows as a patch.
TEST(Artwork, ButtonFramesAreOpaqueOnTheColourOfThePlaceTheySitOn)
{
    const QImage page = picture("page_default"), recordingPage = picture("page_recording");
    const QImage body = shape("body").Bitmap, bubble = shape("bubble").Bitmap;
    ASSERT_FALSE(body.isNull() || bubble.isNull());
    // The button's top-left in the picture beneath it (the body starts 11 pixels up and left of its
    // window, the bubble 2); the body is stored as a JPEG, whose colours may drift a little.
    const struct {
        const char *strip;
        int frameWidth;
        const QImage &under;
        QPoint at;
        int tolerance;
    } places[] = {{"btn_record", 120, page, {34, 35}, 0},
                  {"btn_play", 120, page, {166, 35}, 0},
                  {"btn_send", 120, page, {298, 35}, 0},
                  {"btn_stop", 120, recordingPage, {34, 35}, 0},
                  {"btn_close", 64, body, {516 + 11, 116 + 11}, 8},
                  {"btn_menu", 60, body, {83 + 11, 193 + 11}, 8},
                  {"monkey", 92, body, {143 + 11, 278 + 11}, 8},
                  {"bubble_ok", 168, bubble, {42, 34}, 0}};
    for (const auto &place : places) {
        const QImage strip = picture(place.strip).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(strip.isNull()) << place.strip;
        for (int x = 0; x < strip.width(); x += place.frameWidth)
            for (const QPoint corner :
                 {QPoint(1, 1), QPoint(place.frameWidth - 2, 1), QPoint(1, strip.height() - 2),
                  QPoint(place.frameWidth - 2, strip.height() - 2)}) {
                const QRgb mine = strip.pixel(corner + QPoint(x, 0)),
                           beneath = place.under.pixel(place.at + corner);
                EXPECT_EQ(qAlpha(mine), 255) << place.strip << " frame at " << x;
                EXPECT_TRUE(near(mine, beneath, place.tolerance))
                    << place.strip << " frame at " << x << " corner " << corner.x() << "," << corner.y()
                    << ": " << qPrintable(QColor(mine).name()) << " on "
                    << qPrintable(QColor(beneath).name());
            }
    }
}

TEST(Artwork, KeyColouredPicturesAreSeeThroughExactlyWhereMeantAndTheSliderTrackContinuesTheFace)
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
    // The slider sits at (35, 30); its track's right column continues the face beneath it.
    const QImage track = picture("slider_track");
    for (int y = 0; y < track.height(); y += 4)
        EXPECT_TRUE(near(track.pixel(23, y), face.pixel(35 + 23, 30 + y), 4)) << "row " << y;
}

TEST(Artwork, TheBubbleTailEndsOnTheHotPointAndTheBubbleHoldsItsTitleTextAndOkPicture)
{
    const TWinShapeData bubble = shape("bubble");
    ASSERT_EQ(bubble.Regions.size(), 1u);
    // The hot point (36, 218) is in window coordinates; the window starts at the bounds' corner.
    const QPoint window(bubble.Bounds.Left, bubble.Bounds.Top), tip = QPoint(36, 218) + window;
    const auto &points = bubble.Regions[0].Points;
    EXPECT_NE(std::find(points.begin(), points.end(), tip), points.end()) << "the tail's tip is a vertex";
    for (const QPoint p : points)
        EXPECT_LE(p.y(), tip.y()) << "nothing of the bubble reaches below its tail";
    for (const QRect r : {QRect(47, 40, 192, 21), QRect(46, 68, 160, 92), QRect(40, 32, 168, 123)})
        EXPECT_TRUE(contains(outlineRegion(bubble, window), r)) << r.x() << "," << r.y();
}

// Window coordinates of the voice-mail window's controls; the body picture starts 11 pixels up and
// left of the window, the dashboard panel sits at the window's origin, the notebook at (-3, -6) of it.
const QPoint BodyOrigin(11, 11), PageOrigin(-3, -6);
const QRect MenuButton(83, 193, 60, 60), CloseButton(516, 116, 64, 64), Monkey(143, 278, 92, 92);

TEST(Artwork, TheBodyHoldsEveryControlAndTheDashboardWhichHoldsThePageButtons)
{
    const QRegion body = outlineRegion(shape("body"), BodyOrigin);
    EXPECT_EQ(body.boundingRect(), QRect(0, 0, 614, 379));
    for (const QRect r :
         {MenuButton, CloseButton, Monkey, QRect(202, 323, 21, 19)}) // the last: the monkey's spot
        EXPECT_TRUE(contains(body, r)) << r.x() << "," << r.y();
    const TWinShapeData dashboardData = shape("dashboard");
    const QRegion dashboard =
        outlineRegion(dashboardData, QPoint(dashboardData.Bounds.Left, dashboardData.Bounds.Top));
    EXPECT_EQ(dashboard.boundingRect(), QRect(0, 0, 445, 177));
    EXPECT_TRUE(body.intersected(dashboard) == dashboard) << "the body's outline would clip the dashboard";
    // The three page buttons and the progress line, in page coordinates.
    for (const QRect r : {QRect(34, 35, 120, 120), QRect(166, 35, 120, 120), QRect(298, 35, 120, 120),
                          QRect(181, 86, 208, 18)})
        EXPECT_TRUE(contains(dashboard, r.translated(PageOrigin))) << r.x() << "," << r.y();
}

TEST(Artwork, TheBodysHoleKeepsClearOfEveryControlAndTheDashboard)
{
    const TWinShapeData body = shape("body");
    ASSERT_EQ(body.Regions.size(), 2u);
    auto region = [&](std::size_t i) {
        const auto &points = body.Regions[i].Points;
        return QRegion(QPolygon(QList<QPoint>(points.begin(), points.end())), Qt::OddEvenFill)
            .translated(-BodyOrigin);
    };
    const QRegion hole = region(1);
    ASSERT_FALSE(hole.isEmpty());
    EXPECT_TRUE(region(0).intersected(hole) == hole) << "the hole lies inside the body";
    for (const QRect r : {MenuButton, CloseButton, Monkey, QRect(0, 0, 445, 177)})
        EXPECT_TRUE(hole.intersected(r).isEmpty()) << r.x() << "," << r.y();
}

} // namespace
