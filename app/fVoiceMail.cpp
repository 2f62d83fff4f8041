// TVoiceMailForm, the child's window: record, play and send buttons, the time read-out with its
// progress line, dragging of the shaped window, and the Parents' Menu behind a Ctrl+click.
#include "app/fVoiceMail.h"

#include "app/fCallOut.h"
#include "app/fDesktopBkg.h"
#include "app/fFakeProgress.h"
#include "settings/TolvyOptions.h"
#include "settings/fOptions.h"
#include "settings/vqUtils.h"
#include "sound/fRecord.h"
#include "sound/fSlider.h"
#include "strings/VoiceMailMLS.h"
#include "ui_fVoiceMail.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QTimer>
#include <QWidgetAction>
#include <QtMath>

#include <algorithm>
#include <cmath>

TVoiceMailForm *VoiceMailForm = nullptr;

double RecordingScale(bool limitSize, int maxTimeSec)
{
    // A limit of 0 or less cannot be reached by counting up: it means no limit.
    return limitSize && maxTimeSec > 0 ? 50.0 / maxTimeSec : 1.0;
}

double PlaybackScale(int durationSec)
{
    return durationSec > 0 ? 50.0 / durationSec : 1.0;
}

int ProgressCells(int elapsed, double scale)
{
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double exact = std::nearbyint(elapsed * scale);
    if (!(exact <= 50.0) || exact < 0.0) return 0;
    return static_cast<int>(exact);
}

QString ProgressLine(int cells)
{
    QString line(52, QLatin1Char('.'));
    line[0] = QLatin1Char('|');
    line[51] = QLatin1Char('|');
    for (int i = 1; i <= 50 && i <= cells; ++i)
        line[i] = QLatin1Char('|');
    return line;
}

QPoint ClampWindowPosition(QPoint wanted, QSize outline, QSize screen)
{
    int left = std::max(wanted.x(), 0);
    int top = std::max(wanted.y(), 0);
    if (left + outline.width() > screen.width()) left = screen.width() - outline.width();
    if (top + outline.height() > screen.height()) top = screen.height() - outline.height();
    return {left, top};
}

bool IsCtrlOnlyRelease(Qt::KeyboardModifiers modifiers, Qt::MouseButtons stillDown)
{
    return IsParentsKeys(modifiers) && stillDown == Qt::NoButton;
}

namespace {

// The screen assumed when the system names none (no screen attached yet).
const QSize kFallbackScreenSize(1024, 768);

const QColor kMenuHeaderColor(100, 143, 176);

// The Parents' Menu's header: a coloured band with an etched line along its bottom and the title
// in white bold. It is drawn the same whether or not the pointer is over it.
class TMenuHeader final : public QWidget {
public:
    explicit TMenuHeader(QWidget *parent) : QWidget(parent)
    {
        QFont bold = font();
        bold.setBold(true);
        setFont(bold);
    }
    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        return {metrics.horizontalAdvance(Title()) + 24, metrics.height() + 6};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter canvas(this);
        QRect item = rect();
        canvas.fillRect(item, kMenuHeaderColor);
        // The etched edge: a dark line over a light one on the top of the bottom two pixels.
        item.setTop(item.bottom() - 1);
        canvas.setPen(palette().color(QPalette::Dark));
        canvas.drawLine(item.left(), item.top(), item.right(), item.top());
        canvas.setPen(palette().color(QPalette::Light));
        canvas.drawLine(item.left(), item.top() + 1, item.right(), item.top() + 1);
        canvas.setPen(Qt::white);
        canvas.drawText(QPoint(0, 2 + QFontMetrics(font()).ascent()), Title());
    }

private:
    static QString Title() { return QStringLiteral("  Parents' Menu:"); }
};

// Tooltips come up after a tenth of a second, quick enough for a parent exploring the window.
class TQuickHintStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay) return 100;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QFont PixelFont(const QString &family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Gives every character of the label the same advance, so that a line of cells fills the
// label's width exactly as laid out. The face's characters are wider than a cell and draw in the
// middle of their own advance: the label grows by that overhang on both sides, so that each
// character stays centred on its cell and the last one is not cut off at the label's edge.
void SetCharacterPitch(QLabel *label, const QString &sample, int pitch)
{
    QFont font = label->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    // The advance in fractions of a pixel: a rounded one would let the cells drift along the line.
    const qreal advance = QFontMetricsF(font).horizontalAdvance(sample);
    font.setLetterSpacing(QFont::AbsoluteSpacing, pitch - advance);
    label->setFont(font);
    const qreal overhang = std::max<qreal>(0, advance - pitch);
    const QRect cells = label->geometry();
    label->setGeometry(cells.x() - qRound(overhang / 2), cells.y(), cells.width() + qCeil(overhang),
                       cells.height());
}

} // namespace

TVoiceMailForm::TVoiceMailForm(QWidget *parent, platform::SystemServices *services)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), ui(new Ui::TVoiceMailForm),
      FSystem(services)
{
    ui->setupUi(this);
    // The outline's picture paints every pixel the window's shape lets through; the window's own
    // background, all of it beyond the shape, is not drawn (at the first paint, 1.5 MB of memory
    // written and mapped a page at a time for nothing).
    setAttribute(Qt::WA_OpaquePaintEvent);
    FTimer = new QTimer(this);
    FTimer->setInterval(1000);
    connect(FTimer, &QTimer::timeout, this, &TVoiceMailForm::TimerTimer);
    FShowCallOut = [](QPoint point, const QString &text, const QString &title, bool modal, bool pictureOnly) {
        ::ShowCallOut(point, text, title, modal, pictureOnly);
    };
    BuildPopupMenu();
    FormCreate();
}

TVoiceMailForm::~TVoiceMailForm()
{
    if (VoiceMailForm == this) VoiceMailForm = nullptr;
}

void TVoiceMailForm::FormCreate()
{
    VolumeCaption = QStringLiteral("Volume");
    MicrophoneCaption = QStringLiteral("Microphone");

    setFont(PixelFont(QStringLiteral("Tahoma"), 15, false));
    ui->LStatus->setFont(PixelFont(QStringLiteral("Tahoma"), 15, true));
    ui->LTime->setFont(PixelFont(QStringLiteral("Tahoma"), 24, false));
    ui->LProgress->setFont(PixelFont(QStringLiteral("System"), 15, true));
    ui->LRed->setFont(PixelFont(QStringLiteral("System"), 15, true));
    // Fourteen per-mille signs (the ANSI code page's 0x89) under the line's last cells.
    ui->LRed->setText(QString(14, QChar(0x2030)));
    ui->LRed->setVisible(false);
    // The read-out's cells are measured in its fonts, which the start page, all pictures, does
    // not need: they are laid out when the recording page first comes up.
    connect(ui->Book, &QStackedWidget::currentChanged, this, [this](int page) {
        if (page == 1) LayOutReadOut();
    });

    if (!ui->aDashBoardWinShape->Active()) ui->aDashBoardWinShape->setActive(true);
    if (!qobject_cast<QProxyStyle *>(QApplication::style())) QApplication::setStyle(new TQuickHintStyle);
    ui->Book->setCurrentIndex(0);
    ui->WinShape->setActive(true);
    ui->Book->resize(ui->Book->width(), ui->ImgDisplay->height());
    // Presses on the notebook's pages (not on its buttons) drag the window like presses on the body.
    for (QWidget *page : {ui->pageDefault, ui->pageRecording})
        page->installEventFilter(this);

    RecorderFrame()->OnPlayDone = [this](QObject *sender) { RecorderPlayEnd(sender); };
    // The panel lies outside the outline, where nothing of it can be seen: hidden, it costs no
    // painting, and it works the same.
    RecorderFrame()->hide();
    if (TolvyProperties) FSecurityShield->setChecked(TolvyProperties->ShowShield);
    ShowProgress(0);
    // The desktop centre is taken for what the child sees, the outline, not the larger form
    // around it, whose lower part is never shown.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->availableGeometry().size() : kFallbackScreenSize;
    move(CenteredPosition(QRect(QPoint(0, 0), desktop), OutlineSize(), desktop));
}

void TVoiceMailForm::LayOutReadOut()
{
    if (FReadOutLaidOut) return;
    FReadOutLaidOut = true;
    SetCharacterPitch(ui->LProgress, QStringLiteral("|"), ui->LProgress->width() / 52);
    SetCharacterPitch(ui->LRed, QString(QChar(0x2030)), ui->LRed->width() / 14);
}

QSize TVoiceMailForm::OutlineSize() const
{
    const auto &bounds = ui->WinShape->Data().Bounds;
    return {bounds.Right - bounds.Left, bounds.Bottom - bounds.Top};
}

void TVoiceMailForm::BuildPopupMenu()
{
    FPopupMenu = new QMenu(this);
    FPopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    auto *header = new QWidgetAction(FPopupMenu);
    header->setObjectName(QStringLiteral("ParentsMenu1"));
    header->setText(QStringLiteral("Parent's Menu:"));
    header->setDefaultWidget(new TMenuHeader(FPopupMenu));
    FPopupMenu->addAction(header);

    FSecurityShield = FPopupMenu->addAction(QStringLiteral("Show Security Shield"));
    FSecurityShield->setObjectName(QStringLiteral("miSecurityShield"));
    FSecurityShield->setCheckable(true);
    connect(FSecurityShield, &QAction::triggered, this, &TVoiceMailForm::miSecurityShieldClick);
    FPopupMenu->addSeparator()->setObjectName(QStringLiteral("N1"));

    QAction *volume = FPopupMenu->addAction(QStringLiteral("Volume Level..."));
    volume->setObjectName(QStringLiteral("miVolumeLevel"));
    volume->setData(0);
    connect(volume, &QAction::triggered, this, &TVoiceMailForm::cmdAdjustLevel);
    QAction *microphone = FPopupMenu->addAction(QStringLiteral("Microphone Level..."));
    microphone->setObjectName(QStringLiteral("miMicrophoneLevel"));
    microphone->setData(1);
    connect(microphone, &QAction::triggered, this, &TVoiceMailForm::cmdAdjustLevel);
    FPopupMenu->addSeparator()->setObjectName(QStringLiteral("N2"));

    QAction *options = FPopupMenu->addAction(QStringLiteral("Options..."));
    options->setObjectName(QStringLiteral("miOptions"));
    connect(options, &QAction::triggered, this, &TVoiceMailForm::miOptionsClick);
}

void TVoiceMailForm::SetDesktopWindow(TDesktopWindow *window)
{
    FDesktopWindow = window;
}

TRecorderForm *TVoiceMailForm::RecorderFrame() const
{
    return ui->RecorderFrame;
}

QPoint TVoiceMailForm::MonkeySpotPoint() const
{
    return ui->MonkeySpot->mapToGlobal(QPoint(0, 0));
}

TVoiceMailForm::TMode TVoiceMailForm::Mode() const
{
    if (ui->Book->currentIndex() == 0) return TMode::Idle;
    return FRecordMode ? TMode::Recording : TMode::Playing;
}

int TVoiceMailForm::PageIndex() const
{
    return ui->Book->currentIndex();
}
QString TVoiceMailForm::ProgressText() const
{
    return ui->LProgress->text();
}
QString TVoiceMailForm::TimeText() const
{
    return ui->LTime->text();
}
QString TVoiceMailForm::StatusText() const
{
    return ui->LStatus->text();
}
bool TVoiceMailForm::RedVisible() const
{
    return ui->LRed->isVisibleTo(ui->pageRecording);
}

platform::SystemServices &TVoiceMailForm::System() const
{
    return FSystem ? *FSystem : platform::defaultSystemServices();
}

void TVoiceMailForm::ShowProgress(int Seconds)
{
    FElapsed = Seconds;
    ui->LProgress->setText(ProgressLine(ProgressCells(FElapsed, FScale)));
    ui->LTime->setText(QString::asprintf("%d Sec.", FElapsed));
}

void TVoiceMailForm::cmdClose()
{
    close();
}

void TVoiceMailForm::closeEvent(QCloseEvent *event)
{
    RecorderFrame()->cmdStop();
    // Nothing keeps counting on a hidden window, so no stop or playback can start while it is away.
    FTimer->stop();
    ui->Book->setCurrentIndex(0);
    event->accept();
    if (!FSecurityShield->isChecked() && FDesktopWindow) FDesktopWindow->close();
}

void TVoiceMailForm::cmdStart()
{
    const QObject *button = sender();
    const int tag = button ? button->property("Tag").toInt() : -1;
    QCoreApplication::postEvent(this, new TStartActionEvent(tag));
}

void TVoiceMailForm::customEvent(QEvent *event)
{
    if (event->type() == TStartActionEvent::WM_STARTACTION) {
        WMStartAction(static_cast<TStartActionEvent *>(event)->Tag);
        return;
    }
    QWidget::customEvent(event);
}

void TVoiceMailForm::WMStartAction(int Tag)
{
    switch (Tag) {
    case 0:
        BeginRecording();
        break;
    case 1:
        BeginPlayback();
        break;
    case 2:
        SendVoiceMessage();
        break;
    default:
        break;
    }
}

bool TVoiceMailForm::LimitApplies() const
{
    return VMProperties && VMProperties->LimitSize && VMProperties->MaxTimeSec > 0;
}

void TVoiceMailForm::BeginRecording()
{
    FScale =
        RecordingScale(VMProperties && VMProperties->LimitSize, VMProperties ? VMProperties->MaxTimeSec : 0);
    ui->LRed->setVisible(LimitApplies());
    FRecordMode = true;
    ui->LStatus->setText(QStringLiteral("Recording..."));
    ui->Book->setCurrentIndex(1);
    ShowProgress(0);
    if (!RecorderFrame()->StartRecording()) {
        RefuseStart();
        return;
    }
    FTimer->start();
}

void TVoiceMailForm::RefuseStart()
{
    // Nothing records or plays: the window goes back to its buttons and says no the way every
    // refused action does; the panel has logged why.
    FTimer->stop();
    ui->Book->setCurrentIndex(0);
    SystemBeep(System());
}

void TVoiceMailForm::BeginPlayback()
{
    FScale = PlaybackScale(VMProperties ? VMProperties->DurationSec : 0);
    ui->LRed->setVisible(false);
    FRecordMode = false;
    ui->LStatus->setText(QStringLiteral("Playing..."));
    ShowProgress(0);
    ui->Book->setCurrentIndex(1);
    if (!RecorderFrame()->StartPlaying()) {
        RefuseStart();
        return;
    }
    FTimer->start();
}

void TVoiceMailForm::cmdStop()
{
    FTimer->stop();
    RecorderFrame()->cmdStop();
    ui->Book->setCurrentIndex(0);
    if (FRecordMode && VMProperties && VMProperties->AutoPlay) BeginPlayback();
}

void TVoiceMailForm::TimerTimer()
{
    ShowProgress(FElapsed + 1);
    if (FRecordMode && LimitApplies()) CheckTimeLimit();
}

void TVoiceMailForm::CheckTimeLimit()
{
    if (FElapsed >= VMProperties->MaxTimeSec) {
        cmdStop();
        SystemBeep(System());
    }
}

void TVoiceMailForm::RecorderPlayEnd(QObject *)
{
    // The take is over: the read-out stops with it rather than counting on a hidden page.
    FTimer->stop();
    ui->Book->setCurrentIndex(0);
}

void TVoiceMailForm::SendVoiceMessage()
{
    if (!VMProperties) return;
    const TVMProperties &vm = *VMProperties;
    // A path that a profile key cannot hold (a line break, say) is refused like a missing message.
    if (!QFileInfo::exists(vm.MsgFileName) || !CanHandOff(vm.MsgFileName)) {
        SystemBeep(System());
        return;
    }
    try {
        if (vm.GSM610) PackMessage();
        if (vm.WebMail || vm.SendWait)
            FShowCallOut(MonkeySpotPoint(), ReadyToSendText, QString(), true, false);
        if (vm.WebMail) return;
        const TSMapiMessage message =
            MakeVoiceMessage(vm.MsgFileName, vm.SendWait, vm.ReciptName, vm.ReciptAddr,
                             TolvyProperties ? TolvyProperties->KidName : QString());
        if (!HandOffMessage(message, FSend)) {
            SystemBeep(System());
            return;
        }
        if (message.ForceNoUI) FShowCallOut(MonkeySpotPoint(), QString(), QString(), false, true);
    } catch (const std::exception &error) {
        // An unreadable message file or unreadable machine folders: nothing is handed off.
        ShowErrorBox(this, QString::fromUtf8(error.what()), System());
    }
}

void TVoiceMailForm::PackMessage()
{
    if (VoiceMailModule) {
        ProgressCaption = VoiceMailModule->Strings[VoiceMailText::CompressCaption];
        ProgressPrompt = VoiceMailModule->Strings[VoiceMailText::CompressPrompt];
    }
    const quint32 t0 = FSend.TickCount();
    struct THideProgress {
        ~THideProgress() { HideProgressWindow(); }
    } hideProgress;
    if (VMProperties->PlainSize > 500000) ShowProgressNow(this, false);
    QCoreApplication::processEvents();
    FSend.PackWaveFile(VMProperties->MsgFileName);
    const quint32 elapsed = FSend.TickCount() - t0;
    // The window stays long enough to be read, however quick the packing.
    if (ProgressShowing() && elapsed < 800) FSend.Sleep(800 - elapsed);
}

void TVoiceMailForm::BookMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPoint Pos)
{
    FDrag = Pos;
    FDragging = true;
}

void TVoiceMailForm::BookMouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, QPoint Pos)
{
    if (!FDragging) return;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : kFallbackScreenSize;
    move(ClampWindowPosition(pos() + (Pos - FDrag), OutlineSize(), screenSize));
    // The window repaints while it is dragged.
    QCoreApplication::processEvents();
}

void TVoiceMailForm::BookMouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint)
{
    FDragging = false;
}

bool TVoiceMailForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->pageDefault || watched == ui->pageRecording) {
        auto *page = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            BookMouseDown(mouse->button(), mouse->modifiers(),
                          page->mapTo(ui->Book, mouse->position().toPoint()));
            return true;
        }
        case QEvent::MouseMove: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            BookMouseMove(mouse->buttons(), mouse->modifiers(),
                          page->mapTo(ui->Book, mouse->position().toPoint()));
            return true;
        }
        case QEvent::MouseButtonRelease: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            BookMouseUp(mouse->button(), mouse->modifiers(),
                        page->mapTo(ui->Book, mouse->position().toPoint()));
            return true;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TVoiceMailForm::btnMenuMouseUp(Qt::MouseButton, Qt::KeyboardModifiers Shift, QPoint Pos)
{
    if (IsCtrlOnlyRelease(Shift, QGuiApplication::mouseButtons())) {
        FPopupMenu->popup(ui->btnMenu->mapToGlobal(Pos - QPoint(5, 15)));
        return;
    }
    FShowCallOut(MonkeySpotPoint(),
                 QStringLiteral("Please press and hold the Ctrl key, then click this button to display the "
                                "Parents' Menu."),
                 QStringLiteral("Hint for parents:"), false, false);
}

void TVoiceMailForm::miSecurityShieldClick()
{
    // The action has already toggled its check mark.
    const bool shown = FSecurityShield->isChecked();
    if (FDesktopWindow) {
        if (shown) {
            FDesktopWindow->show();
            // The window stays above the shield that just came up.
            raise();
        } else {
            FDesktopWindow->hide();
        }
    }
    if (TolvyProperties) TolvyProperties->ShowShield = shown;
}

void TVoiceMailForm::cmdAdjustLevel()
{
    const auto *item = qobject_cast<const QAction *>(sender());
    const bool volume = !item || item->data().toInt() == 0;
    if (OnAdjustLevel)
        OnAdjustLevel(volume);
    else
        ShowLevelWindow(volume);
}

void TVoiceMailForm::miOptionsClick()
{
    // The parents' options dialog, unless another opener was put in its place.
    if (OnOptions)
        OnOptions(this);
    else
        OpenOptionsDialog(this);
}
