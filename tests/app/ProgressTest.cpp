// The progress window: size without buttons, the disabled owner, the delayed show, one re-centred instance.
#include "app/fFakeProgress.h"

#include "WindowTestSupport.h"
#include "settings/vqUtils.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace {

// Every test leaves no progress window behind and the program-wide texts as they were.
class ProgressWindow : public ::testing::Test {
protected:
    void TearDown() override
    {
        HideProgressWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ProgressCaption = caption;
        ProgressPrompt = prompt;
    }
    static QPoint screenCentred(const QWidget *w)
    {
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        return CenteredPosition(QRect(QPoint(0, 0), screen), w->frameGeometry().size(), screen);
    }
    const QString caption = ProgressCaption, prompt = ProgressPrompt;
};

} // namespace

// Without a cancel handler the button row goes and the window is 92 pixels high; with one, its
// button calls the handler, which may free the window. The send button's test sees the caption.
TEST_F(ProgressWindow, TheCancelButtonShowsOnlyWithItsHandlerWhichMayFreeTheWindow)
{
    ProgressPrompt = QStringLiteral("Making the message smaller...");
    ShowProgressNow(nullptr, false);
    ASSERT_TRUE(ProgressShowing() && ProgressForm->isVisible());
    EXPECT_EQ(ProgressForm->height(), 92);
    EXPECT_FALSE(named<QPushButton>(ProgressForm, "btnCancel")->isVisibleTo(ProgressForm));
    EXPECT_EQ(named<QLabel>(ProgressForm, "LPrompt")->text(), ProgressPrompt);
    HideProgressWindow();
    QObject *sender = nullptr;
    ShowProgressWindow(nullptr, 0, false, [&sender](QObject *s) {
        sender = s;
        HideProgressWindow();
    });
    QPointer<TProgressForm> form = ProgressForm;
    auto *cancel = named<QPushButton>(form, "btnCancel");
    ASSERT_TRUE(cancel->isVisibleTo(form));
    EXPECT_TRUE(form->rect().contains(cancel->geometry()));
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(sender, form.data());
    EXPECT_FALSE(ProgressShowing());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

TEST_F(ProgressWindow, TheOwnerIsDisabledWhileItExistsAndTheWindowManagersCloseLeavesItOnScreen)
{
    QWidget owner;
    owner.setGeometry(100, 100, 400, 300);
    QPixmap red(32, 32);
    red.fill(Qt::red);
    owner.setWindowIcon(QIcon(red));
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    ShowProgressNow(&owner, true);
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(ProgressForm->isEnabled());
    ASSERT_NE(ProgressForm->windowHandle(), nullptr);
    EXPECT_EQ(ProgressForm->windowHandle()->transientParent(), owner.windowHandle());
    EXPECT_EQ(ProgressForm->OwnerForm(), &owner);
    EXPECT_EQ(named<QLabel>(ProgressForm, "imgIcon")->pixmap().toImage().pixelColor(16, 16), QColor(Qt::red))
        << "the owner's icon replaces the picture when asked for";
    // Centred over the owner's frame; placed before it is framed, so its centre moves by up to half
    // of what the frame adds.
    const QPoint offCentre = ProgressForm->frameGeometry().center() - owner.frameGeometry().center();
    const QSize frame = ProgressForm->frameGeometry().size() - ProgressForm->size();
    EXPECT_LE(offCentre.manhattanLength(), 8 + (frame.width() + frame.height() + 1) / 2);
    EXPECT_FALSE(windowManagerClose(ProgressForm));
    EXPECT_TRUE(ProgressForm->isVisible());
    EXPECT_FALSE(owner.isEnabled());
    HideProgressWindow();
    EXPECT_TRUE(owner.isEnabled());
    // Once more, with no window left: nothing happens.
    owner.setEnabled(false);
    HideProgressWindow();
    EXPECT_FALSE(owner.isEnabled());
    ShowProgressNow(&owner, false);
    EXPECT_NE(named<QLabel>(ProgressForm, "imgIcon")->pixmap().toImage().pixelColor(16, 16), QColor(Qt::red));
}

// Shown again while it exists: only centred again, with its texts and owner. Its own window, so that
// no placement by the window manager is still on its way.
TEST_F(ProgressWindow, AWindowThatExistsIsOnlyCentredAgainAndKeepsItsTextsAndOwner)
{
    QWidget owner;
    owner.show();
    ShowProgressNow(&owner, false);
    TProgressForm *first = ProgressForm;
    first->move(0, 0);
    ProgressCaption = QStringLiteral("Something else");
    ShowProgressNow(nullptr, false);
    EXPECT_EQ(ProgressForm, first);
    EXPECT_EQ(first->pos(), screenCentred(first));
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Processing In Progress"));
    EXPECT_EQ(first->OwnerForm(), &owner);
    HideProgressWindow();
}

TEST_F(ProgressWindow, ADelayedWindowIsPlacedAtOnceButShowsOnlyAfterTheDelayUnlessHiddenFirst)
{
    ShowProgressWindow(nullptr, 40, false, nullptr);
    QPointer<TProgressForm> form = ProgressForm;
    HideProgressWindow();
    EXPECT_FALSE(ProgressShowing());
    EXPECT_TRUE(form.isNull());
    QTest::qWait(120);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<TProgressForm *>(w) && w->isVisible());
    ShowProgressWindow(nullptr, 40, false, nullptr);
    ASSERT_TRUE(ProgressShowing());
    // Without an owner, centred on the screen before it shows, when its frame is not known yet.
    EXPECT_EQ(ProgressForm->pos(), screenCentred(ProgressForm));
    EXPECT_FALSE(ProgressForm->isVisible());
    EXPECT_TRUE(ProgressForm->DelayPending());
    EXPECT_TRUE(eventually([] { return ProgressForm && ProgressForm->isVisible(); }));
    EXPECT_FALSE(ProgressForm->DelayPending());
}
