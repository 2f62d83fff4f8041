// The security shield: its layout, the parents' links, the refused window-manager close, the
// keyboard lock that follows it, and the cursor timer.
#include "app/fDesktopBkg.h"

#include "WindowTestSupport.h"
#include "settings/SettingsFakes.h"
#include "settings/TolvyOptions.h"

#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class Shield : public ::testing::Test {
protected:
    TempRegistry reg;
    FakeKeyCapture keys;
    TCursorTable cursors;
    TTolvyProperties kid{reg.store, keys, cursors};
    FakeSystemServices beeper;
    TDesktopWindow shield{&kid, &beeper};

    QLabel *label(const char *name) { return named<QLabel>(&shield, name); }
    int beeps() const { return int(beeper.calls.count(QStringLiteral("beep"))); }
};

} // namespace

// Its place beneath the other windows without taking the focus is shown by e2e/parents_test.sh.
TEST_F(Shield, CoversThePrimaryScreenAndKeepsTheParentsColumn40PixelsFromTheRightEdge)
{
    EXPECT_EQ(shield.geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_FALSE(shield.isVisible());
    shield.show();
    shield.resize(1024, 768);
    EXPECT_EQ(label("imgBkg")->geometry(), QRect(0, 0, 1024, 768));
    for (const char *name : {"LForParents", "LPressAndHold", "LClose", "LConfigure"})
        EXPECT_EQ(label(name)->x(), 845) << name;
    shield.resize(800, 600);
    EXPECT_EQ(label("LClose")->x(), 621);
    EXPECT_EQ(ParentsColumnLeft(100, 139), -79) << "no clamp at the left edge";
}

TEST_F(Shield, DecodesItsFullScreenPictureOnlyWhenFirstShown)
{
    EXPECT_TRUE(label("imgBkg")->pixmap().isNull()) << "a start without the shield pays for no backdrop";
    shield.show();
    EXPECT_FALSE(label("imgBkg")->pixmap().isNull());
    EXPECT_FALSE(label("imgBkg")->autoFillBackground()) << "the picture was read, no plain colour stands in";
    const qint64 picture = label("imgBkg")->pixmap().cacheKey();
    shield.hide();
    shield.show();
    EXPECT_EQ(label("imgBkg")->pixmap().cacheKey(), picture)
        << "shown again, the picture is not decoded again";
}

TEST_F(Shield, OnlyAParentsCtrlLeftPressOnCloseChirpelEndsItNotTheWindowManagersClose)
{
    const Press refused[] = {
        {"plain left", Qt::LeftButton, Qt::NoModifier},
        {"Ctrl+right", Qt::RightButton, Qt::ControlModifier},
        {"Ctrl+Shift+left", Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier},
        {"Ctrl+Alt+left", Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier},
        {"Shift+left", Qt::LeftButton, Qt::ShiftModifier},
    };
    QSignalSpy closed(&shield, &TDesktopWindow::closed);
    shield.show();
    EXPECT_FALSE(windowManagerClose(&shield));
    EXPECT_TRUE(shield.isVisible());
    int expectedBeeps = beeps();
    for (const Press &press : refused) {
        SCOPED_TRACE(press.name);
        QTest::mouseClick(label("LClose"), press.button, press.keys);
        EXPECT_EQ(beeps(), ++expectedBeeps);
        EXPECT_TRUE(shield.isVisible());
        EXPECT_EQ(closed.count(), 0);
    }

    QTest::mouseClick(label("LClose"), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(shield.isVisible());
    EXPECT_EQ(beeps(), expectedBeeps);
}

TEST_F(Shield, TheKeyboardLockIsOnExactlyWhileTheShieldShowsUntilTheProgramClosesIt)
{
    QSignalSpy closed(&shield, &TDesktopWindow::closed);
    EXPECT_FALSE(kid.KeysLocked);
    shield.show();
    EXPECT_TRUE(kid.KeysLocked);
    EXPECT_EQ(keys.captures, 1);

    shield.hide();
    EXPECT_FALSE(kid.KeysLocked);
    EXPECT_EQ(keys.releases, 1);

    shield.show();
    EXPECT_EQ(keys.captures, 2);
    EXPECT_TRUE(shield.close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(kid.KeysLocked);
    EXPECT_EQ(keys.releases, 2);
}

TEST_F(Shield, ConfigureOpensTheOptionsOnAnyPressWithoutAParentsTest)
{
    shield.show();
    QList<QWidget *> owners;
    shield.SetOnConfigure([&owners](QWidget *owner) { owners << owner; });
    QTest::mouseClick(label("LConfigure"), Qt::LeftButton);
    QTest::mouseClick(label("LConfigure"), Qt::RightButton, Qt::ControlModifier);
    EXPECT_EQ(owners, (QList<QWidget *>{&shield, &shield}));
    EXPECT_EQ(beeps(), 0);
}

TEST_F(Shield, TheProgramIconAndItsLabelBringTheVoiceMailWindowBack)
{
    auto *voiceMail = new QWidget;
    shield.SetVoiceMailForm(voiceMail);
    shield.show();

    QTest::mouseClick(label("Image1"), Qt::RightButton);
    EXPECT_FALSE(voiceMail->isVisible());
    QTest::mouseClick(label("Image1"), Qt::LeftButton);
    EXPECT_TRUE(voiceMail->isVisible());

    voiceMail->hide();
    QTest::mouseClick(label("Label1"), Qt::LeftButton);
    EXPECT_TRUE(voiceMail->isVisible());

    // Once the window is gone the icon has nothing to show.
    delete voiceMail;
    QTest::mouseClick(label("Image1"), Qt::LeftButton);
    EXPECT_TRUE(shield.isVisible());
}

TEST_F(Shield, TheCursorTimerKeepsTheLargeHandUpToDateEvenWhileHidden)
{
    kid.CustCursor = true;
    SuspendHandCursor(kid, false);
    ASSERT_TRUE(kid.CursorActive);
    ASSERT_EQ(cursors.AppCursor(), 0);
    ASSERT_FALSE(shield.isVisible());

    EXPECT_TRUE(eventually([this] { return cursors.AppCursor() != 0; }));
    EXPECT_EQ(cursors.AppCursor(), int(crHandCursor));
    SuspendHandCursor(kid, true);
}
