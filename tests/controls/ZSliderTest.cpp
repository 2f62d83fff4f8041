// The picture slider: holder placement, dragging with its clamp, see-through colour, frames,
// cursor and the tooltip kept while a button is held.
#include "controls/ZSlider.h"

#include "controls/ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

const QColor lime(0, 255, 0), trackColour(90, 60, 30), holderColour(220, 30, 30);

// The level window's slider (vertical, 0 to 100): a 24 x 68 track, a 24 x 16 holder strip with a lime border;
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
        slider->setPosition(50);
        slider->setNumImages(frames);
        slider->setTransparent(true);
        slider->setTranspColor(lime);
        slider->setHolderImage(QStringLiteral("imgHolder"));
        slider->setBkgImage(QStringLiteral("imgTrack"));
    }
    QColor at(int x, int y) { return controlstest::rendered(*slider).pixelColor(x, y); }
};

} // namespace

// Worked example: position 50 draws the holder at rows 26 to 41, and dragging it to y = 13 gives 25,
// to 52 gives 100, to 60 still 100 and to -10 gives 0; only real changes fire. A press outside the
// holder or with another button starts no drag; the tooltip waits while a button is held.
TEST(SliderWorkedExample, TheShippedSliderDrawsPosition50AtRows26To41AndFollowsADragWithItsClamp)
{
    ShippedSlider s;
    EXPECT_EQ(s.slider->size(), QSize(24, 68)); // sized by its track picture
    EXPECT_EQ(s.slider->Travel(), 52);
    EXPECT_EQ(s.slider->HolderRect(), QRect(0, 26, 24, 16));
    const std::pair<int, QColor> rows[] = {
        {25, trackColour}, {26, trackColour}, {28, holderColour}, {39, holderColour}, {42, trackColour}};
    for (auto [y, colour] : rows)
        EXPECT_EQ(s.at(12, y), colour) << "row " << y;
    s.slider->setTransparent(false); // now the see-through colour is drawn
    EXPECT_EQ(s.at(12, 26), lime);
    EXPECT_EQ(s.at(12, 41), lime);
    s.slider->setToolTip(QStringLiteral("Volume"));
    for (auto [button, y] : {std::pair{Qt::LeftButton, 25}, {Qt::LeftButton, 42}, {Qt::RightButton, 30}}) {
        QTest::mousePress(s.slider, button, {}, QPoint(12, y)); // outside the holder, or not the left button
        QTest::mouseMove(s.slider, QPoint(12, 60));
        EXPECT_FALSE(s.slider->Dragging()) << y;
        EXPECT_TRUE(s.slider->toolTip().isEmpty()); // while a button is held
        QTest::mouseRelease(s.slider, button, {}, QPoint(12, 60));
    }
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(12, 30));
    EXPECT_TRUE(s.slider->Dragging());
    for (auto [y, position] : {std::pair{13, 25u}, {52, 100u}, {60, 100u}, {-10, 0u}, {26, 50u}}) {
        QTest::mouseMove(s.slider, QPoint(12, y));
        EXPECT_EQ(s.slider->Position(), position) << "pointer at y " << y;
    }
    QTest::mouseRelease(s.slider, Qt::LeftButton, {}, QPoint(12, 26));
    EXPECT_FALSE(s.slider->Dragging());
    EXPECT_EQ(s.slider->toolTip(), QStringLiteral("Volume"));
    EXPECT_EQ(s.changes.count(), 4); // 25, 100, 0, 50: the move to 60 changed nothing
}

TEST(SliderDragging, TheHorizontalSliderFollowsXAndLosesOneFrameOfTravelAndPositionsRoundHalvesToEven)
{
    ShippedSlider s(2);
    s.slider->setGeometry(0, 0, 124, 16);
    s.slider->setStyle(TSlider::ssHorizontal);
    EXPECT_EQ(s.slider->Travel(), 100);
    EXPECT_EQ(s.slider->HolderRect(), QRect(50, 0, 24, 16));
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(60, 8));
    QTest::mouseMove(s.slider, QPoint(70, 40));
    EXPECT_EQ(s.slider->Position(), 70u);
    EXPECT_EQ(SliderPositionAt(25, SliderScale(50, 100, 200), 100, 200), 150u); // a range away from zero
    EXPECT_EQ(SliderPositionAt(30, SliderScale(0, 0, 100), 0, 100), 0u); // no travel reaches the minimum only
    EXPECT_EQ(SliderPositionAt(5, 0.5f, 0, 100), 10u);
    EXPECT_EQ(HolderOffset(5, 0, 0.5f), 2); // halves go to the even neighbour
    EXPECT_EQ(HolderOffset(7, 0, 0.5f), 4);
}

// Disabling shows the disabled frame and enabling frame 0; a frame outside the strip draws no holder.
// Out-of-range values are kept or corrected.
TEST(SliderProperties, FramesFollowTheEnabledStateAndOutOfRangeValuesAreKeptOrCorrected)
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

TEST(SliderProperties, PictureControlsThatGoAwayAreDroppedAndTheHolderCursorShowsOverTheHolderOnly)
{
    ShippedSlider s;
    s.slider->setCursor(Qt::CrossCursor);
    s.slider->setHolderCursor(Qt::SizeVerCursor);
    for (auto [pos, shape] :
         {std::pair{QPointF(12, 30), Qt::SizeVerCursor}, {QPointF(12, 5), Qt::CrossCursor}}) {
        QMouseEvent move(QEvent::MouseMove, pos, pos, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(s.slider, &move);
        EXPECT_EQ(s.slider->cursor().shape(), shape);
    }
    delete s.holder;
    delete s.track;
    s.slider->setColor(Qt::blue);
    EXPECT_EQ(s.at(12, 30), QColor(Qt::blue));
    EXPECT_TRUE(s.slider->HolderRect().isNull());
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(12, 30));
    EXPECT_FALSE(s.slider->Dragging());
    QTest::mouseRelease(s.slider, Qt::LeftButton, {}, QPoint(12, 30));
}
