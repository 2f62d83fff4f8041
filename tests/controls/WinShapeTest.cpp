// The shaped window control: the outline mask on its parent, placement from the outline's
// bounds, painting, and dragging the window by it.
#include "controls/WinShape.h"

#include "controls/ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

TWinShapeRegion rectangle(std::int32_t combine, int left, int top, int right, int bottom)
{
    return TWinShapeRegion{0, combine, {{left, top}, {right, top}, {right, bottom}, {left, bottom}}};
}

// The voice-mail window's kind of outline: a body with a small hole cut into it.
TWinShapeData windowShape(std::vector<TWinShapeRegion> regions = {rectangle(0, 11, 11, 625, 390),
                                                                  rectangle(4, 100, 100, 200, 200)})
{
    TWinShapeData data;
    data.Loaded = true;
    data.Bounds = {11, 11, 625, 390};
    data.Bitmap = QImage(625, 390, QImage::Format_RGB32);
    data.Bitmap.fill(qRgb(40, 160, 220));
    data.Regions = std::move(regions);
    return data;
}

struct ShapedWindow {
    QWidget window;
    TWinShape *shape = new TWinShape(&window);
    explicit ShapedWindow(TWinShapeData data = windowShape(), QSize size = QSize(600, 300))
    {
        window.resize(size);
        shape->Data() = std::move(data);
        shape->DataChanged();
    }
};

// The outline an active control puts on its parent; picture point (x, y) is at (x - 11, y - 11) there.
QRegion maskOf(TWinShapeData data)
{
    ShapedWindow w(std::move(data));
    w.shape->setActive(true);
    return w.window.mask().translated(11, 11);
}

} // namespace

// Base 11..300 square, second polygon 200..500 square; probes in each part and outside both. The first
// polygon's own code never counts, and -1 leaves its polygon out.
TEST(WinShapeMask, EachCombineCodeMergesTheNextPolygonItsOwnWayAndTheFirstPolygonsCodeNeverCounts)
{
    struct Case {
        std::int32_t code;
        bool inBaseOnly, inBoth, inSecondOnly;
    };
    const Case cases[] = {{1, false, true, false}, {2, true, true, true},  {3, true, false, true},
                          {4, true, false, false}, {5, true, true, false}, {0, true, true, false},
                          {-1, true, true, false}, {42, true, true, false}};
    for (auto [code, inBaseOnly, inBoth, inSecondOnly] : cases) {
        const QRegion mask =
            maskOf(windowShape({rectangle(code, 11, 11, 300, 300), rectangle(code, 200, 200, 500, 380)}));
        EXPECT_EQ(mask.contains(QPoint(100, 100)), inBaseOnly) << "code " << code;
        EXPECT_EQ(mask.contains(QPoint(250, 250)), inBoth) << "code " << code;
        EXPECT_EQ(mask.contains(QPoint(400, 350)), inSecondOnly) << "code " << code;
        EXPECT_FALSE(mask.contains(QPoint(5, 5)));
    }
    // A five-pointed star drawn in one stroke: filled alternately, its centre stays open.
    const QRegion star = maskOf(
        windowShape({TWinShapeRegion{0, 0, {{211, 11}, {331, 371}, {31, 151}, {391, 151}, {91, 371}}}}));
    EXPECT_FALSE(star.contains(QPoint(211, 200)));
    EXPECT_TRUE(star.contains(QPoint(211, 60)));
}

// A missing stored-data resource is an error.
TEST(WinShapeMask, NewDataReplacesTheOutlineActiveFalseRestoresTheRectangleAndNoPolygonsLeaveTheParentAlone)
{
    ShapedWindow w;
    w.shape->setActive(true);
    w.shape->LoadStoredData(windowShape({rectangle(0, 11, 11, 100, 100)}).SaveToBytes());
    EXPECT_EQ(w.window.mask(), QRegion(0, 0, 89, 89));
    EXPECT_EQ(w.shape->Data().Regions[0].Points[0], QPoint(11, 11)); // the stored vertices stay
    w.shape->setActive(false);
    EXPECT_TRUE(w.window.mask().isEmpty());
    ShapedWindow bare(windowShape({}));
    bare.window.setMask(QRegion(0, 0, 30, 30));
    bare.shape->setActive(true);
    EXPECT_EQ(bare.window.mask(), QRegion(0, 0, 30, 30));
    EXPECT_THROW(bare.shape->setStoredData(QStringLiteral(":/chirpel/shapes/no-such-shape.bin")),
                 EShapeDataError);
}

// AutoPos puts the outline's corner at the parent's origin and grows only a smaller parent; without
// loaded data, a picture or AutoPos the control stays put.
TEST(WinShapePlacement, AutoPosPlacesTheOutlinesCornerAtTheParentsOriginOnlyWithLoadedDataAndAPicture)
{
    ShapedWindow small, large(windowShape(), QSize(800, 600));
    EXPECT_EQ(small.shape->geometry(), QRect(-11, -11, 625, 390));
    EXPECT_EQ(small.window.size(), QSize(614, 379));
    EXPECT_EQ(large.window.size(), QSize(800, 600));
    auto *panel = new QWidget(&large.window); // a panel parent has no client offset
    panel->move(40, 50);
    EXPECT_EQ((new TWinShape(panel))->ParentClientOffset(), QPoint(0, 0));
    TWinShapeData notLoaded = windowShape(), noPicture = windowShape();
    notLoaded.Loaded = false;
    noPicture.Bitmap = QImage();
    for (const TWinShapeData &data : {notLoaded, noPicture}) {
        ShapedWindow w(data);
        EXPECT_EQ(w.shape->geometry(), QRect(10, 10, 140, 90));
        EXPECT_EQ(w.window.size(), QSize(600, 300));
    }
    small.shape->setAutoPos(false);
    small.shape->setGeometry(5, 6, 70, 80);
    small.shape->DataChanged();
    EXPECT_EQ(small.shape->geometry(), QRect(5, 6, 70, 80));
    small.shape->setAutoPos(true);
    EXPECT_EQ(small.shape->geometry(), QRect(-11, -11, 625, 390));
}

// A custom draw hook that declines the default leaves the control unpainted.
TEST(WinShapePainting, DrawsThePictureOrElseItsColourUnlessACustomDrawDeclines)
{
    ShapedWindow w;
    EXPECT_EQ(controlstest::rendered(*w.shape).pixel(300, 200), qRgb(40, 160, 220));
    QWidget window;
    auto *bare = new TWinShape(&window);
    bare->setColor(Qt::yellow);
    EXPECT_EQ(controlstest::rendered(*bare).pixel(5, 5), QColor(Qt::yellow).rgb());
    w.shape->setOnCustomDraw([&](QObject *sender, QPainter &canvas, bool &drawDefault) {
        EXPECT_EQ(sender, w.shape);
        EXPECT_TRUE(drawDefault);
        canvas.fillRect(0, 0, 4, 4, Qt::red);
        drawDefault = false;
    });
    const QImage img = controlstest::rendered(*w.shape);
    EXPECT_EQ(img.pixel(1, 1), QColor(Qt::red).rgb());
    EXPECT_EQ(img.pixel(300, 200), qRgb(1, 2, 3));
}

// A three-pixel movement, or any without AutoDrag, neither moves the window nor swallows the click (a
// release outside the control is none). Four pixels drag the window after the mouse signals, which carry
// button, modifiers and position; the press point stays the anchor and the ending click is swallowed.
TEST(WinShapeDragging, AFourPixelMovementDragsTheWindowAfterTheMouseSignalsAndTheEndingClickIsSwallowed)
{
    QWidget window;
    auto *shape = new TWinShape(&window);
    QSignalSpy clicks(shape, &TControl::clicked), downs(shape, &TControl::mouseDown),
        ups(shape, &TControl::mouseUp);
    shape->setAutoPos(false);
    shape->setGeometry(0, 0, 300, 200);
    window.move(100, 100);
    const QPoint start = window.pos();
    for (auto [autoDrag, to] :
         {std::pair{true, QPoint(53, 47)}, {false, QPoint(90, 90)}, {false, QPoint(350, 50)}}) {
        shape->setAutoDrag(autoDrag);
        QTest::mousePress(shape, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseMove(shape, to);
        EXPECT_EQ(window.pos(), start);
        QTest::mouseRelease(shape, Qt::LeftButton, {}, to);
    }
    EXPECT_EQ(clicks.count(), 2);
    shape->setAutoDrag(true);
    QPoint windowAtMove;
    QObject::connect(shape, &TControl::mouseMove,
                     [&](Qt::MouseButtons, Qt::KeyboardModifiers, const QPoint &) {
                         if (windowAtMove.isNull()) windowAtMove = window.pos();
                     });
    QTest::mousePress(shape, Qt::LeftButton, Qt::ControlModifier, QPoint(50, 50));
    QTest::mouseMove(shape, QPoint(54, 50));
    EXPECT_EQ(windowAtMove, start);
    EXPECT_EQ(window.pos(), start + QPoint(4, 0));
    QTest::mouseMove(shape, QPoint(40, 70));
    EXPECT_EQ(window.pos(), start + QPoint(-6, 20));
    QTest::mouseRelease(shape, Qt::LeftButton, Qt::ControlModifier, QPoint(40, 70));
    EXPECT_EQ(clicks.count(), 2);
    ASSERT_EQ(downs.count(), 4);
    EXPECT_EQ(downs[3][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(downs[3][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
    EXPECT_EQ(downs[3][2].toPoint(), QPoint(50, 50));
    ASSERT_EQ(ups.count(), 4);
    EXPECT_EQ(ups[3][2].toPoint(), QPoint(40, 70));
    QTest::mouseClick(shape, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 3);
}
