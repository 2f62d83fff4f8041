// The tip bubble: placement on its hot point, the parents' press test, modal showing, SystemBeep.
#include "app/fCallOut.h"

#include "ui_fCallOut.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>

TCallOutForm *CallOutForm = nullptr;

void SystemBeep(platform::SystemServices &services)
{
    services.beep();
}

bool IsParentsKeys(Qt::KeyboardModifiers modifiers)
{
    // Flags such as the keypad's only say where a key sits; they are no key a child could hold.
    const Qt::KeyboardModifiers keys =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return keys == Qt::ControlModifier;
}

bool IsParentsPress(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                    bool doubleClick)
{
    return button == Qt::LeftButton && buttons == Qt::MouseButtons(Qt::LeftButton) &&
           IsParentsKeys(modifiers) && !doubleClick;
}

bool IsParentsPress(const QMouseEvent &event)
{
    return IsParentsPress(event.button(), event.buttons(), event.modifiers(),
                          event.type() == QEvent::MouseButtonDblClick);
}

QPoint CallOutPosition(QPoint screenPoint, QPoint hotPoint)
{
    return screenPoint - hotPoint;
}

namespace {

QFont PixelFont(const QString &family, int pixels, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

TCallOutForm::TCallOutForm(QWidget *parent, platform::SystemServices *services)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::CallOutForm>()), FServices(services)
{
    ui->setupUi(this);
    setFont(PixelFont(QStringLiteral("Comic Sans MS"), 13));
    ui->LTitle->setFont(PixelFont(QStringLiteral("Comic Sans MS"), 15, true));
    // The OK picture lies over the text labels and leaves every press to what is beneath it.
    ui->imgOK->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The press handler needs the whole press (held buttons, double click), not only the
    // button and keys that a control's mouse signal carries.
    for (QWidget *w : {static_cast<QWidget *>(ui->WinShape), static_cast<QWidget *>(ui->LText),
                       static_cast<QWidget *>(ui->LTitle)})
        w->installEventFilter(this);
    FormCreate();
}

TCallOutForm::~TCallOutForm() = default;

void TCallOutForm::FormCreate()
{
    ui->WinShape->setActive(true);
}

QPoint TCallOutForm::HotPoint() const
{
    return ui->shHotPoint->pos();
}

void TCallOutForm::ShowCallOut(QPoint point, const QString &text, const QString &title, bool modal,
                               bool pictureOnly)
{
    ui->LText->setVisible(!pictureOnly);
    ui->LTitle->setVisible(!pictureOnly);
    ui->imgOK->setVisible(pictureOnly);
    move(CallOutPosition(point, HotPoint()));
    if (!title.isEmpty()) ui->LTitle->setText(title);
    ui->LText->setText(text);
    FModal = modal;

    // A window takes a new modality only while hidden.
    const Qt::WindowModality modality = modal ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() != modality) {
        hide();
        setWindowModality(modality);
    }
    show();
    raise();
    activateWindow();

    if (modal) {
        QEventLoop loop;
        connect(this, &TCallOutForm::closed, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void TCallOutForm::keyPressEvent(QKeyEvent *event)
{
    FormShortCut(event);
    // The key stays unhandled.
    QWidget::keyPressEvent(event);
}

void TCallOutForm::FormShortCut(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !FModal) close();
}

void TCallOutForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) FormDeactivate();
}

void TCallOutForm::FormDeactivate()
{
    // A modal bubble stays until a parent closes it: hidden, it would leave the program waiting
    // behind it with every other window blocked and nothing on screen to click.
    if (isVisible() && !FModal) hide();
}

void TCallOutForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Only a real hide ends the bubble; a hide by the window system (another desktop) does not.
    if (!event->spontaneous()) emit closed();
}

void TCallOutForm::closeEvent(QCloseEvent *event)
{
    // The window manager's close (Alt+F4) would pass the parents' test: a modal bubble refuses
    // it, as it refuses Esc.
    if (event->spontaneous() && FModal) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool TCallOutForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        LTextMouseDown(static_cast<const QMouseEvent &>(*event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TCallOutForm::LTextMouseDown(const QMouseEvent &event)
{
    if (FModal && !IsParentsPress(event)) {
        SystemBeep(FServices ? *FServices : platform::defaultSystemServices());
        return;
    }
    close();
}

namespace {

void FreeCallOutForm()
{
    delete CallOutForm;
    CallOutForm = nullptr;
}

} // namespace

void ShowCallOut(QPoint point, const QString &text, const QString &title, bool modal, bool pictureOnly)
{
    if (!CallOutForm) {
        CallOutForm = new TCallOutForm;
        // Kept for the rest of the run and freed while the application object still exists.
        qAddPostRoutine(FreeCallOutForm);
    }
    CallOutForm->ShowCallOut(point, text, title, modal, pictureOnly);
}
