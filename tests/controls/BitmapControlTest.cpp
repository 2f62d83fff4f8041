// The picture-strip button: frames for its states, when a release is a click, the caption,
// hover tracking, the accelerator and the strip's picture control going away.
#include "controls/BitmapControl.h"

#include "controls/ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

const std::vector<QColor> frameColours{QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200)};

// A window with a three-frame strip (each frame 47 x 48) and a button showing it.
struct ButtonWindow {
    QWidget window;
    TImage *strip = new TImage(&window);
    TBitmapControl *button = new TBitmapControl(&window);
    QPoint pointer{-1000, -1000}; // where the pointer is, on screen
    QSignalSpy clicks{button, &TControl::clicked};
    ButtonWindow()
    {
        window.resize(300, 200);
        strip->setObjectName(QStringLiteral("imgStrip"));
        strip->setBitmap(controlstest::stripPicture(47, 48, frameColours));
        button->setImage(QStringLiteral("imgStrip"));
        button->setNumImages(3);
        button->setGeometry(20, 30, 47, 48);
        button->setImageActive(1);
        button->setImageDown(2);
        button->setCursorSource([this] { return pointer; });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Moves the pointer to `pos` in button coordinates and lets the button see the movement.
    void pointAt(QPoint pos)
    {
        pointer = button->mapToGlobal(pos);
        QTest::mouseMove(button, pos);
    }
    void click(Qt::MouseButton b, QPoint press, QPoint release)
    {
        QTest::mousePress(button, b, {}, press);
        QTest::mouseRelease(button, b, {}, release);
    }
    QColor shown() { return controlstest::rendered(*button).pixelColor(23, 24); }
};

} // namespace

// A release outside is no click, and the right and bottom edges are outside. Only the left button
// presses, but any release ends the press with a click; the tooltip waits while a button is held.
TEST(BitmapControlFrames, HoverPressDragOffAndBackShowTheirFramesInTheActiveWindowAndOnlyAReleaseInsideClicks)
{
    ButtonWindow w;
    w.button->setToolTip(QStringLiteral("Record a message"));
    EXPECT_EQ(w.shown(), frameColours[0]);
    w.pointAt(QPoint(10, 10));
    EXPECT_EQ(w.shown(), frameColours[1]);
    QTest::mousePress(w.button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(w.shown(), frameColours[2]);
    EXPECT_TRUE(w.button->toolTip().isEmpty());
    w.pointAt(QPoint(60, 10)); // dragged off while held
    EXPECT_EQ(w.shown(), frameColours[0]);
    w.pointAt(QPoint(5, 5)); // and back
    EXPECT_EQ(w.shown(), frameColours[2]);
    w.pointAt(QPoint(-3, 5));
    QTest::mouseRelease(w.button, Qt::LeftButton, {}, QPoint(-3, 5));
    EXPECT_EQ(w.clicks.count(), 0);
    EXPECT_EQ(w.button->State(), TBitmapControl::bsUp);
    EXPECT_FALSE(w.button->Pressed());
    for (QPoint edge : {QPoint(47, 10), QPoint(10, 48)})
        w.click(Qt::LeftButton, QPoint(10, 10), edge);
    EXPECT_EQ(w.clicks.count(), 0);
    w.click(Qt::LeftButton, QPoint(10, 10), QPoint(46, 47)); // the last pixel inside
    EXPECT_EQ(w.clicks.count(), 1);
    EXPECT_EQ(w.button->toolTip(), QStringLiteral("Record a message"));
    w.click(Qt::RightButton, QPoint(10, 10), QPoint(10, 10));
    EXPECT_EQ(w.clicks.count(), 1);
    QTest::mousePress(w.button, Qt::LeftButton, {}, QPoint(10, 10));
    w.click(Qt::RightButton, QPoint(10, 10), QPoint(10, 10));
    EXPECT_EQ(w.clicks.count(), 2);
    EXPECT_TRUE(w.button->toolTip().isEmpty());
    QTest::mouseRelease(w.button, Qt::LeftButton, {}, QPoint(10, 10));
    QWidget other; // while the window is inactive, hover and down frames are never chosen
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    w.pointer = w.button->mapToGlobal(QPoint(10, 10));
    EXPECT_FALSE(w.button->MouseInControl());
    QTest::mousePress(w.button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(w.button->CurrentFrame(), 0);
    QTest::mouseRelease(w.button, Qt::LeftButton, {}, QPoint(10, 10));
}

// The caption's character, or Alt with it, clicks an enabled button only.
TEST(BitmapControlFrames, TheAcceleratorClicksADisabledButtonShowsItsDisabledFrameAndIgnoresPressesAndKeys)
{
    ButtonWindow w;
    EXPECT_EQ(AcceleratorOf(QStringLiteral("Rock && &Roll")), QLatin1Char('R'));
    EXPECT_TRUE(AcceleratorOf(QStringLiteral("No && accelerator")).isNull());
    w.button->setCaption(QStringLiteral("&Play"));
    QTest::keyClick(&w.window, Qt::Key_P, Qt::AltModifier);
    EXPECT_TRUE(w.button->DialogChar(QLatin1Char('p')));
    EXPECT_FALSE(w.button->DialogChar(QLatin1Char('x')));
    EXPECT_EQ(w.clicks.count(), 2);
    w.button->setCaption(QString()); // the caption would cover the probed pixel
    w.button->setImageDisabled(1);
    w.button->setEnabled(false);
    EXPECT_EQ(w.shown(), frameColours[1]);
    QTest::mouseClick(w.button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(w.clicks.count(), 2);
    w.button->setImageDisabled(3); // three frames only: a frame outside the strip draws nothing
    EXPECT_EQ(w.shown(), w.button->palette().color(QPalette::Button));
    w.button->setTransparent(true);
    for (int outside : {3, -1}) {
        w.button->setImageDisabled(outside);
        EXPECT_EQ(w.shown(), QColor(1, 2, 3)); // nothing at all is drawn over what lies beneath
    }
    w.button->setCaption(QStringLiteral("&Play"));
    EXPECT_FALSE(w.button->DialogChar(QLatin1Char('P')));
    EXPECT_EQ(w.clicks.count(), 2);
}

// Centred frames are drawn unscaled in the middle; not centred, the control's own width is the frame
// width, and a strip too narrow for it draws nothing.
TEST(BitmapControlStrip, AutoSizeTakesOneFrameFramesAreCutFromTheStripAndAStripIsFoundByNameOrDropped)
{
    ButtonWindow w;
    w.button->setAutoSize(false);
    w.button->setImageControl(w.strip);
    w.button->resize(50, 50);
    for (int below : {0, -2})
        w.button->setNumImages(below);
    EXPECT_EQ(w.button->NumImages(), 3);
    w.button->setAutoSize(true);
    EXPECT_EQ(w.button->geometry(), QRect(20, 30, 47, 48));
    const TButtonFrame f = ButtonFrameRects(2, QSize(60, 51), QSize(141, 48), 3, true);
    EXPECT_EQ(f.Source, QRect(94, 0, 47, 48));
    EXPECT_EQ(f.Dest, QRect(6, 1, 47, 48));
    EXPECT_TRUE(ButtonFrameRects(2, QSize(60, 51), QSize(141, 48), 3, false).Source.isEmpty());
    // A strip named before it exists is found later, and one that goes away is dropped.
    auto *later = new TBitmapControl(&w.window);
    later->setImage(QStringLiteral("imgLater"));
    EXPECT_EQ(later->ImageControl(), nullptr);
    auto *strip = new TImage(&w.window);
    strip->setObjectName(QStringLiteral("imgLater"));
    EXPECT_EQ(later->ImageControl(), strip);
    delete w.strip;
    EXPECT_EQ(w.button->ImageControl(), nullptr);
    const QImage img = controlstest::rendered(*w.button);
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::black)); // the outline of an empty button
    EXPECT_EQ(img.pixelColor(20, 20), QColor(Qt::white));
    w.button->setNumImages(2); // no picture to size from: nothing happens
    EXPECT_EQ(w.button->size(), QSize(47, 48));
}

// The centred caption sits one pixel above the middle and moves when pressed; the hook may move it,
// and a disabled caption is drawn in the button shadow colour.
TEST(BitmapControlCaption, IsPlacedAsTheHookSaysAndDrawnInTheTextOrWhenDisabledTheShadowColour)
{
    EXPECT_EQ(CaptionPosition(QSize(50, 50), QSize(20, 13), -1, -1, false), QPoint(15, 17));
    EXPECT_EQ(CaptionPosition(QSize(50, 50), QSize(20, 13), -1, -1, true), QPoint(16, 18));
    EXPECT_EQ(CaptionPosition(QSize(50, 50), QSize(21, 14), 4, 9, false), QPoint(4, 9));
    ButtonWindow w;
    QFont font = w.button->font();
    font.setPixelSize(30);
    font.setStyleStrategy(QFont::NoAntialias);
    w.button->setFont(font);
    w.button->setCaption(QStringLiteral("&W"));
    const QColor shadow(10, 20, 30), text(250, 240, 230);
    QPalette pal = w.button->palette();
    pal.setColor(QPalette::Active, QPalette::Dark, shadow);
    pal.setColor(QPalette::Active, QPalette::WindowText, text);
    w.button->setPalette(pal);
    auto count = [&](QColor c) { // the button's pixels in colour c
        const QImage img = controlstest::rendered(*w.button);
        const auto *pixels = reinterpret_cast<const QRgb *>(img.constBits());
        return std::count(pixels, pixels + img.width() * img.height(), c.rgb());
    };
    for (bool enabled : {true, false}) {
        w.button->setEnabled(enabled);
        EXPECT_GT(count(enabled ? text : shadow), 20) << enabled;
        EXPECT_EQ(count(enabled ? shadow : text), 0) << enabled;
    }
    QRect seen;
    w.button->setOnTextBounds([&](QObject *, QRect &r) {
        seen = r;
        r.translate(100, 100); // drawn out of sight
    });
    const QSize size = QFontMetrics(font).size(Qt::TextShowMnemonic, QStringLiteral("&W"));
    EXPECT_EQ(count(shadow), 0);
    EXPECT_EQ(seen, QRect(CaptionPosition(w.button->size(), size, -1, -1, false), size));
}

// Hover off, entering fires its signal without a redraw; the 50 ms timer notices a pointer that left
// without a leave notification.
TEST(BitmapControlHover, EnteringRedrawsOnlyWithHoverAndTheTimerNoticesAPointerThatLeftUnreported)
{
    ButtonWindow w;
    QSignalSpy enters(w.button, &TBitmapControl::mouseEnter), leaves(w.button, &TBitmapControl::mouseLeave);
    QTest::qWait(50);
    ASSERT_EQ(w.button->LastImage(), 0);
    w.pointer = w.button->mapToGlobal(QPoint(5, 5));
    QEnterEvent enter(QPointF(5, 5), QPointF(25, 35), QPointF(w.pointer));
    QCoreApplication::sendEvent(w.button, &enter);
    QTest::qWait(20);
    EXPECT_EQ(enters.count(), 1);
    EXPECT_EQ(w.button->LastImage(), 0);
    w.button->setHover(true);
    QCoreApplication::sendEvent(w.button, &enter);
    QTRY_COMPARE_WITH_TIMEOUT(w.button->LastImage(), 1, 1000);
    EXPECT_EQ(enters.count(), 2);
    w.pointer = QPoint(-1000, -1000); // gone, without a leave notification
    EXPECT_TRUE(leaves.wait(1000));
    QTest::qWait(120); // the timer stopped with the leave
    EXPECT_EQ(leaves.count(), 1);
}
