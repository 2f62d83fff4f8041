// The compiled-in artwork: the windows' shape data (bounds, encoding, outlines that hold the controls
// placed on them) and the slider track that continues the level window's face.
#include "controls/ScreenPicture.h"
#include "controls/WinShape.h"

#include "controls/ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A window shaped by the named shape data; the path is set after the other properties, which the
// shape must still apply (the control tests set them the other way round).
struct ShapedWindow {
    QWidget window;
    TWinShape *shape = new TWinShape(&window);
    explicit ShapedWindow(const char *name)
    {
        shape->setActive(true);
        shape->setStoredData(QStringLiteral(":/chirpel/shapes/%1.bin").arg(QLatin1String(name)));
    }
    const TWinShapeData &data() const { return shape->Data(); }
};

bool contains(const QRegion &region, const QRegion &part)
{
    return region.intersected(part) == part;
}

// Window coordinates of the voice-mail window's controls.
const QRect MenuButton(83, 193, 60, 60), CloseButton(516, 116, 64, 64), Monkey(143, 278, 92, 92);

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
        EXPECT_EQ(data.Bitmap.size(), QSize(b.Right, b.Bottom)); // the outline stays inside the picture
        ASSERT_EQ(data.Regions.size(), s.combineModes.size());
        for (std::size_t i = 0; i < data.Regions.size(); ++i) {
            EXPECT_EQ(data.Regions[i].CombineMode, s.combineModes[i]);
            EXPECT_GE(data.Regions[i].PointCount(), i == 0 ? 24 : 8) << "curves need enough vertices";
        }
        EXPECT_EQ(s.w.shape->geometry(), QRect(-b.Left, -b.Top, b.Right, b.Bottom));
        EXPECT_EQ(s.w.window.mask().boundingRect(), QRect(0, 0, b.Right - b.Left, b.Bottom - b.Top))
            << "the bounds are the vertices' extent";
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

// The slider sits at (35, 30) on the level window's face; its track's right column continues the face.
TEST(Artwork, TheSliderTrackContinuesTheLevelWindowsFace)
{
    const QImage face = ReadPicture(ArtPicturePath("level_face")),
                 track = ReadPicture(ArtPicturePath("slider_track"));
    EXPECT_LE(controlstest::maxChannelDifference(track.copy(23, 0, 1, track.height()),
                                                 face.copy(35 + 23, 30, 1, track.height())),
              4);
}

} // namespace
