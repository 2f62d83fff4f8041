// The picture slider: holder placement from the position, dragging with its clamp, the holder's
// see-through colour and frames, its cursor and its kept tooltip.
#include "controls/ZSlider.h"

#include "controls/ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

const QColor lime(0, 255, 0);
const QColor trackColour(90, 60, 30);
const QColor holderColour(220, 30, 30);

// The level window's slider: a 24 x 68 track, a 24 x 16 holder with a lime see-through border.
struct ShippedSlider {
    QWidget window;
    TImage *track = new TImage(&window);
    TImage *holder = new TImage(&window);
    TSlider *slider = new TSlider(&window);
    QSignalSpy changes{slider, &TSlider::changed};

    explicit ShippedSlider(int frames = 1)
    {
        QImage trackPicture(24, 68, QImage::Format_RGB32);
        trackPicture.fill(trackColour);
        track->setBitmap(trackPicture);
        QImage holderPicture(24 * frames, 16, QImage::Format_RGB32);
        holderPicture.fill(lime);
        for (int f = 0; f < frames; ++f) // frame f: a bar of colour (220, 30 + f, 30) inside the border
            for (int y = 2; y < 14; ++y)
                for (int x = 2; x < 22; ++x)
                    holderPicture.setPixelColor(24 * f + x, y, QColor(220, 30 + f, 30));
        holder->setBitmap(holderPicture);
        track->setObjectName(QStringLiteral("imgTrack"));
        holder->setObjectName(QStringLiteral("imgHolder"));
        track->move(100, 0);
        holder->move(100, 100);

        slider->setStyle(TSlider::ssVertical);
        slider->setMin(0);
        slider->setMax(100);
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

TEST(SliderGeometry, TheShippedSliderHasTravel52AndDrawsPosition50AtRows26To41SeeThroughOnlyWhenTransparent)
{
    ShippedSlider s;
    EXPECT_EQ(s.slider->size(), QSize(24, 68)); // sized by its track picture
    EXPECT_EQ(s.slider->Travel(), 52);
    EXPECT_FLOAT_EQ(s.slider->Scale(), 0.52f);
    EXPECT_EQ(s.slider->HolderRect(), QRect(0, 26, 24, 16));

    EXPECT_EQ(s.at(12, 25), trackColour);
    EXPECT_EQ(s.at(12, 26), trackColour); // the holder's lime border lets the track show
    EXPECT_EQ(s.at(12, 28), holderColour);
    EXPECT_EQ(s.at(12, 39), holderColour);
    EXPECT_EQ(s.at(12, 42), trackColour);

    s.slider->setTransparent(false); // now the see-through colour is drawn
    EXPECT_EQ(s.at(12, 26), lime);
    EXPECT_EQ(s.at(12, 41), lime);
}

TEST(SliderGeometry, PositionAndPointerArithmetic)
{
    const float scale = SliderScale(52, 0, 100);
    EXPECT_EQ(HolderOffset(50, 0, scale), 26);
    EXPECT_EQ(HolderOffset(0, 0, scale), 0);
    EXPECT_EQ(HolderOffset(100, 0, scale), 52);
    EXPECT_EQ(SliderPositionAt(13, scale, 0, 100), 25u);
    EXPECT_EQ(SliderPositionAt(52, scale, 0, 100), 100u);
    EXPECT_EQ(SliderPositionAt(60, scale, 0, 100), 100u);
    EXPECT_EQ(SliderPositionAt(-10, scale, 0, 100), 0u);
    // Halves go to the even neighbour: 1 / 0.5 + 0.5 steps.
    EXPECT_EQ(SliderPositionAt(5, SliderScale(4, 0, 8), 0, 100), 10u);
    EXPECT_EQ(HolderOffset(5, 0, 0.5f), 2);
    EXPECT_EQ(HolderOffset(7, 0, 0.5f), 4);
    // A track without travel cannot be dragged anywhere but its minimum.
    EXPECT_EQ(SliderPositionAt(30, SliderScale(0, 0, 100), 0, 100), 0u);
}

TEST(SliderGeometry, ANonZeroMinimumMapsTheTrackOntoMinToMax)
{
    const float scale = SliderScale(50, 100, 200);
    EXPECT_EQ(HolderOffset(100, 100, scale), 0);
    EXPECT_EQ(HolderOffset(150, 100, scale), 25);
    EXPECT_EQ(SliderPositionAt(25, scale, 100, 200), 150u);
    EXPECT_EQ(SliderPositionAt(-5, scale, 100, 200), 100u);
}

TEST(SliderDragging, DraggingTheHolderFollowsThePointerAndClamps)
{
    ShippedSlider s;
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(12, 30));
    EXPECT_TRUE(s.slider->Dragging());

    struct Step {
        int y;
        uint position;
    };
    for (const Step &step : {Step{13, 25}, Step{52, 100}, Step{60, 100}, Step{-10, 0}}) {
        QTest::mouseMove(s.slider, QPoint(12, step.y));
        EXPECT_EQ(s.slider->Position(), step.position) << "pointer at y " << step.y;
    }
    QTest::mouseRelease(s.slider, Qt::LeftButton, {}, QPoint(12, -10));
    EXPECT_FALSE(s.slider->Dragging());
    EXPECT_EQ(s.changes.count(), 3); // 25, 100, 0: the move to 60 changed nothing
    EXPECT_EQ(s.slider->HolderRect().top(), 0);
}

TEST(SliderDragging, ADragEndingOnTheSamePositionFiresNoChange)
{
    ShippedSlider s;
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(12, 30));
    QTest::mouseMove(s.slider, QPoint(12, 26)); // 26 / 0.52 = 50
    QTest::mouseRelease(s.slider, Qt::LeftButton, {}, QPoint(12, 26));
    EXPECT_EQ(s.slider->Position(), 50u);
    EXPECT_EQ(s.changes.count(), 0);
}

TEST(SliderDragging, APressOutsideTheHolderOrWithAnotherButtonNeverStartsADrag)
{
    ShippedSlider s;
    for (QPoint outside : {QPoint(12, 25), QPoint(12, 42), QPoint(12, 5)}) {
        QTest::mousePress(s.slider, Qt::LeftButton, {}, outside);
        QTest::mouseMove(s.slider, QPoint(12, 60));
        QTest::mouseRelease(s.slider, Qt::LeftButton, {}, QPoint(12, 60));
    }
    QTest::mousePress(s.slider, Qt::RightButton, {}, QPoint(12, 30));
    QTest::mouseMove(s.slider, QPoint(12, 60));
    QTest::mouseRelease(s.slider, Qt::RightButton, {}, QPoint(12, 60));
    EXPECT_EQ(s.slider->Position(), 50u);
    EXPECT_EQ(s.changes.count(), 0);
}

TEST(SliderDragging, TheHorizontalSliderFollowsXAndLosesOneFrameOfTravel)
{
    ShippedSlider s(2);
    s.slider->setGeometry(0, 0, 124, 16);
    s.slider->setStyle(TSlider::ssHorizontal);
    EXPECT_EQ(s.slider->FrameWidth(), 24);
    EXPECT_EQ(s.slider->Travel(), 100);
    EXPECT_EQ(s.slider->HolderRect(), QRect(50, 0, 24, 16));

    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(60, 8));
    QTest::mouseMove(s.slider, QPoint(70, 40));
    EXPECT_EQ(s.slider->Position(), 70u);
}

TEST(SliderProperties, MaxEqualToMinBecomesMinPlus100AndAPositionOutsideTheRangeIsKeptAndDrawnThere)
{
    ShippedSlider s;
    s.slider->setPosition(150);
    EXPECT_EQ(s.slider->Position(), 150u);
    EXPECT_EQ(s.slider->HolderRect().top(), 78);
    EXPECT_EQ(s.changes.count(), 0);
    s.slider->setMin(20);
    s.slider->setMax(20);
    EXPECT_EQ(s.slider->Max(), 120u);
}

TEST(SliderProperties, NumImagesOfZeroOrLessIsOne)
{
    ShippedSlider s;
    for (int below : {0, -4}) {
        s.slider->setNumImages(below);
        EXPECT_EQ(s.slider->NumImages(), 1);
    }
}

TEST(SliderProperties, DisablingShowsTheDisabledFrameAndEnablingAlwaysFrameZero)
{
    ShippedSlider s(3);
    s.slider->setTransparent(false);
    s.slider->setImageIndex(1);
    EXPECT_EQ(s.at(12, 30), QColor(220, 31, 30));
    s.slider->setDisabledIndex(2);
    s.slider->setEnabled(false);
    EXPECT_EQ(s.slider->ImageIndex(), 2);
    EXPECT_EQ(s.at(12, 30), QColor(220, 32, 30));
    s.slider->setEnabled(true);
    EXPECT_EQ(s.slider->ImageIndex(), 0);
    EXPECT_EQ(s.at(12, 30), holderColour);
}

TEST(SliderProperties, AFrameIndexBeyondTheStripDrawsNoHolder)
{
    ShippedSlider s(2);
    s.slider->setTransparent(false);
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

TEST(SliderCursor, TheHolderCursorShowsOverTheHolderOnly)
{
    ShippedSlider s;
    s.slider->setCursor(Qt::CrossCursor);
    auto hoverAt = [&](QPointF pos) {
        QMouseEvent move(QEvent::MouseMove, pos, pos, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(s.slider, &move);
        return s.slider->cursor().shape();
    };
    EXPECT_EQ(hoverAt(QPointF(12, 30)), Qt::PointingHandCursor);
    EXPECT_EQ(hoverAt(QPointF(12, 5)), Qt::CrossCursor);
}

TEST(SliderHint, TheTooltipIsEmptyWhileAButtonIsHeld)
{
    ShippedSlider s;
    s.slider->setToolTip(QStringLiteral("Volume"));
    QTest::mousePress(s.slider, Qt::LeftButton, {}, QPoint(12, 5));
    EXPECT_TRUE(s.slider->toolTip().isEmpty());
    QTest::mouseRelease(s.slider, Qt::LeftButton, {}, QPoint(12, 5));
    EXPECT_EQ(s.slider->toolTip(), QStringLiteral("Volume"));
}
