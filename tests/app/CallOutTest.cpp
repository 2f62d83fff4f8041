// The tip bubble: where it lands, what it shows, and which presses and keys close it.
#include "app/fCallOut.h"

#include "WindowTestSupport.h"

#include <QTimer>
#include <QWindow>

#include <functional>

namespace {

// Inside the bubble's body, on the text.
const QPoint kOnText(100, 100);

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

class CallOut : public ::testing::Test {
protected:
    FakeSystemServices beeper;
    TCallOutForm form{nullptr, &beeper};

    void show(bool pictureOnly = false) { form.ShowCallOut({400, 400}, "Tip", {}, false, pictureOnly); }
};

} // namespace

TEST(ParentsTest, ExactlyCtrlCountsPressedWithTheLeftButtonAloneOrReleasedWithNoButtonHeld)
{
    // The plainer presses and keys are refused in the bubble's, the shield's and the menu button's tests.
    EXPECT_TRUE(IsParentsKeys(Qt::ControlModifier | Qt::KeypadModifier)) << "where a key sits is no key";
    EXPECT_FALSE(IsParentsKeys(Qt::ControlModifier | Qt::MetaModifier));
    EXPECT_FALSE(
        IsParentsPress(Qt::LeftButton, Qt::LeftButton | Qt::RightButton, Qt::ControlModifier, false));
    EXPECT_FALSE(IsParentsPress(Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier, true))
        << "a double click's second press";
    EXPECT_FALSE(IsCtrlOnlyRelease(Qt::ControlModifier, Qt::RightButton));
}

TEST(CallOutPlacement, TheProgramsOneBubbleLandsWithItsTailTipOnTheGivenScreenPoint)
{
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
    CallOutForm->close();
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
    show(true); // picture mode: only the OK picture
    EXPECT_FALSE(named(&form, "LText")->isVisibleTo(&form));
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
    // Not blocked by the modal bubble, as another program's window would be (the program's own are).
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
