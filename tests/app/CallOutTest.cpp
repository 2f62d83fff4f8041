// The tip bubble: where it lands, what it shows, and which presses and keys close it.
#include "app/fCallOut.h"

#include "settings/SettingsFakes.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

namespace {

// The program-wide services replaced by a fake for one test.
struct ScopedServices {
    FakeSystemServices fake;
    platform::SystemServices *previous = platform::setDefaultSystemServices(&fake);
    ~ScopedServices() { platform::setDefaultSystemServices(previous); }
    int beeps() const { return int(fake.calls.count(QStringLiteral("beep"))); }
};

QLabel *label(QWidget *form, const char *name)
{
    return form->findChild<QLabel *>(QString::fromLatin1(name));
}

QWidget *child(QWidget *form, const char *name)
{
    return form->findChild<QWidget *>(QString::fromLatin1(name));
}

// A press and release through the window, as the window system delivers it: the control under
// the point gets it.
void clickAt(QWidget *form, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    QTest::mousePress(form->windowHandle(), button, keys, pos);
    QTest::mouseRelease(form->windowHandle(), button, keys, pos);
}

// Alt+F4: the window manager asks the window to close. True when the window agreed.
bool windowManagerClose(QWidget *form)
{
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    qApp->notify(form, &close);
    return close.isAccepted();
}

// Inside the bubble's body, on the text.
const QPoint kOnText(100, 100);

struct Press {
    const char *name;
    Qt::MouseButton button;
    Qt::KeyboardModifiers keys;
    bool parents; // closes a modal bubble
};

const Press kPresses[] = {
    {"plain left", Qt::LeftButton, Qt::NoModifier, false},
    {"plain right", Qt::RightButton, Qt::NoModifier, false},
    {"Ctrl+right", Qt::RightButton, Qt::ControlModifier, false},
    {"Ctrl+Shift+left", Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, false},
    {"Ctrl+Alt+left", Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, false},
    {"Ctrl+middle", Qt::MiddleButton, Qt::ControlModifier, false},
    {"Ctrl+left", Qt::LeftButton, Qt::ControlModifier, true},
};

} // namespace

TEST(ParentsPress, OnlyCtrlWithTheLeftButtonAloneCounts)
{
    EXPECT_TRUE(IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier, false));
    EXPECT_TRUE(
        IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier | Qt::KeypadModifier, false));

    EXPECT_FALSE(IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, false));
    EXPECT_FALSE(IsParentsPress(Qt::RightButton, Qt::RightButton, Qt::ControlModifier, false));
    EXPECT_FALSE(
        IsParentsPress(Qt::LeftButton, Qt::LeftButton | Qt::RightButton, Qt::ControlModifier, false));
    EXPECT_FALSE(
        IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, false));
    EXPECT_FALSE(
        IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, false));
    EXPECT_FALSE(
        IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier | Qt::MetaModifier, false));
    EXPECT_FALSE(IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier, true));
}

TEST(CallOutPlacement, TheTailTipLandsOnTheGivenScreenPoint)
{
    ScopedServices services;
    ShowCallOut(QPoint(500, 400), QStringLiteral("Hello"), QStringLiteral("Hint for parents:"), false, false);
    ASSERT_NE(CallOutForm, nullptr);
    EXPECT_EQ(CallOutForm->pos(), QPoint(464, 182));
    EXPECT_EQ(CallOutForm->HotPoint(), QPoint(36, 218));

    ShowCallOut(QPoint(36, 218), QStringLiteral("Again"), QString(), false, false);
    EXPECT_EQ(CallOutForm->pos(), QPoint(0, 0));
    EXPECT_TRUE(CallOutForm->isVisible());
    CallOutForm->close();
}

TEST(CallOutPlacement, TheProgramKeepsOneBubbleForTheWholeRun)
{
    ScopedServices services;
    ShowCallOut(QPoint(300, 300), QStringLiteral("One"), QString(), false, false);
    TCallOutForm *first = CallOutForm;
    CallOutForm->close();
    ShowCallOut(QPoint(310, 310), QStringLiteral("Two"), QString(), false, false);
    EXPECT_EQ(CallOutForm, first);
    EXPECT_EQ(label(CallOutForm, "LText")->text(), QStringLiteral("Two"));
    CallOutForm->close();
}

TEST(CallOutContents, AnEmptyTitleKeepsThePreviousOne)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    EXPECT_EQ(label(&form, "LTitle")->text(), QStringLiteral("Parents' notification."));

    form.ShowCallOut(QPoint(400, 400), QStringLiteral("First"), QStringLiteral("Hint for parents:"), false,
                     false);
    form.ShowCallOut(QPoint(400, 400), QStringLiteral("Second"), QString(), false, false);
    EXPECT_EQ(label(&form, "LTitle")->text(), QStringLiteral("Hint for parents:"));
    EXPECT_EQ(label(&form, "LText")->text(), QStringLiteral("Second"));
    EXPECT_TRUE(label(&form, "LTitle")->isVisibleTo(&form));
}

TEST(CallOutContents, PictureModeShowsOnlyTheOkPictureButStillReplacesTheText)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    form.ShowCallOut(QPoint(400, 400), QString(), QString(), false, true);
    EXPECT_TRUE(child(&form, "imgOK")->isVisibleTo(&form));
    EXPECT_FALSE(label(&form, "LText")->isVisibleTo(&form));
    EXPECT_FALSE(label(&form, "LTitle")->isVisibleTo(&form));
    EXPECT_EQ(label(&form, "LText")->text(), QString());

    form.ShowCallOut(QPoint(400, 400), QStringLiteral("Back to words"), QString(), false, false);
    EXPECT_FALSE(child(&form, "imgOK")->isVisibleTo(&form));
    EXPECT_TRUE(label(&form, "LText")->isVisibleTo(&form));
}

TEST(CallOutContents, TheBubbleTakesItsOutlineWhenMade)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    ASSERT_FALSE(form.mask().isEmpty());
    EXPECT_TRUE(form.mask().contains(kOnText));
    // The corners around the rounded body are cut away.
    EXPECT_FALSE(form.mask().contains(QPoint(1, 1)));
    EXPECT_FALSE(form.mask().contains(QPoint(260, 230)));
}

TEST(NonModalCallOut, AnyPressClosesItWithoutABeep)
{
    for (const Press &press : kPresses) {
        SCOPED_TRACE(press.name);
        FakeSystemServices beeper;
        TCallOutForm form(nullptr, &beeper);
        form.ShowCallOut(QPoint(400, 400), QStringLiteral("Tip"), QString(), false, false);
        ASSERT_TRUE(form.isVisible());
        clickAt(&form, kOnText, press.button, press.keys);
        EXPECT_FALSE(form.isVisible());
        EXPECT_TRUE(beeper.calls.isEmpty());
    }
}

TEST(NonModalCallOut, PressesOnThePictureReachTheBubble)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    form.ShowCallOut(QPoint(400, 400), QString(), QString(), false, true);
    clickAt(&form, child(&form, "imgOK")->geometry().center(), Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(form.isVisible());
}

TEST(NonModalCallOut, EscClosesIt)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    form.ShowCallOut(QPoint(400, 400), QStringLiteral("Tip"), QString(), false, false);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(beeper.calls.isEmpty());
}

TEST(NonModalCallOut, TheWindowManagersCloseIsGranted)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    form.ShowCallOut(QPoint(400, 400), QStringLiteral("Tip"), QString(), false, false);
    EXPECT_TRUE(windowManagerClose(&form));
}

TEST(NonModalCallOut, ItGoesAwayWhenAnotherWindowBecomesActive)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    form.ShowCallOut(QPoint(400, 400), QStringLiteral("Tip"), QString(), false, false);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(beeper.calls.isEmpty());
}

TEST(ModalCallOut, OnlyAParentsCtrlClickEndsItAndEveryOtherPressBeeps)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    QStringList stillOpen;
    bool escLeftItOpen = false;

    QTimer parent;
    parent.setSingleShot(true);
    QObject::connect(&parent, &QTimer::timeout, [&] {
        for (const Press &press : kPresses) {
            if (press.parents) continue;
            clickAt(&form, kOnText, press.button, press.keys);
            if (form.isVisible()) stillOpen << QString::fromLatin1(press.name);
        }
        QTest::keyClick(&form, Qt::Key_Escape);
        escLeftItOpen = form.isVisible();
        clickAt(&form, kOnText, Qt::LeftButton, Qt::ControlModifier);
    });
    parent.start(0);
    // Should the bubble not close, the test fails instead of hanging.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &form, &QWidget::close);
    guard.start(5000);

    form.ShowCallOut(QPoint(400, 400), QStringLiteral("Ready to send"), QString(), true, false);

    EXPECT_TRUE(guard.isActive()) << "the Ctrl+click did not close the modal bubble";
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(stillOpen.size(), int(std::size(kPresses)) - 1) << stillOpen.join(", ").toStdString();
    EXPECT_EQ(beeper.calls.count(QStringLiteral("beep")), int(std::size(kPresses)) - 1);
    EXPECT_TRUE(escLeftItOpen);
}

TEST(ModalCallOut, ShowCallOutReturnsOnlyAfterTheBubbleClosed)
{
    ScopedServices services;
    bool visibleWhileWaiting = false;
    QTimer parent;
    parent.setSingleShot(true);
    QObject::connect(&parent, &QTimer::timeout, [&] {
        visibleWhileWaiting = CallOutForm && CallOutForm->isVisible() && CallOutForm->Modal();
        clickAt(CallOutForm, kOnText, Qt::LeftButton, Qt::ControlModifier);
    });
    parent.start(20);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (CallOutForm) CallOutForm->close();
    });
    guard.start(5000);

    ShowCallOut(QPoint(500, 400), QStringLiteral("Voice message is ready to be sent."), QString(), true,
                false);

    EXPECT_TRUE(visibleWhileWaiting);
    EXPECT_TRUE(guard.isActive());
    EXPECT_FALSE(CallOutForm->isVisible());
    EXPECT_EQ(services.beeps(), 0);
    // The next bubble is an ordinary one again.
    ShowCallOut(QPoint(500, 400), QStringLiteral("Tip"), QString(), false, false);
    EXPECT_FALSE(CallOutForm->Modal());
    clickAt(CallOutForm, kOnText, Qt::RightButton, Qt::NoModifier);
    EXPECT_FALSE(CallOutForm->isVisible());
}

TEST(ModalCallOut, TheWindowManagersCloseDoesNotEndTheWait)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    bool refused = false;
    bool stayed = false;
    QTimer step;
    step.setSingleShot(true);
    QObject::connect(&step, &QTimer::timeout, [&] {
        refused = !windowManagerClose(&form);
        stayed = form.isVisible();
        form.close();
    });
    step.start(0);
    form.ShowCallOut(QPoint(400, 400), QStringLiteral("Ready"), QString(), true, false);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(stayed);
}

TEST(ModalCallOut, ItStaysWhenAnotherWindowBecomesActive)
{
    FakeSystemServices beeper;
    TCallOutForm form(nullptr, &beeper);
    bool wasActive = false;
    bool otherActive = false;
    bool stayed = false;
    QWidget other;
    QTimer step;
    step.setSingleShot(true);
    QObject::connect(&step, &QTimer::timeout, [&] {
        wasActive = QTest::qWaitForWindowActive(&form);
        other.show();
        other.activateWindow();
        otherActive = QTest::qWaitForWindowActive(&other);
        stayed = form.isVisible();
        form.close();
    });
    step.start(0);
    form.ShowCallOut(QPoint(400, 400), QStringLiteral("Ready"), QString(), true, false);
    EXPECT_TRUE(wasActive);
    EXPECT_TRUE(otherActive);
    EXPECT_TRUE(stayed);
}
