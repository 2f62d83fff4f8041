// The security shield: full-screen backdrop kept beneath every window, the parents' links, the
// keyboard lock while it shows and the timer that keeps the large hand cursor up to date.
#include "app/fDesktopBkg.h"

#include "app/Fonts.h"
#include "app/fCallOut.h"
#include "controls/ScreenPicture.h"
#include "settings/TolvyOptions.h"
#include "settings/fOptions.h"

#include "ui_fDesktopBkg.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <utility>

TDesktopWindow *DesktopWindow = nullptr;

int ParentsColumnLeft(int clientWidth, int columnWidth)
{
    return clientWidth - columnWidth - 40;
}

namespace {

constexpr int kBackdropBand = 48;

QImage DrawBackdrop(QSize size)
{
    const QImage picture = ReadPicture(QString::fromLatin1(kBackdropPicture));
    if (picture.isNull() || picture.size() == size) return picture;
    // Bilinear filtering straight into a picture of the screen's size: a fifth of the work of
    // the toolkit's smooth scaling.
    QImage fitted(size, QImage::Format_RGB32);
    QPainter painter(&fitted);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // In bands of rows: the toolkit hands a larger fill to its pool of threads, which would take
    // both processors from the windows being built meanwhile.
    for (int top = 0; top < size.height(); top += kBackdropBand) {
        painter.setClipRect(QRect(0, top, size.width(), kBackdropBand));
        painter.drawImage(fitted.rect(), picture);
    }
    return fitted;
}

QFont PixelFont(int pixels, bool underline = false)
{
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPixelSize(pixels);
    font.setUnderline(underline);
    return font;
}

} // namespace

QImage FittedBackdrop(QSize size)
{
    // Drawn once for the first size asked for, on whichever thread asks first.
    static const std::pair<QSize, QImage> first{size, DrawBackdrop(size)};
    return first.first == size ? first.second : DrawBackdrop(size);
}

TDesktopWindow::TDesktopWindow(TTolvyProperties *profile, platform::SystemServices *services)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint |
                           Qt::WindowDoesNotAcceptFocus),
      ui(std::make_unique<Ui::DesktopWindow>()), FProfile(profile), FServices(services)
{
    // The shield's labels are the first to need the fonts; a start with the shield reads the font
    // configuration ahead, which is waited for here rather than read a second time meanwhile.
    LoadFonts();
    ui->setupUi(this);
    // A screen picture: a PNG here would load every picture format the toolkit has first.
    ui->Image1->setPixmap(QPixmap::fromImage(ReadPicture(ArtPicturePath("icon"))));
    setFont(PixelFont(13));
    ui->Label1->setFont(PixelFont(16));
    ui->LForParents->setFont(PixelFont(21));
    ui->LClose->setFont(PixelFont(13, true));
    ui->LConfigure->setFont(PixelFont(13, true));

    // A window that takes the focus is raised by the window manager; the shield never takes it
    // and so stays beneath the windows it is meant to lie under.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The stretched picture paints every pixel: nothing is erased before it, so nothing flickers.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);

    for (QWidget *w : {ui->Image1, ui->Label1, ui->LClose, ui->LConfigure})
        w->installEventFilter(this);

    CursorTimer.setInterval(100);
    connect(&CursorTimer, &QTimer::timeout, this, &TDesktopWindow::CursorTimerTimer);
    CursorTimer.start();

    FormCreate();
}

TDesktopWindow::~TDesktopWindow() = default;

void TDesktopWindow::PrepareFonts()
{
    LoadFonts();
    // A font's fallbacks are looked up once per script: the common one of its height and the
    // Latin one of its words. Its engines are per thread and are made again where it is drawn.
    QFontMetrics(PixelFont(13)).boundingRect(QStringLiteral("Chirpel"));
}

void TDesktopWindow::PrepareText()
{
    for (QLabel *label : {ui->Label1, ui->LForParents, ui->LPressAndHold, ui->LClose, ui->LConfigure}) {
        // Opaque, as the window's own picture is, so that the glyphs are made in the same form.
        QImage scratch(label->size(), QImage::Format_RGB32);
        scratch.fill(Qt::white);
        label->render(&scratch, QPoint(), QRegion(), QWidget::DrawChildren);
    }
}

TTolvyProperties *TDesktopWindow::Profile() const
{
    return FProfile ? FProfile : TolvyProperties;
}

void TDesktopWindow::FormCreate()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    setGeometry(screen ? screen->geometry() : QRect(0, 0, width(), height()));
    FPlacement = geometry();
    FormResize();
    if (TTolvyProperties *profile = Profile(); profile && profile->CustCursor)
        UpdateHandCursor(*profile, QGuiApplication::mouseButtons());
}

void TDesktopWindow::FormResize()
{
    ui->imgBkg->setGeometry(rect());
    FitBackdrop();
    const int x = ParentsColumnLeft(width(), ui->LPressAndHold->width());
    for (QWidget *w : {ui->LClose, ui->LForParents, ui->LPressAndHold, ui->LConfigure})
        w->move(x, w->y());
}

void TDesktopWindow::FormShow()
{
    lower();
    if (TTolvyProperties *profile = Profile()) SetKeyboardLock(*profile, true);
}

void TDesktopWindow::FormHide()
{
    if (TTolvyProperties *profile = Profile()) SetKeyboardLock(*profile, false);
}

void TDesktopWindow::cmdVoiceMail()
{
    if (!FVoiceMailForm) return;
    FVoiceMailForm->show();
    FVoiceMailForm->raise();
    FVoiceMailForm->activateWindow();
}

void TDesktopWindow::LCloseMouseDown(const QMouseEvent &event)
{
    if (IsParentsPress(event))
        close();
    else
        SystemBeep(FServices ? *FServices : platform::defaultSystemServices());
}

void TDesktopWindow::LConfigureMouseDown()
{
    // The parents' options dialog, unless another opener was put in its place.
    if (FOnConfigure)
        FOnConfigure(this);
    else
        OpenOptionsDialog(this);
}

void TDesktopWindow::CursorTimerTimer()
{
    if (TTolvyProperties *profile = Profile()) UpdateHandCursor(*profile, QGuiApplication::mouseButtons());
}

void TDesktopWindow::LoadBackdrop()
{
    if (FBackdropWanted) return;
    FBackdropWanted = true;
    FitBackdrop();
    if (ui->imgBkg->pixmap().isNull()) {
        ui->imgBkg->setAutoFillBackground(true);
        ui->imgBkg->setStyleSheet(QStringLiteral("background: #9edcff;"));
    }
}

void TDesktopWindow::FitBackdrop()
{
    const QSize size = ui->imgBkg->size();
    if (!FBackdropWanted || ui->imgBkg->autoFillBackground() || ui->imgBkg->pixmap().size() == size) return;
    const QImage fitted = FittedBackdrop(size);
    if (!fitted.isNull()) ui->imgBkg->setPixmap(QPixmap::fromImage(fitted));
}

void TDesktopWindow::showEvent(QShowEvent *event)
{
    // The full-screen picture is stretched to the screen when the shield first shows, not at
    // every start: most starts never show it.
    LoadBackdrop();
    // Fitting the link to its text loads a face of its font, which a start without the shield
    // never shows.
    if (!FLinkFitted) {
        FLinkFitted = true;
        ui->LClose->adjustSize();
    }
    QWidget::showEvent(event);
    // A window that the window system maps again (another desktop) was never hidden by the
    // program: only the program's own show and hide move the lock.
    if (!event->spontaneous()) FormShow();
}

void TDesktopWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TDesktopWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
    if (!event->spontaneous())
        FPlacement.setSize(size());
    else if (size() != FPlacement.size())
        KeepCovering();
}

void TDesktopWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (!event->spontaneous())
        FPlacement.moveTopLeft(pos());
    else if (pos() != FPlacement.topLeft())
        KeepCovering();
}

void TDesktopWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && windowState() != Qt::WindowNoState) KeepCovering();
}

void TDesktopWindow::KeepCovering()
{
    if (FRestoring) return;
    FRestoring = true;
    // After the window manager has finished what it was doing.
    QTimer::singleShot(0, this, [this] {
        FRestoring = false;
        if (windowState() != Qt::WindowNoState) setWindowState(Qt::WindowNoState);
        if (geometry() != FPlacement) setGeometry(FPlacement);
        if (isVisible()) lower();
    });
}

void TDesktopWindow::closeEvent(QCloseEvent *event)
{
    // The window manager's close (Alt+F4, a close button of a task bar) is refused like every
    // other command of the window system; only the program closes the shield.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    emit closed();
}

bool TDesktopWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (watched == ui->LClose && press) {
        LCloseMouseDown(static_cast<const QMouseEvent &>(*event));
        return true;
    }
    if (watched == ui->LConfigure && press) {
        LConfigureMouseDown();
        return true;
    }
    const bool programIcon = watched == ui->Image1 || watched == ui->Label1;
    // Taking the press makes the release come back to the same control.
    if (programIcon && press) return true;
    if (programIcon && type == QEvent::MouseButtonRelease) {
        // A click: the left button let go over the control it was pressed on.
        const auto &release = static_cast<const QMouseEvent &>(*event);
        const auto *control = static_cast<QWidget *>(watched);
        if (release.button() == Qt::LeftButton && control->rect().contains(release.position().toPoint()))
            cmdVoiceMail();
    }
    return QWidget::eventFilter(watched, event);
}
