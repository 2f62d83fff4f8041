// TProgressForm, the small waiting window shown while a message is being packed, and the
// routines that create, show and free the program's one instance.
#pragma once

#include "app/WndService.h"

#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace Ui {
class ProgressForm;
}

class TProgressForm : public TNonAppForm {
    Q_OBJECT
public:
    // Called with the progress window as sender when its cancel button is clicked.
    using TCancelEvent = std::function<void(QObject *Sender)>;

    // Owned by parentWnd (null: by no window), like TNonAppForm's CreateWithParent.
    explicit TProgressForm(QWidget *parentWnd);
    ~TProgressForm() override;

    // The window that is disabled while this one exists, or none.
    QWidget *OwnerForm() const { return FOwnerForm; }
    void SetOwnerForm(QWidget *owner) { FOwnerForm = owner; }

    // Shows the cancel button when a handler is given; without one the empty button row is cut
    // off (client height 92).
    void SetOnCancel(TCancelEvent handler);
    void SetPrompt(const QString &text);
    // Replaces the picture beside the prompt.
    void SetIcon(const QIcon &icon);

    // Shows the window after delayMs, unless it is freed first.
    void StartDelayedShow(int delayMs);
    // Shows it now (a waiting delayed show is dropped), in front, painted before the caller goes on.
    void ShowNow();
    // A delayed show is still waiting.
    bool DelayPending() const { return Timer.isActive(); }

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void btnCancelClick();
    void DelayedShow();

private:
    friend void HideProgressWindow();

    std::unique_ptr<Ui::ProgressForm> ui;
    QTimer Timer;
    QPointer<QWidget> FOwnerForm;
    TCancelEvent FOnCancel;
    int FFullHeight = 0;
    bool FInCancel = false;
};

// The program's one progress window, or none.
extern QPointer<TProgressForm> ProgressForm;
// Caption and prompt that a newly made progress window gets.
extern QString ProgressCaption;
extern QString ProgressPrompt;

// Makes and shows the progress window over owner (null: centred on the screen), disabling owner
// until HideProgressWindow; a window that exists already is only centred, given the cancel
// handler and brought to the front. With delayMs the window shows only after that delay.
void ShowProgressWindow(QWidget *owner, int delayMs, bool useOwnerIcon, TProgressForm::TCancelEvent onCancel);
// ShowProgressWindow at once and without a cancel button.
void ShowProgressNow(QWidget *owner, bool useOwnerIcon);
// Whether a progress window exists (also while a delayed show is still waiting).
bool ProgressShowing();
// Frees the progress window, if there is one, and enables its owner again.
void HideProgressWindow();
