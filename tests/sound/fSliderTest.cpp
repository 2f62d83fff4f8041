// The level window over the simulated mixer: opening and re-targeting, the handle and level bar
// following the faders, writes and their read-back, hiding.
#include "sound/fSlider.h"

#include "Deliver.h"
#include "controls/ZSlider.h"
#include "platform/mixer/SimMixer.h"
#include "sound/EMixerUtils.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

using platform::MixerTable;
using platform::SimMixer;

namespace {

void sendMouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

class LevelWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        VolumeCaption = "Volume";
        MicrophoneCaption = "Microphone";
    }
    void TearDown() override { SliderForm = nullptr; }

    static TSlider &slider(TSliderForm &form) { return *form.findChild<TSlider *>(QStringLiteral("Slider")); }

    // Grabs the handle and drags it to row y, as a parent's hand would.
    static void drag(TSliderForm &form, int y)
    {
        deliver(); // the pointer's own moves (QCursor::setPos) must not land inside the drag
        TSlider &s = slider(form);
        const QPoint grab = s.HolderRect().center();
        sendMouse(&s, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        sendMouse(&s, QEvent::MouseMove, {grab.x(), y}, Qt::NoButton, Qt::LeftButton);
        sendMouse(&s, QEvent::MouseButtonRelease, {grab.x(), y}, Qt::LeftButton, Qt::NoButton);
    }

    SimMixer mixer;
};

// Where it opens and how it turns in place are seen from outside; here the click elsewhere that hides it.
TEST_F(LevelWindow, TurnsInPlaceHidesOnAClickElsewhereAndTheNextOpeningFollowsThePointer)
{
    QWidget other;
    other.show();
    TSliderForm form(mixer);
    SliderForm = &form;
    QCursor::setPos(300, 400);
    ShowLevelWindow(true);
    EXPECT_EQ(form.CurrentFader(), form.VolumeFader());
    QCursor::setPos(600, 500);
    ShowLevelWindow(false);
    EXPECT_EQ(std::tuple(form.pos(), form.DeviceName(), form.CurrentFader()),
              std::tuple(QPoint(255, 340), QString("Microphone"), form.MicrophoneFader()));
    mixer.failWrites(platform::MixerFailed); // logged once; the handle stays where the hand left it
    drag(form, 60);
    EXPECT_EQ(std::pair(slider(form).Position(), mixer.values(MixerTable::MicrophoneLevelId)[0]),
              std::pair(100u, 65535));
    // A click elsewhere hides it; the next opening follows the pointer again.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(form.isVisible());
    ShowLevelWindow(true);
    EXPECT_EQ(form.pos(), QPoint(555, 440));
    // The same click while a menu is open, which the toolkit reports to the window only once the
    // menu has closed; the report then must not hide the window the menu opened.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QMenu menu(&other);
    menu.addAction(QStringLiteral("Microphone Level..."));
    menu.popup({10, 10});
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }));
    menu.close();
    QCursor::setPos(100, 200);
    ShowLevelWindow(false);
    deliver();
    EXPECT_EQ(std::pair(form.isVisible(), form.pos()), std::pair(true, QPoint(55, 140)));
}

// A value set by the system or written by a drag sets the handle (0 is the top) and the bar, lit
// from 68/100 x position down and seen only through the face's cut-out (rows 2 to 67).
TEST_F(LevelWindow, TheHandleAndBarFollowTheFader)
{
    // systemValue -1: the handle is dragged to dragRow instead; kept: what the mixer holds after.
    struct Case {
        bool volume;
        qint32 systemValue;
        int dragRow;
        qint32 kept;
        unsigned position;
        int litFrom;
    };
    const Case cases[] = {
        {true, 65535, 0, 65535, 0, 0}, {true, 0, 0, 0, 100, 68},    {false, 16384, 0, 16384, 75, 51},
        {true, -1, 26, 32767, 51, 35}, // position 50 writes 32767, which reads back as 51
        {true, -1, 13, 49151, 26, 18}, {false, -1, 60, 0, 100, 68},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.volume << " " << c.systemValue << " " << c.dragRow);
        SimMixer local;
        TSliderForm form(local);
        form.ShowLevel(c.volume);
        const quint32 id = c.volume ? MixerTable::MasterVolumeId : MixerTable::MicrophoneLevelId;
        const quint32 other = c.volume ? MixerTable::MicrophoneLevelId : MixerTable::MasterVolumeId;
        if (c.systemValue >= 0) {
            local.changeControl(id, c.systemValue);
            deliver();
        } else {
            drag(form, c.dragRow);
        }
        EXPECT_EQ(local.values(id)[0], c.kept);
        EXPECT_EQ(local.values(other)[0], 65535);
        EXPECT_EQ(slider(form).Position(), c.position);
        EXPECT_EQ(slider(form).HolderRect().top(), qRound(c.position * 0.52));
        const QImage bar = form.LevelPicture();
        for (int y : {2, c.litFrom - 1, c.litFrom, 67})
            if (y >= 2 && y <= 67) {
                EXPECT_EQ(bar.pixel(5, y), y >= c.litFrom ? qRgb(0, 255, 0) : qRgb(128, 128, 128)) << y;
            }
        EXPECT_NE(bar.pixel(5, 1), qRgb(0, 255, 0)) << "above the cut-out the face covers the bar";
    }
}

} // namespace
