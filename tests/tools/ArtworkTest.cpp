// The compiled-in artwork: button strips on the colour they sit on, see-through colours where meant, and
// the windows' shape data: bounds, encoding, outlines that hold the controls placed on them.
#include "controls/ScreenPicture.h"
#include "controls/WinShape.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QImage picture(const char *name)
{
    return ReadPicture(ArtPicturePath(name));
}

// A window shaped by the named shape data, as the program loads it.
struct ShapedWindow {
    QWidget window;
    TWinShape *shape = new TWinShape(&window);
    explicit ShapedWindow(const char *name)
    {
        shape->setStoredData(QStringLiteral(":/chirpel/shapes/%1.bin").arg(QLatin1String(name)));
        shape->setActive(true);
    }
    const TWinShapeData &data() const { return shape->Data(); }
};

bool contains(const QRegion &region, const QRegion &part)
{
    return region.intersected(part) == part;
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Window coordinates of the voice-mail window's controls.
const QRect MenuButton(83, 193, 60, 60), CloseButton(516, 116, 64, 64), Monkey(143, 278, 92, 92);

// Button frames (and the bubble's OK picture) are drawn opaque, whatever the Transparent setting: their
// corners must already hold the colour of the place they sit on, or each shows as a patch.
TEST(Artwork, ButtonFramesAreOpaqueOnTheColourOfThePlaceTheySitOn)
{
    const QImage page = picture("page_default"), recordingPage = picture("page_recording");
    const ShapedWindow bodyWindow("body"), bubbleWindow("bubble");
    const QImage &body = bodyWindow.data().Bitmap, &bubble = bubbleWindow.data().Bitmap;
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
                    << place.strip << " frame at " << x << " corner " << corner.x() << "," << corner.y();
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

// Each window's mask starts at its outline's corner, so the controls' window coordinates apply to it.
TEST(Artwork, EachShapeLoadsWithItsBoundsAndEncodingAndItsOutlineHoldsTheControlsPlacedOnIt)
{
    const ShapedWindow body("body"), dashboard("dashboard"), bubble("bubble");
    const struct {
        const ShapedWindow &w;
        TShapeImageKind kind;
        TShapeBounds bounds;
        std::vector<int> combineModes; // a 4 is the hole cut out of the window
        std::vector<QRect> holds;
    } shapes[] = {{body,
                   ikJpeg,
                   {11, 11, 625, 390},
                   {2, 4},
                   {MenuButton, CloseButton, Monkey, QRect(202, 323, 21, 19)}},
                  {dashboard,
                   ikDeflatedBitmap,
                   {18, 13, 463, 190},
                   {2}, // page buttons and progress line; the page is at (-3, -6)
                   {QRect(31, 29, 120, 120), QRect(163, 29, 120, 120), QRect(295, 29, 120, 120),
                    QRect(178, 80, 208, 18)}},
                  {bubble,
                   ikBitmap,
                   {2, 2, 263, 220},
                   {2}, // title, text and OK picture
                   {QRect(47, 40, 192, 21), QRect(46, 68, 160, 92), QRect(40, 32, 168, 123)}}};
    for (const auto &s : shapes) {
        const TWinShapeData &data = s.w.data();
        const TShapeBounds &b = s.bounds;
        EXPECT_EQ(data.ImageKind, s.kind);
        EXPECT_EQ(data.Bounds, b);
        EXPECT_EQ(data.OutlineBounds(), b) << "the bounds are the vertices' extent";
        EXPECT_EQ(data.Bitmap.size(), QSize(b.Right, b.Bottom)); // the outline stays inside the picture
        ASSERT_EQ(data.Regions.size(), s.combineModes.size());
        for (std::size_t i = 0; i < data.Regions.size(); ++i) {
            EXPECT_EQ(data.Regions[i].CombineMode, s.combineModes[i]);
            EXPECT_GE(data.Regions[i].PointCount(), i == 0 ? 24 : 8) << "curves need enough vertices";
        }
        EXPECT_EQ(s.w.shape->geometry(), QRect(-b.Left, -b.Top, b.Right, b.Bottom));
        EXPECT_EQ(s.w.window.mask().boundingRect(), QRect(0, 0, b.Right - b.Left, b.Bottom - b.Top));
        for (const QRect &r : s.holds)
            EXPECT_TRUE(contains(s.w.window.mask(), r)) << r.x() << "," << r.y();
    }
    EXPECT_TRUE(contains(body.window.mask(), dashboard.window.mask())) << "the body would clip the dashboard";
    // The hole lies inside the body, clear of every control: the desktop shows through it.
    const QRegion hole = TWinShape::OutlineRegion({body.data().Regions[1]}, QPoint(-11, -11));
    int holePixels = 0;
    for (const QRect &r : hole)
        holePixels += r.width() * r.height();
    EXPECT_GT(holePixels, 500);
    EXPECT_TRUE(body.window.mask().intersected(hole).isEmpty());
    EXPECT_TRUE(contains(TWinShape::OutlineRegion({body.data().Regions[0]}, QPoint(-11, -11)), hole));
    for (const QRect r : {MenuButton, CloseButton, Monkey, dashboard.window.mask().boundingRect()})
        EXPECT_TRUE(hole.intersected(r).isEmpty()) << r.x() << "," << r.y();
    // The bubble's tail ends on the hot point (36, 218), a vertex that nothing of the bubble reaches below.
    const auto &points = bubble.data().Regions[0].Points;
    const QPoint tip = QPoint(36, 218) + QPoint(2, 2);
    EXPECT_NE(std::find(points.begin(), points.end(), tip), points.end()) << "the tail's tip is a vertex";
    for (const QPoint p : points)
        EXPECT_LE(p.y(), tip.y()) << "nothing of the bubble reaches below its tail";
}

} // namespace
