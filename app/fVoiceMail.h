// TVoiceMailForm, the child's window: record, play and send buttons, the time read-out with its
// progress line, dragging of the shaped window, and the Parents' Menu behind a Ctrl+click.
#pragma once

#include "mail/SendCommand.h"
#include "platform/desktop/SystemServices.h"

#include <QEvent>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>

class QMenu;
class QAction;
class QTimer;
class TDesktopWindow;
class TRecorderForm;

namespace Ui {
class TVoiceMailForm;
}

// The window's private "start an action" message: posted by a picture button so that the action
// starts only after the click has been handled. Tag 0 records, 1 plays, 2 sends.
class TStartActionEvent final : public QEvent {
public:
    static constexpr QEvent::Type WM_STARTACTION = static_cast<QEvent::Type>(QEvent::User + 1);
    explicit TStartActionEvent(int tag) : QEvent(WM_STARTACTION), Tag(tag) {}
    const int Tag;
};

// Progress cells per second: a full line of 50 cells at the length limit, or one cell a second
// when there is no (usable) limit.
double RecordingScale(bool limitSize, int maxTimeSec);
// A full line at the end of the last recording, or one cell a second when its length is unknown.
double PlaybackScale(int durationSec);
// Cells lit after `elapsed` seconds: the nearest whole number, a half going to the even
// neighbour; beyond 50 the line shows empty again.
int ProgressCells(int elapsed, double scale);
// The 52-character line: "|", a "|" for each lit cell and "." for the others, "|".
QString ProgressLine(int cells);
// Where a dragged window of the given outline may go: not above or left of the screen, then not
// past its right or bottom edge.
QPoint ClampWindowPosition(QPoint wanted, QSize outline, QSize screen);

// Whether a release carries the parent's keys (IsParentsKeys) and no mouse button is still held.
bool IsCtrlOnlyRelease(Qt::KeyboardModifiers modifiers, Qt::MouseButtons stillDown);

class TVoiceMailForm : public QWidget {
    Q_OBJECT
public:
    using TShowCallOut = std::function<void(QPoint Point, const QString &Text, const QString &Title,
                                            bool Modal, bool PictureOnly)>;
    using TAdjustLevelEvent = std::function<void(bool Volume)>;
    using TWindowEvent = std::function<void(QWidget *Owner)>;

    enum class TMode { Idle, Recording, Playing };

    // services: where refused actions beep; null means the program-wide services of the moment.
    explicit TVoiceMailForm(QWidget *parent = nullptr, platform::SystemServices *services = nullptr);
    ~TVoiceMailForm() override;

    // The security shield that the Parents' Menu shows and hides, and that a close without the
    // shield ends the program through.
    void SetDesktopWindow(TDesktopWindow *window);

    // What the menu items open instead of the program's level window and options dialog.
    TAdjustLevelEvent OnAdjustLevel;
    TWindowEvent OnOptions;
    // How tips are shown (the program's bubble unless replaced).
    void SetShowCallOut(TShowCallOut handler) { FShowCallOut = std::move(handler); }
    // What sending packs, times and starts with (the real services unless replaced).
    void SetSendServices(TSendServices services) { FSend = std::move(services); }

    TRecorderForm *RecorderFrame() const;
    QMenu *PopupMenu() const { return FPopupMenu; }
    QAction *SecurityShieldItem() const { return FSecurityShield; }
    QTimer *Timer() const { return FTimer; }
    // The screen point every tip bubble of this window is anchored at.
    QPoint MonkeySpotPoint() const;

    TMode Mode() const;
    int Elapsed() const { return FElapsed; }
    double Scale() const { return FScale; }
    bool RecordMode() const { return FRecordMode; }
    int PageIndex() const;
    QString ProgressText() const;
    QString TimeText() const;
    QString StatusText() const;
    bool RedVisible() const;

    // Stores the elapsed seconds and redraws the progress line and the time read-out.
    void ShowProgress(int Seconds);

public slots:
    void cmdClose();
    void cmdStart();
    void cmdStop();
    void TimerTimer();
    void BookMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Pos);
    void BookMouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, QPoint Pos);
    void BookMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Pos);
    void btnMenuMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Pos);
    void miSecurityShieldClick();
    void cmdAdjustLevel();
    void miOptionsClick();

protected:
    void customEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void LayOutReadOut();
    void BuildPopupMenu();
    void WMStartAction(int Tag);
    void BeginRecording();
    void BeginPlayback();
    void RefuseStart();
    void CheckTimeLimit();
    void RecorderPlayEnd(QObject *Sender);
    void SendVoiceMessage();
    void PackMessage();
    bool LimitApplies() const;
    // The visible window: the outline's extent, whose top-left corner is the window's position.
    QSize OutlineSize() const;
    platform::SystemServices &System() const;

    std::unique_ptr<Ui::TVoiceMailForm> ui;
    QMenu *FPopupMenu = nullptr;
    QAction *FSecurityShield = nullptr;
    QTimer *FTimer = nullptr;
    QPointer<TDesktopWindow> FDesktopWindow;
    TShowCallOut FShowCallOut;
    platform::SystemServices *FSystem;
    TSendServices FSend = DefaultSendServices();

    QPoint FDrag;
    bool FDragging = false;
    bool FReadOutLaidOut = false;
    double FScale = 1.0;
    qint32 FElapsed = 0;
    bool FRecordMode = false;
};

// The program's voice-mail window, from start-up to the end of the program.
extern TVoiceMailForm *VoiceMailForm;
