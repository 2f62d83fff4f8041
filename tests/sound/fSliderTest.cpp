// The level window over the simulated mixer: opening and re-targeting, the slider and level bar
// following the faders, writes and their read-back, hiding on deactivation, a mixer without controls.
#include "sound/fSlider.h"

#include "controls/ZSlider.h"
#include "platform/mixer/SimMixer.h"
#include "sound/EMixerUtils.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <tuple>

using platform::MixerTable;
using platform::SimMixer;

namespace {

void deliver()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Presses on the slider's handle and drags it to row y, as a parent's hand would.
void dragSlider(TSlider &slider, int y)
{
    // The pointer's own moves (QCursor::setPos) must not land in the middle of the drag.
    deliver();
    const QPoint grab = slider.HolderRect().center();
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent e(type, at, slider.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&slider, &e);
    };
    send(QEvent::MouseButtonPress, grab, Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(grab.x(), y), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(grab.x(), y), Qt::NoButton);
}

// The lit rows of the bar, seen through the cut-out's middle column.
int firstLitRow(const QImage &bar)
{
    for (int y = 0; y < bar.height(); ++y)
        if (bar.pixel(5, y) == qRgb(0, 255, 0)) return y;
    return bar.height();
}

class LevelWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        VolumeCaption = QStringLiteral("Volume");
        MicrophoneCaption = QStringLiteral("Microphone");
    }
    void TearDown() override { SliderForm = nullptr; }

    TSlider &slider(TSliderForm &form) { return *form.findChild<TSlider *>(QStringLiteral("Slider")); }

    SimMixer mixer;
};

TEST_F(LevelWindow, TheMicrophoneReplacesTheVolumeInPlace)
{
    mixer.changeControl(MixerTable::MasterVolumeId, 65535);
    mixer.changeControl(MixerTable::MicrophoneLevelId, 0);
    TSliderForm form(mixer);
    SliderForm = &form;
    QCursor::setPos(300, 400);
    ShowLevelWindow(true);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.pos(), QPoint(255, 340));
    EXPECT_EQ(form.size(), QSize(65, 105));
    EXPECT_EQ(form.DeviceName(), "Volume");
    EXPECT_EQ(form.CurrentFader(), form.VolumeFader());
    EXPECT_EQ(slider(form).Position(), 0u);

    QCursor::setPos(600, 500);
    ShowLevelWindow(false);
    EXPECT_EQ(form.pos(), QPoint(255, 340));
    EXPECT_EQ(form.DeviceName(), "Microphone");
    EXPECT_EQ(form.CurrentFader(), form.MicrophoneFader());
    EXPECT_EQ(slider(form).Position(), 100u);
    EXPECT_EQ(SliderForm, &form);
}

// A fader's value, however it came (the system, or the window's own write), sets the handle and
// the bar; the bar is lit from 68/100 x position down, under the lime cut-out only.
TEST_F(LevelWindow, TheHandleAndBarFollowTheFader)
{
    struct Case {
        bool volume;
        qint32 systemValue; // set from outside; -1: the slider is dragged to dragRow instead
        int dragRow;
        qint32 written; // what the mixer holds afterwards
        unsigned position;
        int litFrom;
    };
    const Case cases[] = {
        {true, 65535, 0, 65535, 0, 0},    {true, 0, 0, 0, 100, 68},
        {false, 16384, 0, 16384, 75, 51}, {true, -1, 26, 32767, 51, 35},
        {true, -1, 13, 49151, 26, 18},    {false, -1, 60, 0, 100, 68},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " value " << c.systemValue << " row " << c.dragRow);
        SimMixer local;
        TSliderForm form(local);
        form.ShowLevel(c.volume);
        const quint32 id = c.volume ? MixerTable::MasterVolumeId : MixerTable::MicrophoneLevelId;
        const quint32 other = c.volume ? MixerTable::MicrophoneLevelId : MixerTable::MasterVolumeId;
        if (c.systemValue >= 0) {
            local.changeControl(id, c.systemValue);
            deliver();
        } else {
            dragSlider(slider(form), c.dragRow);
        }
        EXPECT_EQ(local.values(id)[0], c.written);
        EXPECT_EQ(local.values(other)[0], 65535) << "the other device is left alone";
        EXPECT_EQ(slider(form).Position(), c.position);
        EXPECT_EQ(slider(form).HolderRect().top(), qRound(c.position * 0.52));
        const QImage bar = form.LevelPicture();
        // The cut-out shows rows 2 to 67 of the bar.
        EXPECT_EQ(firstLitRow(bar), c.litFrom >= 68 ? bar.height() : qMax(c.litFrom, 2));
        EXPECT_EQ(bar.pixel(5, 67), c.litFrom <= 67 ? qRgb(0, 255, 0) : qRgb(128, 128, 128));
        EXPECT_NE(bar.pixel(0, 40), qRgb(0, 255, 0)) << "beside the cut-out the face covers the bar";
    }
}

TEST_F(LevelWindow, DeactivationHidesAndTheNextOpeningFollowsThePointer)
{
    TSliderForm form(mixer);
    QWidget other;
    other.resize(50, 50);
    other.show();
    QCursor::setPos(200, 200);
    form.ShowLevel(true);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(form.isVisible());

    QCursor::setPos(400, 300);
    form.ShowLevel(false);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.pos(), QPoint(355, 240));
}

TEST_F(LevelWindow, TheFaceDragsTheWindowAndTheCloseButtonHidesIt)
{
    TSliderForm form(mixer);
    QCursor::setPos(300, 300);
    form.ShowLevel(true);
    deliver();
    QWidget *face = form.findChild<QWidget *>(QStringLiteral("ImgBkg"));
    const QPoint start = form.pos();
    auto send = [&](QEvent::Type type, QPoint at, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, global, button, held, Qt::NoModifier);
        QApplication::sendEvent(face, &e);
    };
    // Any button drags; the window follows the pointer until the button is let go.
    send(QEvent::MouseButtonPress, {10, 50}, start + QPoint(10, 50), Qt::RightButton, Qt::RightButton);
    send(QEvent::MouseMove, {30, 40}, start + QPoint(30, 40), Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(form.pos(), start + QPoint(20, -10));
    send(QEvent::MouseButtonRelease, {10, 50}, start + QPoint(30, 40), Qt::RightButton, Qt::NoButton);
    send(QEvent::MouseMove, {60, 60}, start + QPoint(80, 50), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(form.pos(), start + QPoint(20, -10));

    QTest::mouseClick(form.findChild<QWidget *>(QStringLiteral("btnClose")), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(LevelWindow, WithoutMixerControlsTheSliderRestsAtTheBottomAndWritesGoNowhere)
{
    for (bool serverUp : {false, true}) {
        SimMixer local(serverUp ? std::vector<MixerTable::Line>{} : MixerTable::standardLines());
        local.setServerAvailable(serverUp);
        TSliderForm form(local);
        for (bool volume : {true, false}) {
            SCOPED_TRACE(testing::Message() << "server " << serverUp << " volume " << volume);
            form.ShowLevel(volume);
            EXPECT_EQ(slider(form).Position(), 100u);
            dragSlider(slider(form), 0);
            deliver();
            EXPECT_EQ(slider(form).Position(), 0u) << "nothing reads back over the dragged handle";
        }
        if (!serverUp) {
            EXPECT_EQ(local.values(MixerTable::MasterVolumeId)[0], 65535);
            EXPECT_EQ(local.values(MixerTable::MicrophoneLevelId)[0], 65535);
        }
    }
}

TEST_F(LevelWindow, TheDeviceNameReadsUpwardsFromTheBottomLeft)
{
    TSliderForm form(mixer);
    form.ShowLevel(true);
    QWidget *box = form.findChild<QWidget *>(QStringLiteral("PaintBoxDevice"));
    const QImage drawn = box->grab().toImage();
    QRect ink;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (qGray(drawn.pixel(x, y)) < 100) ink |= QRect(x, y, 1, 1);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.left(), 4);
    EXPECT_GE(ink.bottom(), drawn.height() - 4);
    EXPECT_GT(ink.height(), 2 * ink.width()) << "the name runs along the box";
    EXPECT_GT(ink.top(), 10) << "\"Volume\" is short of the top";
}

TEST(FontToLogFont, DescribesTheFontAtItsAngle)
{
    QFont bold(QStringLiteral("Tahoma"));
    bold.setPixelSize(11);
    bold.setBold(true);
    bold.setItalic(true);
    QFont byDefault(QStringLiteral("dEFAULT"));
    byDefault.setUnderline(true);
    byDefault.setStrikeOut(true);
    const QFont longName(QString(40, QLatin1Char('x')));
    struct Case {
        QFont font;
        int angle;
        TLogFont want;
    };
    const Case cases[] = {
        {bold, 90, {.Height = -11, .Escapement = 900, .Weight = 700, .Italic = true, .FaceName = "Tahoma"}},
        {byDefault, 0,
         {.Weight = 400, .Underline = true, .StrikeOut = true, .FaceName = QApplication::font().family()}},
        {longName, -45, {.Escapement = -450, .Weight = 400, .FaceName = QString(31, QLatin1Char('x'))}},
    };
    for (const Case &c : cases) {
        TLogFont got;
        got.Width = 7;
        FontToLogFont(c.font, c.angle, got);
        EXPECT_EQ(got.Escapement, c.want.Escapement);
        EXPECT_EQ(got.Weight, c.want.Weight);
        EXPECT_EQ(std::tie(got.Italic, got.Underline, got.StrikeOut),
                  std::tie(c.want.Italic, c.want.Underline, c.want.StrikeOut));
        EXPECT_EQ(got.FaceName, c.want.FaceName);
        EXPECT_EQ(got.Width, 0);
        EXPECT_EQ(got.Orientation, 0);
        if (c.want.Height) {
            EXPECT_EQ(got.Height, c.want.Height);
        }
        EXPECT_EQ(LogFontToFont(got).bold(), c.want.Weight == 700);
    }
}

} // namespace
