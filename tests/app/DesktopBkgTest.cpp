// The security shield: layout, the parents' links, the refused close, the keyboard lock, the cursor timer.
#include "app/fDesktopBkg.h"
#include "controls/ScreenPicture.h"

#include "WindowTestSupport.h"

#include <QLabel>
#include <QPainter>
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
    // Stretched in bands of rows: the same pixels as one stretch of the whole.
    const QImage backdrop = ReadPicture(ArtPicturePath("backdrop"));
    QImage whole(1000, 700, QImage::Format_RGB32);
    QPainter painter(&whole);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(whole.rect(), backdrop);
    painter.end();
    EXPECT_EQ(FittedBackdrop(QSize(1000, 700)), whole);
    for (const char *name : {"LForParents", "LPressAndHold", "LClose", "LConfigure"})
        EXPECT_EQ(label(name)->x(), 845) << name;
}

// The keyboard lock is on exactly while the shield shows.
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
    int expectedBeeps = beeps();
    for (const Press &press : kChildPresses) {
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

// Any press opens the options; the icon and its label bring the voice-mail window back while it exists.
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
    ASSERT_TRUE(kid.CursorActive && cursors.AppCursor() == 0 && !shield.isVisible());
    EXPECT_TRUE(eventually([this] { return cursors.AppCursor() == crHandCursor; }));
    SuspendHandCursor(kid, true);
}
