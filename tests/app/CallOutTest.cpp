// The tip bubble: where it lands, what it shows, and which presses and keys close it.
#include "app/fCallOut.h"

#include "WindowTestSupport.h"

#include <QLabel>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace {

// Inside the bubble's body, on the text.
const QPoint kOnText(100, 100);

// Every press but a parent's Ctrl+left.
const Press kChildPresses[] = {
    {"plain left", Qt::LeftButton, Qt::NoModifier},
    {"plain right", Qt::RightButton, Qt::NoModifier},
    {"Ctrl+right", Qt::RightButton, Qt::ControlModifier},
    {"Ctrl+Shift+left", Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier},
    {"Ctrl+Alt+left", Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier},
    {"Ctrl+middle", Qt::MiddleButton, Qt::ControlModifier},
};

// A press and release as the window system delivers it: the control under the point gets it.
void clickAt(QWidget *form, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    QTest::mousePress(form->windowHandle(), button, keys, pos);
    QTest::mouseRelease(form->windowHandle(), button, keys, pos);
}

// Runs `step` `delayMs` after `show` starts waiting for its modal bubble; a bubble still open after five
// seconds is closed and false returned, so the test fails rather than hangs.
bool whileModal(const std::function<void()> &show, const std::function<void()> &step, int delayMs = 0)
{
    QTimer::singleShot(delayMs, step);
    bool closedInTime = true;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&closedInTime] {
        closedInTime = false;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<TCallOutForm *>(w)) w->close();
    });
    guard.start(5000);
    show();
    return closedInTime;
}

struct ScopedServices {
    FakeSystemServices fake;
    platform::SystemServices *previous = platform::setDefaultSystemServices(&fake);
    ~ScopedServices() { platform::setDefaultSystemServices(previous); }
};

class CallOut : public ::testing::Test {
protected:
    FakeSystemServices beeper;
    TCallOutForm form{nullptr, &beeper};

    void show(const QString &text = QStringLiteral("Tip"), const QString &title = QString(),
              bool pictureOnly = false)
    {
        form.ShowCallOut(QPoint(400, 400), text, title, false, pictureOnly);
    }
    QLabel *label(const char *name) { return named<QLabel>(&form, name); }
};

} // namespace

TEST(ParentsTest, ExactlyCtrlCountsPressedWithTheLeftButtonAloneOrReleasedWithNoButtonHeld)
{
    EXPECT_TRUE(IsParentsKeys(Qt::ControlModifier | Qt::KeypadModifier)) << "where a key sits is no key";
    for (Qt::KeyboardModifiers keys :
         {Qt::KeyboardModifiers(), Qt::ControlModifier | Qt::ShiftModifier,
          Qt::ControlModifier | Qt::AltModifier, Qt::ControlModifier | Qt::MetaModifier,
          Qt::KeyboardModifiers(Qt::AltModifier)})
        EXPECT_FALSE(IsParentsKeys(keys)) << int(keys);
    EXPECT_TRUE(IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier, false));
    EXPECT_FALSE(IsParentsPress(Qt::RightButton, Qt::RightButton, Qt::ControlModifier, false));
    EXPECT_FALSE(
        IsParentsPress(Qt::LeftButton, Qt::LeftButton | Qt::RightButton, Qt::ControlModifier, false));
    EXPECT_FALSE(IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier, true))
        << "a double click's second press";
    // A release is the parent's with no button still held.
    EXPECT_TRUE(IsCtrlOnlyRelease(Qt::ControlModifier, Qt::NoButton));
    EXPECT_FALSE(IsCtrlOnlyRelease(Qt::ShiftModifier, Qt::NoButton));
    EXPECT_FALSE(IsCtrlOnlyRelease(Qt::ControlModifier, Qt::RightButton));
}

TEST(CallOutPlacement, TheProgramsOneBubbleLandsWithItsTailTipOnTheGivenScreenPoint)
{
    ScopedServices services;
    ShowCallOut(QPoint(500, 400), QStringLiteral("Hello"), QStringLiteral("Hint for parents:"), false, false);
    ASSERT_NE(CallOutForm, nullptr);
    EXPECT_EQ(CallOutForm->pos(), QPoint(464, 182));
    EXPECT_EQ(CallOutForm->HotPoint(), QPoint(36, 218));
    TCallOutForm *first = CallOutForm;
    CallOutForm->close();
    ShowCallOut(QPoint(36, 218), QStringLiteral("Again"), QString(), false, false);
    EXPECT_EQ(CallOutForm, first) << "the program keeps one bubble for the whole run";
    EXPECT_EQ(CallOutForm->pos(), QPoint(0, 0));
    EXPECT_TRUE(CallOutForm->isVisible());
    EXPECT_EQ(named<QLabel>(CallOutForm, "LText")->text(), QStringLiteral("Again"));
    CallOutForm->close();
}

// An empty title keeps the previous one; picture mode shows only the OK picture but still replaces the text.
TEST_F(CallOut, AnEmptyTitleKeepsThePreviousOneAndPictureModeShowsOnlyTheOkPicture)
{
    show(QStringLiteral("First"), QStringLiteral("Hint for parents:"));
    show(QStringLiteral("Second"));
    EXPECT_EQ(label("LTitle")->text(), QStringLiteral("Hint for parents:"));
    EXPECT_EQ(label("LText")->text(), QStringLiteral("Second"));
    EXPECT_TRUE(label("LTitle")->isVisibleTo(&form));
    show(QString(), QString(), true);
    EXPECT_TRUE(named(&form, "imgOK")->isVisibleTo(&form));
    EXPECT_FALSE(label("LText")->isVisibleTo(&form) || label("LTitle")->isVisibleTo(&form));
    EXPECT_EQ(label("LText")->text(), QString());
    show(QStringLiteral("Back to words"));
    EXPECT_FALSE(named(&form, "imgOK")->isVisibleTo(&form));
    EXPECT_TRUE(label("LText")->isVisibleTo(&form));
}

TEST_F(CallOut, NonModalAnyPressEscTheWindowManagerOrAnotherActiveWindowClosesItWithoutABeep)
{
    for (const Press &press : kChildPresses) {
        SCOPED_TRACE(press.name);
        show();
        ASSERT_TRUE(form.isVisible());
        clickAt(&form, kOnText, press.button, press.keys);
        EXPECT_FALSE(form.isVisible());
    }
    show(QString(), QString(), true);
    clickAt(&form, named(&form, "imgOK")->geometry().center(), Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(form.isVisible());
    show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    show();
    EXPECT_TRUE(windowManagerClose(&form));
    show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(beeper.calls.isEmpty());
}

TEST_F(CallOut, ModalOnlyAParentsCtrlClickEndsTheWaitAndEveryOtherPressBeeps)
{
    QStringList closedBy;
    bool escClosed = true, windowManagerClosed = true, activeInTurn = false, leftWhenInactive = true;
    // A window the modal bubble does not block, as another program's window would be; on a real desktop the
    // bubble keeps every other window of the program from being activated.
    QWidget other;
    other.setWindowModality(Qt::ApplicationModal);
    const bool endedInTime =
        whileModal([this] { form.ShowCallOut(QPoint(400, 400), "Ready", QString(), true, false); },
                   [&] {
                       activeInTurn = QTest::qWaitForWindowActive(&form);
                       for (const Press &press : kChildPresses) {
                           clickAt(&form, kOnText, press.button, press.keys);
                           if (!form.isVisible()) closedBy << QString::fromLatin1(press.name);
                       }
                       QTest::keyClick(&form, Qt::Key_Escape);
                       escClosed = !form.isVisible();
                       windowManagerClosed = windowManagerClose(&form) || !form.isVisible();
                       other.show();
                       other.activateWindow();
                       activeInTurn = activeInTurn && QTest::qWaitForWindowActive(&other);
                       leftWhenInactive = !form.isVisible();
                       other.hide();
                       clickAt(&form, kOnText, Qt::LeftButton, Qt::ControlModifier);
                   });
    EXPECT_TRUE(endedInTime) << "the Ctrl+click did not close the modal bubble";
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(closedBy.isEmpty()) << closedBy.join(", ").toStdString();
    EXPECT_EQ(beeper.calls.count(QStringLiteral("beep")), int(std::size(kChildPresses)));
    EXPECT_FALSE(escClosed || windowManagerClosed);
    EXPECT_TRUE(activeInTurn) << "the bubble, then the other window, should have been active";
    EXPECT_FALSE(leftWhenInactive) << "another window's activation does not end the wait";
    show(); // the next is ordinary again
    EXPECT_FALSE(form.Modal());
    clickAt(&form, kOnText, Qt::RightButton, Qt::NoModifier);
    EXPECT_FALSE(form.isVisible());
}
