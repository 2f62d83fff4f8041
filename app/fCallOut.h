// TCallOutForm, the tip bubble shown with its tail on a screen point; ShowCallOut and SystemBeep.
#pragma once

#include "platform/desktop/SystemServices.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>

class QMouseEvent;

namespace Ui {
class CallOutForm;
}

// The system's default beep, sounded for every refused action.
void SystemBeep(platform::SystemServices &services = platform::defaultSystemServices());

// Whether the keys held are a parent's: exactly Ctrl, that is no Shift, Alt or Meta with it.
bool IsParentsKeys(Qt::KeyboardModifiers modifiers);
// Whether a press is a parent's: the parent's keys with the left button, no other button held,
// and not the second press of a double click.
bool IsParentsPress(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                    bool doubleClick);
bool IsParentsPress(const QMouseEvent &event);

// Where a window goes so that its point `hotPoint` (window coordinates) lies on `screenPoint`.
QPoint CallOutPosition(QPoint screenPoint, QPoint hotPoint);

class TCallOutForm : public QWidget {
    Q_OBJECT
public:
    // services: where refused presses beep; null means the program-wide services of the moment.
    explicit TCallOutForm(QWidget *parent = nullptr, platform::SystemServices *services = nullptr);
    ~TCallOutForm() override;

    // Fills the bubble and shows it with its hot point on `point` (screen coordinates). An empty
    // title keeps the previous one. Modal: returns only when the bubble has been closed, which
    // takes a parent's Ctrl+left press; otherwise returns at once, and a bubble already showing
    // is moved and refilled.
    void ShowCallOut(QPoint point, const QString &text, const QString &title, bool modal, bool pictureOnly);

    // The bubble was last shown modally.
    bool Modal() const { return FModal; }
    // The tip of the tail, in window coordinates.
    QPoint HotPoint() const;

signals:
    // The bubble went away (a press, Esc, deactivation or a close by the program).
    void closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormDeactivate();
    void FormShortCut(QKeyEvent *event);
    void LTextMouseDown(const QMouseEvent &event);

    std::unique_ptr<Ui::CallOutForm> ui;
    platform::SystemServices *FServices;
    bool FModal = false;
};

// The program's one bubble: none until the first ShowCallOut, then kept until the program ends.
extern TCallOutForm *CallOutForm;

// Shows the program's bubble, making it on first use (see TCallOutForm::ShowCallOut).
void ShowCallOut(QPoint point, const QString &text, const QString &title, bool modal, bool pictureOnly);
