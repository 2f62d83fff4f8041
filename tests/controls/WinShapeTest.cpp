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
}

// AutoPos puts the outline's corner at the parent's origin and grows only a smaller parent; without
// loaded data, a picture or AutoPos the control stays put.
TEST(WinShapePlacement, AutoPosPlacesTheOutlinesCornerAtTheParentsOriginOnlyWithLoadedDataAndAPicture)
{
    ShapedWindow small, large(windowShape(), QSize(800, 600));
    EXPECT_EQ(small.shape->geometry(), QRect(-11, -11, 625, 390));
    EXPECT_EQ(small.window.size(), QSize(614, 379));
    EXPECT_EQ(large.window.size(), QSize(800, 600));
    EXPECT_EQ(large.shape->pos(), QPoint(-11, -11));
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

TEST(WinShapeStoredData, TheResourcePathCanBeSetBeforeOrAfterTheOtherPropertiesAndAMissingOneIsAnError)
{
    const QString file = QStringLiteral(":/chirpel/shapes/bubble.bin");
    QWidget first, last;
    for (auto [window, pathFirst] : {std::pair{&first, true}, {&last, false}}) {
        window->resize(10, 10);
        auto *shape = new TWinShape(window);
        if (pathFirst) shape->setStoredData(file);
        shape->setActive(true);
        shape->setAutoPos(true);
        if (!pathFirst) shape->setStoredData(file);
    }
    EXPECT_EQ(first.size(), last.size());
    EXPECT_EQ(first.mask(), last.mask());
    EXPECT_FALSE(last.mask().isEmpty());
    auto *missing = new TWinShape(&first);
    EXPECT_THROW(missing->setStoredData(QStringLiteral(":/chirpel/shapes/no-such-shape.bin")),
                 EShapeDataError);
}

// A custom draw hook or signal that declines the default leaves the control unpainted.
TEST(WinShapePainting, DrawsThePictureOrElseItsColourUnlessACustomDrawDeclines)
{
    ShapedWindow w;
    EXPECT_EQ(controlstest::rendered(*w.shape).pixel(300, 200), qRgb(40, 160, 220));
    QWidget window;
    auto *bare = new TWinShape(&window);
    EXPECT_EQ(controlstest::rendered(*bare).pixel(5, 5), qRgb(0x80, 0x80, 0x80));
    bare->setColor(Qt::yellow);
    EXPECT_EQ(controlstest::rendered(*bare).pixel(5, 5), QColor(Qt::yellow).rgb());
    int calls = 0;
    w.shape->setOnCustomDraw([&](QObject *sender, QPainter &canvas, bool &drawDefault) {
        EXPECT_EQ(sender, w.shape);
        EXPECT_TRUE(drawDefault);
        canvas.fillRect(0, 0, 4, 4, Qt::red);
        drawDefault = false;
        ++calls;
    });
    const QImage img = controlstest::rendered(*w.shape);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(img.pixel(1, 1), QColor(Qt::red).rgb());
    EXPECT_EQ(img.pixel(300, 200), qRgb(1, 2, 3));
    ShapedWindow s;
    QObject::connect(s.shape, &TControl::customDraw,
                     [](QPainter *, bool &drawDefault) { drawDefault = false; });
    EXPECT_EQ(controlstest::rendered(*s.shape).pixel(300, 200), qRgb(1, 2, 3));
}

namespace {

struct DragFixture : ::testing::Test {
    QWidget window;
    TWinShape *shape = new TWinShape(&window);
    QSignalSpy clicks{shape, &TControl::clicked};
    QPoint start;
    void SetUp() override
    {
        shape->setAutoPos(false);
        shape->setGeometry(0, 0, 300, 200);
        window.move(100, 100);
        start = window.pos();
    }
};

} // namespace

// Without a drag, a release outside the control is no click.
TEST_F(DragFixture, AThreePixelMovementOrOneWithoutAutoDragNeitherMovesTheWindowNorSwallowsTheClick)
{
    for (auto [autoDrag, to] :
         {std::pair{true, QPoint(53, 47)}, {false, QPoint(90, 90)}, {false, QPoint(350, 50)}}) {
        shape->setAutoDrag(autoDrag);
        QTest::mousePress(shape, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseMove(shape, to);
        EXPECT_EQ(window.pos(), start);
        QTest::mouseRelease(shape, Qt::LeftButton, {}, to);
    }
    EXPECT_EQ(clicks.count(), 2);
}

// Mouse signals come first, with button, modifiers and position; the press point stays the anchor as
// the control moves with the window.
TEST_F(DragFixture, AFourPixelMovementDragsTheWindowAfterTheMouseSignalsAndTheEndingClickIsSwallowed)
{
    QPoint windowAtMove;
    QSignalSpy downs(shape, &TControl::mouseDown), ups(shape, &TControl::mouseUp);
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
    EXPECT_EQ(clicks.count(), 0);
    ASSERT_EQ(downs.count(), 1);
    EXPECT_EQ(downs[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(downs[0][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
    EXPECT_EQ(downs[0][2].toPoint(), QPoint(50, 50));
    ASSERT_EQ(ups.count(), 1);
    EXPECT_EQ(ups[0][2].toPoint(), QPoint(40, 70));
    QTest::mouseClick(shape, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
}
