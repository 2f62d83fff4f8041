// TDesktopWindow, the security shield: a full-screen backdrop beneath every other window that
// hides the desktop, brings the voice-mail window back and holds the parents' links.
#pragma once

#include "platform/desktop/SystemServices.h"

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QMouseEvent;
class TTolvyProperties;

namespace Ui {
class DesktopWindow;
}

// The backdrop picture stretched to `size`; null when it cannot be read. Thread-safe: a start
// with the shield draws it for the screen on another thread while the windows are built.
QImage FittedBackdrop(QSize size);

// Left edge of the parents' column: the column's width and 40 pixels away from the right edge.
int ParentsColumnLeft(int clientWidth, int columnWidth);

class TDesktopWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the parents' options dialog centred over Owner.
    using TConfigureEvent = std::function<void(QWidget *Owner)>;

    // profile: the kid profile whose keyboard lock and hand cursor the window drives; services:
    // where refused presses beep. Null means the program-wide ones of the moment.
    explicit TDesktopWindow(TTolvyProperties *profile = nullptr,
                            platform::SystemServices *services = nullptr);
    ~TDesktopWindow() override;

    // Reads the font list and lays out a word in the shield's face, which fills the toolkit's
    // caches that all threads share (the font list, the face's fallbacks): a start with the shield
    // does this on another thread while the windows are built. Safe on any thread once the
    // application object exists.
    static void PrepareFonts();
    // Draws the labels' words once off the screen, which makes this thread's engines of their
    // faces and their glyphs: a start with the shield does this while the window system puts the
    // shield on the screen, instead of in its first paint.
    void PrepareText();

    // The window that the program icon and its label show again.
    void SetVoiceMailForm(QWidget *form) { FVoiceMailForm = form; }
    // What "Configure the program" opens; unset, the parents' options dialog.
    void SetOnConfigure(TConfigureEvent handler) { FOnConfigure = std::move(handler); }

signals:
    // The window was closed by the program itself (close(), or a parent's Ctrl+click on "Close
    // Chirpel"): the program is to end. A close asked for by the window manager (Alt+F4) is
    // refused and never gets here.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormHide();
    void FormResize();
    void cmdVoiceMail();
    void LCloseMouseDown(const QMouseEvent &event);
    void LConfigureMouseDown();
    void CursorTimerTimer();
    // The backdrop picture, or a plain sky colour when it cannot be read.
    void LoadBackdrop();
    // Shows the backdrop picture stretched to the window, drawn anew only when the size changed.
    void FitBackdrop();

    TTolvyProperties *Profile() const;
    // Puts the window back where the program placed it after the window manager moved, sized,
    // minimised or maximised it.
    void KeepCovering();

    std::unique_ptr<Ui::DesktopWindow> ui;
    QTimer CursorTimer;
    TTolvyProperties *FProfile;
    platform::SystemServices *FServices;
    QPointer<QWidget> FVoiceMailForm;
    TConfigureEvent FOnConfigure;
    QRect FPlacement;
    // The backdrop is shown from the first show on.
    bool FBackdropWanted = false;
    bool FRestoring = false;
    bool FLinkFitted = false;
};

// The program's backdrop: made first at start-up, it is the window whose closing ends the program.
extern TDesktopWindow *DesktopWindow;

// The shield's full-screen picture.
inline constexpr char kBackdropPicture[] = ":/chirpel/art/backdrop.rgb32";
