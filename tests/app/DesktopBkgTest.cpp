// The security shield: its layout, the parents' links, the refused window-manager close, the
// keyboard lock that follows it, and the cursor timer.
#include "app/fDesktopBkg.h"

#include "WindowTestSupport.h"

#include <QLabel>
#include <QScreen>
#include <QSignalSpy>

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
// The full-screen picture is decoded only when first shown: a start without the shield pays for none.
TEST_F(Shield, CoversThePrimaryScreenKeepsTheParentsColumnAtTheRightAndDecodesItsPictureOnce)
{
    EXPECT_EQ(shield.geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(label("imgBkg")->pixmap().isNull());
    shield.show();
    EXPECT_FALSE(label("imgBkg")->pixmap().isNull());
    EXPECT_FALSE(label("imgBkg")->autoFillBackground()) << "the picture was read, no plain colour stands in";
    const qint64 picture = label("imgBkg")->pixmap().cacheKey();
    shield.hide();
    shield.show();
    EXPECT_EQ(label("imgBkg")->pixmap().cacheKey(), picture)
        << "shown again, the picture is not decoded again";
    shield.resize(1024, 768);
    EXPECT_EQ(label("imgBkg")->geometry(), QRect(0, 0, 1024, 768));
    EXPECT_EQ(label("imgBkg")->pixmap().size(), QSize(1024, 768)) << "the picture is stretched anew";
    for (const char *name : {"LForParents", "LPressAndHold", "LClose", "LConfigure"})
        EXPECT_EQ(label(name)->x(), 845) << name;
    shield.resize(800, 600);
    EXPECT_EQ(label("LClose")->x(), 621);
    EXPECT_EQ(ParentsColumnLeft(100, 139), -79) << "no clamp at the left edge";
}

// Only a parent's Ctrl+left press on "Close Chirpel" ends it, not the window manager's close; the
// keyboard lock is on exactly while the shield shows.
TEST_F(Shield, OnlyAParentsCtrlLeftPressOnCloseChirpelEndsItAndTheKeyboardLockFollowsIt)
{
    QSignalSpy closed(&shield, &TDesktopWindow::closed);
    EXPECT_FALSE(kid.KeysLocked);
    shield.show();
    EXPECT_TRUE(kid.KeysLocked);
    shield.hide();
    EXPECT_FALSE(kid.KeysLocked);
    EXPECT_EQ(keys.releases, 1);
    shield.show();
    EXPECT_EQ(keys.captures, 2);
    EXPECT_FALSE(windowManagerClose(&shield));
    EXPECT_TRUE(shield.isVisible());
    const Press refused[] = {{"plain left", Qt::LeftButton, Qt::NoModifier},
                             {"Ctrl+right", Qt::RightButton, Qt::ControlModifier},
                             {"Ctrl+Shift+left", Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier},
                             {"Ctrl+Alt+left", Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier},
                             {"Shift+left", Qt::LeftButton, Qt::ShiftModifier}};
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
    EXPECT_FALSE(kid.KeysLocked);
    EXPECT_EQ(keys.releases, 2);
}

// "Configure the program" opens the options on any press, without the parents' test; the program
// icon and its label bring the voice-mail window back while it exists.
TEST_F(Shield, ConfigureOpensTheOptionsOnAnyPressAndTheProgramIconBringsTheWindowBack)
{
    auto *voiceMail = new QWidget;
    shield.SetVoiceMailForm(voiceMail);
    shield.show();
    QList<QWidget *> owners;
    shield.SetOnConfigure([&owners](QWidget *owner) { owners << owner; });
    QTest::mouseClick(label("LConfigure"), Qt::LeftButton);
    QTest::mouseClick(label("LConfigure"), Qt::RightButton, Qt::ControlModifier);
    EXPECT_EQ(owners, (QList<QWidget *>{&shield, &shield}));
    EXPECT_EQ(beeps(), 0);

    QTest::mouseClick(label("Image1"), Qt::RightButton);
    EXPECT_FALSE(voiceMail->isVisible());
    QTest::mouseClick(label("Image1"), Qt::LeftButton);
    EXPECT_TRUE(voiceMail->isVisible());
    voiceMail->hide();
    QTest::mouseClick(label("Label1"), Qt::LeftButton);
    EXPECT_TRUE(voiceMail->isVisible());
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
