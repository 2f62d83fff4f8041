// The progress window and its routines: delayed or immediate show, the disabled owner, freeing.
#include "app/fFakeProgress.h"

#include "settings/vqUtils.h"

#include "ui_fFakeProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>

QPointer<TProgressForm> ProgressForm;
QString ProgressCaption = QStringLiteral("Processing In Progress");
QString ProgressPrompt = QStringLiteral("Processing. Please wait... ");

TProgressForm::TProgressForm(QWidget *parentWnd)
    : TNonAppForm(parentWnd,
                  Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::ProgressForm>())
{
    ui->setupUi(this);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    // A dialog border: the size is the window's own.
    FFullHeight = height();
    setFixedSize(size());
    connect(&Timer, &QTimer::timeout, this, &TProgressForm::DelayedShow);
}

TProgressForm::~TProgressForm() = default;

void TProgressForm::SetOnCancel(TCancelEvent handler)
{
    FOnCancel = std::move(handler);
    const bool cancellable = bool(FOnCancel);
    ui->btnCancel->setVisible(cancellable);
    // The button row goes with the cancel button; the form's own height holds it.
    setFixedHeight(cancellable ? FFullHeight : ui->btnOK->y() - 1);
}

void TProgressForm::SetPrompt(const QString &text)
{
    ui->LPrompt->setText(text);
}

void TProgressForm::SetIcon(const QIcon &icon)
{
    ui->imgIcon->setPixmap(icon.pixmap(ui->imgIcon->size()));
}

void TProgressForm::StartDelayedShow(int delayMs)
{
    Timer.setInterval(delayMs);
    Timer.start();
}

void TProgressForm::ShowNow()
{
    Timer.stop();
    show();
    raise();
    activateWindow();
    // Painted before the caller starts its work and keeps the loop busy.
    QCoreApplication::processEvents();
}

void TProgressForm::DelayedShow()
{
    ShowNow();
}

void TProgressForm::closeEvent(QCloseEvent *event)
{
    // The window has no close box: the work it stands for goes on, and a window gone from the
    // screen would leave its owner disabled without a word. Only HideProgressWindow ends it.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    TNonAppForm::closeEvent(event);
}

void TProgressForm::btnCancelClick()
{
    if (!FOnCancel) return;
    FInCancel = true;
    const QPointer<TProgressForm> self(this);
    FOnCancel(this);
    if (self) FInCancel = false;
}

void ShowProgressWindow(QWidget *owner, int delayMs, bool useOwnerIcon, TProgressForm::TCancelEvent onCancel)
{
    if (ProgressForm) {
        ProgressForm->SetOnCancel(std::move(onCancel));
        CenterWindow(nullptr, ProgressForm);
        ProgressForm->ShowNow();
        return;
    }

    auto *form = new TProgressForm(owner);
    ProgressForm = form;
    form->SetOwnerForm(owner);
    if (useOwnerIcon && owner) {
        const QIcon icon = owner->window()->windowIcon();
        if (!icon.isNull()) form->SetIcon(icon);
    }
    if (owner) owner->setEnabled(false);
    form->setWindowTitle(ProgressCaption);
    form->SetPrompt(ProgressPrompt);
    form->SetOnCancel(std::move(onCancel));
    CenterWindow(owner, form);

    if (delayMs != 0)
        form->StartDelayedShow(delayMs);
    else
        form->ShowNow();
}

void ShowProgressNow(QWidget *owner, bool useOwnerIcon)
{
    ShowProgressWindow(owner, 0, useOwnerIcon, nullptr);
}

bool ProgressShowing()
{
    return !ProgressForm.isNull();
}

void HideProgressWindow()
{
    const QPointer<TProgressForm> form = ProgressForm;
    if (!form) return;
    ProgressForm = nullptr;
    form->Timer.stop();
    if (form->FOwnerForm) form->FOwnerForm->setEnabled(true);
    form->hide();
    QCoreApplication::processEvents();
    if (!form) return;
    // Freed from inside its own cancel handler, the window goes once that handler has returned.
    if (form->FInCancel)
        form->deleteLater();
    else
        delete form.data();
}
