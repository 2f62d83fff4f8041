// The picture slider: holder placement, dragging with its clamp, see-through colour, frames,
// cursor and the tooltip kept while a button is held.
#include "controls/ZSlider.h"

#include "controls/ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

const QColor lime(0, 255, 0), trackColour(90, 60, 30), holderColour(220, 30, 30);

// The level window's slider: a 24 x 68 track, a 24 x 16 holder strip with a lime border;
// frame f has a bar of colour (220, 30 + f, 30).
struct ShippedSlider {
    QWidget window;
    TImage *track = new TImage(&window), *holder = new TImage(&window);
    TSlider *slider = new TSlider(&window);
    QSignalSpy changes{slider, &TSlider::changed};
    explicit ShippedSlider(int frames = 1)
    {
        QImage trackPicture(24, 68, QImage::Format_RGB32),
            holderPicture(24 * frames, 16, QImage::Format_RGB32);
        trackPicture.fill(trackColour);
        holderPicture.fill(lime);
        for (int f = 0; f < frames; ++f)
            QPainter(&holderPicture).fillRect(24 * f + 2, 2, 20, 12, QColor(220, 30 + f, 30));
        track->setBitmap(trackPicture);
        holder->setBitmap(holderPicture);
        track->setObjectName(QStringLiteral("imgTrack"));
        holder->setObjectName(QStringLiteral("imgHolder"));
        slider->setStyle(TSlider::ssVertical);
        slider->setMax(100);
        slider->setPosition(50);
        slider->setNumImages(frames);
        slider->setTransparent(true);
        slider->setTranspColor(lime);
        slider->setHolderImage(QStringLiteral("imgHolder"));
        slider->setBkgImage(QStringLiteral("imgTrack"));
    }
    QColor at(int x, int y) { return controlstest::rendered(*slider).pixelColor(x, y); }
    void drag(Qt::MouseButton b, QPoint from, QPoint to)
    {
        QTest::mousePress(slider, b, {}, from);
        QTest::mouseMove(slider, to);
        QTest::mouseRelease(slider, b, {}, to);
    }
};

} // namespace

TEST(SliderGeometry, TheShippedSliderHasTravel52AndDrawsPosition50AtRows26To41SeeThroughOnlyWhenTransparent)
{
    ShippedSlider s;
    EXPECT_EQ(s.slider->size(), QSize(24, 68)); // sized by its track picture
    EXPECT_EQ(s.slider->Travel(), 52);
    EXPECT_EQ(s.slider->HolderRect(), QRect(0, 26, 24, 16));
    for (auto [y, colour] : {std::pair{25, trackColour},
                             {26, trackColour},
                             {28, holderColour},
                             {39, holderColour},
                             {42, trackColour}})
        EXPECT_EQ(s.at(12, y), colour) << "row " << y;
    s.slider->setTransparent(false); // now the see-through colour is drawn
    EXPECT_EQ(s.at(12, 26), lime);
    EXPECT_EQ(s.at(12, 41), lime);
}

TEST(SliderGeometry, PositionAndPointerArithmetic)
{
    struct Case {
        int travel, min, max, pointer;
        uint position;
        int offsetOfPosition;
    };
    // Halves go to the even neighbour; a track without travel only reaches its minimum.
    for (const Case &c :
         {Case{52, 0, 100, 13, 25, 13}, Case{52, 0, 100, 52, 100, 52}, Case{52, 0, 100, 60, 100, 52},
          Case{52, 0, 100, -10, 0, 0}, Case{50, 100, 200, 25, 150, 25}, Case{50, 100, 200, -5, 100, 0},
          Case{0, 0, 100, 30, 0, 0}}) {
        const float scale = SliderScale(c.travel, c.min, c.max);
        EXPECT_EQ(SliderPositionAt(c.pointer, scale, c.min, c.max), c.position)
            << c.travel << "/" << c.pointer;
        if (c.travel) {
            EXPECT_EQ(HolderOffset(c.position, c.min, scale), c.offsetOfPosition) << c.position;
        }
    }
    EXPECT_EQ(SliderPositionAt(5, 0.5f, 0, 100), 10u);
    EXPECT_EQ(HolderOffset(5, 0, 0.5f), 2);
    EXPECT_EQ(HolderOffset(7, 0, 0.5f), 4);
}

TEST(SliderDragging, DraggingTheHolderFollowsThePointerAndClampsAndOnlyChangesFire)
{
    ShippedSlider s;
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(12, 30));
    EXPECT_TRUE(s.slider->Dragging());
    for (auto [y, position] : {std::pair{13, 25u}, {52, 100u}, {60, 100u}, {-10, 0u}, {26, 50u}}) {
        QTest::mouseMove(s.slider, QPoint(12, y));
        EXPECT_EQ(s.slider->Position(), position) << "pointer at y " << y;
    }
    QTest::mouseRelease(s.slider, Qt::LeftButton, {}, QPoint(12, 26));
    EXPECT_FALSE(s.slider->Dragging());
    EXPECT_EQ(s.changes.count(), 4); // 25, 100, 0, 50: the move to 60 changed nothing
}

TEST(SliderDragging, APressOutsideTheHolderOrWithAnotherButtonNeverStartsADrag)
{
    ShippedSlider s;
    for (QPoint outside : {QPoint(12, 25), QPoint(12, 42), QPoint(12, 5)})
        s.drag(Qt::LeftButton, outside, QPoint(12, 60));
    s.drag(Qt::RightButton, QPoint(12, 30), QPoint(12, 60));
    EXPECT_EQ(s.slider->Position(), 50u);
    EXPECT_EQ(s.changes.count(), 0);
}

TEST(SliderDragging, TheHorizontalSliderFollowsXAndLosesOneFrameOfTravel)
{
    ShippedSlider s(2);
    s.slider->setGeometry(0, 0, 124, 16);
    s.slider->setStyle(TSlider::ssHorizontal);
    EXPECT_EQ(s.slider->Travel(), 100);
    EXPECT_EQ(s.slider->HolderRect(), QRect(50, 0, 24, 16));
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(60, 8));
    QTest::mouseMove(s.slider, QPoint(70, 40));
    EXPECT_EQ(s.slider->Position(), 70u);
}

TEST(SliderProperties, OutOfRangeValuesAreKeptOrCorrected)
{
    ShippedSlider s;
    s.slider->setPosition(150); // kept and drawn there, without a change
    EXPECT_EQ(s.slider->HolderRect().top(), 78);
    EXPECT_EQ(s.changes.count(), 0);
    s.slider->setMin(20);
    s.slider->setMax(20); // max equal to min becomes min + 100
    EXPECT_EQ(s.slider->Max(), 120u);
    for (int below : {0, -4}) {
        s.slider->setNumImages(below);
        EXPECT_EQ(s.slider->NumImages(), 1);
    }
}

TEST(SliderProperties, DisablingShowsTheDisabledFrameEnablingFrameZeroAndAFrameOutsideTheStripNoHolder)
{
    ShippedSlider s(3);
    s.slider->setTransparent(false);
    s.slider->setImageIndex(1);
    EXPECT_EQ(s.at(12, 30), QColor(220, 31, 30));
    s.slider->setDisabledIndex(2);
    s.slider->setEnabled(false);
    EXPECT_EQ(s.at(12, 30), QColor(220, 32, 30));
    s.slider->setEnabled(true);
    EXPECT_EQ(s.at(12, 30), holderColour);
    for (int outside : {5, -1}) {
        s.slider->setImageIndex(outside);
        EXPECT_EQ(s.at(12, 30), trackColour) << "frame " << outside;
    }
}

TEST(SliderProperties, PictureControlsThatGoAwayAreDropped)
{
    ShippedSlider s;
    delete s.holder;
    delete s.track;
    s.slider->setColor(Qt::blue);
    EXPECT_EQ(s.at(12, 30), QColor(Qt::blue));
    EXPECT_TRUE(s.slider->HolderRect().isNull());
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(12, 30));
    EXPECT_FALSE(s.slider->Dragging());
    QTest::mouseRelease(s.slider, Qt::LeftButton, {}, QPoint(12, 30));
}

TEST(SliderPointer, TheHolderCursorShowsOverTheHolderOnlyAndTheTooltipIsEmptyWhileAButtonIsHeld)
{
    ShippedSlider s;
    s.slider->setCursor(Qt::CrossCursor);
    for (auto [pos, shape] :
         {std::pair{QPointF(12, 30), Qt::PointingHandCursor}, {QPointF(12, 5), Qt::CrossCursor}}) {
        QMouseEvent move(QEvent::MouseMove, pos, pos, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(s.slider, &move);
        EXPECT_EQ(s.slider->cursor().shape(), shape);
    }
    s.slider->setToolTip(QStringLiteral("Volume"));
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(12, 5));
    EXPECT_TRUE(s.slider->toolTip().isEmpty());
    QTest::mouseRelease(s.slider, Qt::LeftButton, {}, QPoint(12, 5));
    EXPECT_EQ(s.slider->toolTip(), QStringLiteral("Volume"));
}
