// TSliderForm: the level window over the master volume and microphone level faders.
#include "sound/fSlider.h"

#include "sound/EMixerUtils.h"
#include "ui_fSlider.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <cmath>

QString VolumeCaption;
QString MicrophoneCaption;
TSliderForm *SliderForm = nullptr;

Q_LOGGING_CATEGORY(lcLevelWindow, "chirpel.sound", QtWarningMsg)

namespace {

constexpr qint32 FullLevel = 65535;
const QRgb LevelGrey = qRgb(0x80, 0x80, 0x80);
const QRgb LevelLime = qRgb(0x00, 0xff, 0x00);
// Where the window's top-left corner comes up, from the pointer: the slider's middle lies under it.
constexpr QPoint PointerOffset(45, 60);

} // namespace

void FontToLogFont(const QFont &Font, int Angle, TLogFont &LogFont)
{
    LogFont = TLogFont{};
    const QFontInfo Info(Font);
    LogFont.Height = Font.pixelSize() > 0 ? -Font.pixelSize() : -Info.pixelSize();
    LogFont.Escapement = Angle * 10;
    LogFont.Weight = Font.bold() ? 700 : 400;
    LogFont.Italic = Font.italic();
    LogFont.Underline = Font.underline();
    LogFont.StrikeOut = Font.strikeOut();
    // The toolkit keeps no character set with a font: the system's default one (1).
    LogFont.CharSet = 1;
    const QString Name = Font.family().compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0
                             ? QApplication::font().family()
                             : Font.family();
    LogFont.FaceName = Name.left(LogFontFaceSize);
    // The toolkit tells fixed from variable pitch only, never "not known".
    LogFont.PitchAndFamily = Info.fixedPitch() ? 1 : 2;
}

QFont LogFontToFont(const TLogFont &LogFont)
{
    QFont Font(LogFont.FaceName);
    if (LogFont.Height != 0) Font.setPixelSize(std::abs(LogFont.Height));
    Font.setWeight(LogFont.Weight >= 700 ? QFont::Bold : QFont::Normal);
    Font.setItalic(LogFont.Italic);
    Font.setUnderline(LogFont.Underline);
    Font.setStrikeOut(LogFont.StrikeOut);
    Font.setFixedPitch(LogFont.PitchAndFamily == 1);
    return Font;
}

unsigned SliderPositionFor(qint32 FaderValue, unsigned Max)
{
    return unsigned(qint64(Max) - qint64(FaderValue) * qint64(Max) / FullLevel);
}

qint32 FaderValueFor(unsigned Position, unsigned Max)
{
    if (Max == 0) return 0;
    return qint32((qint64(Max) - qint64(Position)) * FullLevel / qint64(Max));
}

int LevelBarTop(int SliderHeight, unsigned Position)
{
    return int(std::nearbyint(double(SliderHeight) / 100.0 * double(Position)));
}

TSliderForm::TSliderForm(QWidget *parent) : TSliderForm(platform::defaultMixer(), parent) {}

TSliderForm::TSliderForm(platform::Mixer &Mixer, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::TSliderForm>()), FMixer(Mixer)
{
    ui->setupUi(this);
    QFont Face(QStringLiteral("Tahoma"));
    Face.setPixelSize(11);
    setFont(Face);
    ui->Slider->setHolderImageControl(ui->imgSliderHandle);
    ui->Slider->setBkgImageControl(ui->imgSliderBkg);
    // The two paint boxes draw through their owner; the face picture drags the window.
    for (QWidget *w : {static_cast<QWidget *>(ui->PaintBoxDevice), static_cast<QWidget *>(ui->PaintBoxLevel),
                       static_cast<QWidget *>(ui->ImgBkg)})
        w->installEventFilter(this);
    FormCreate();
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TSliderForm::FocusWindowChanged);
}

TSliderForm::~TSliderForm()
{
    // FormDestroy: no change may reach a half-destroyed window.
    FCurrentFader = nullptr;
    FVolumeFader.reset();
    FMicrophoneFader.reset();
    if (SliderForm == this) SliderForm = nullptr;
}

void TSliderForm::FormCreate()
{
    // Only the face is seen: the slider's pictures lie beyond it.
    const QSize Face = ui->ImgBkg->Bitmap().isNull() ? ui->ImgBkg->size() : ui->ImgBkg->Bitmap().size();
    ui->ImgBkg->resize(Face);
    setFixedSize(Face);
    FVolumeFader = std::make_unique<TFader>([this](TMixerLineControl *S) { VolumeChange(S); }, FMixer);
    FVolumeFader->SelectLine(1);
    FMicrophoneFader =
        std::make_unique<TFader>([this](TMixerLineControl *S) { MicrophoneChange(S); }, FMixer);
    FMicrophoneFader->SelectLine(2);
    FCurrentFader = FVolumeFader.get();
}

void TSliderForm::ShowLevel(bool IsVolume)
{
    FIsVolume = IsVolume;
    FDeviceName = IsVolume ? VolumeCaption : MicrophoneCaption;
    FCurrentFader = IsVolume ? FVolumeFader.get() : FMicrophoneFader.get();
    const bool Showing = isVisible();
    // What the focus did before this request (the click that opened the Parents' Menu, reported
    // only once the menu has closed) must not hide what was just asked for.
    FHadFocus = windowHandle() && QGuiApplication::focusWindow() == windowHandle();
    if (!Showing) move(QCursor::pos() - PointerOffset);
    // The faders' values are kept current by their change events, also while hidden.
    VolumeChange(FVolumeFader.get());
    MicrophoneChange(FMicrophoneFader.get());
    if (Showing) update();
    show();
    raise();
    activateWindow();
}

void TSliderForm::VolumeChange(TMixerLineControl *)
{
    if (FIsVolume) ShowFaderValue(*FVolumeFader);
}

void TSliderForm::MicrophoneChange(TMixerLineControl *)
{
    if (!FIsVolume) ShowFaderValue(*FMicrophoneFader);
}

void TSliderForm::ShowFaderValue(const TFader &Fader)
{
    ui->Slider->setPosition(SliderPositionFor(Fader.Value, ui->Slider->Max()));
    if (isVisible()) ui->PaintBoxLevel->update();
}

void TSliderForm::SliderChange()
{
    const quint32 Result =
        FCurrentFader ? FCurrentFader->SetValue(FaderValueFor(ui->Slider->Position(), ui->Slider->Max())) : 0;
    // The parent sees no sign of a level that could not be set; a drag that fails at every step
    // is reported once.
    if (Result != 0 && !FWriteFailed)
        qCWarning(lcLevelWindow, "the %s level could not be set (mixer error %u)",
                  FIsVolume ? "volume" : "microphone", unsigned(Result));
    FWriteFailed = Result != 0;
    // The mixer's change is handled at once, so the handle shows the value the mixer kept.
    QCoreApplication::processEvents();
}

void TSliderForm::btnCloseClick()
{
    close();
}

void TSliderForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) FormDeactivate();
}

void TSliderForm::FocusWindowChanged(QWindow *Now)
{
    if (Now && Now == windowHandle()) {
        FHadFocus = true;
        return;
    }
    // Another of the program's windows took the focus: the toolkit would report it only after an
    // open menu closes, so the Ctrl+click that opens the Parents' Menu (it makes the child's window
    // active) would hide this window or not by how quickly the window manager answered. A menu
    // takes the keys only for a while; focus that leaves for another program comes as a deactivation.
    if (Now && Now->type() != Qt::Popup) FormDeactivate();
}

void TSliderForm::FormDeactivate()
{
    // Only focus this window has had since it was shown can be lost.
    if (!FHadFocus) return;
    FHadFocus = false;
    if (isVisible()) hide();
}

bool TSliderForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && (watched == ui->PaintBoxDevice || watched == ui->PaintBoxLevel)) {
        QPainter Canvas(static_cast<QWidget *>(watched));
        if (watched == ui->PaintBoxDevice)
            PaintBoxDevicePaint(Canvas);
        else
            PaintBoxLevelPaint(Canvas);
        return true;
    }
    if (watched == ui->ImgBkg) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            ImgBkgMouseDown(static_cast<const QMouseEvent *>(event)->position().toPoint());
            return true;
        case QEvent::MouseMove:
            ImgBkgMouseMove(static_cast<const QMouseEvent *>(event)->globalPosition().toPoint());
            return true;
        case QEvent::MouseButtonRelease:
            ImgBkgMouseUp();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TSliderForm::PaintBoxDevicePaint(QPainter &Canvas)
{
    if (FDeviceName.isEmpty()) return;
    TLogFont LogFont;
    FontToLogFont(ui->PaintBoxDevice->font(), 90, LogFont);
    Canvas.save();
    Canvas.setFont(LogFontToFont(LogFont));
    Canvas.setPen(ui->PaintBoxDevice->palette().color(QPalette::WindowText));
    // The name starts at the bottom-left corner and reads upwards, its letters' tops to the left.
    Canvas.translate(0, ui->PaintBoxDevice->height());
    Canvas.rotate(-LogFont.Escapement / 10.0);
    const QFontMetrics Metrics(Canvas.font());
    Canvas.drawText(QRect(0, 0, Metrics.horizontalAdvance(FDeviceName) + 1, Metrics.height()),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, FDeviceName);
    Canvas.restore();
}

QImage TSliderForm::LevelPicture() const
{
    const QRect Box = ui->PaintBoxLevel->geometry();
    QImage Bar(Box.size(), QImage::Format_RGB32);
    Bar.fill(LevelGrey);
    QPainter Canvas(&Bar);
    const int Top = LevelBarTop(ui->Slider->height(), ui->Slider->Position());
    if (Top < Box.height())
        Canvas.fillRect(QRect(0, Top, Box.width(), Box.height() - Top), QColor(LevelLime));
    // The face lies over the bar: grey and green show only through its lime cut-out.
    const QImage &Face = ui->ImgBkg->Bitmap();
    if (!Face.isNull()) {
        QImage Cover = Face.copy(Box).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < Cover.height(); ++y) {
            auto *Line = reinterpret_cast<QRgb *>(Cover.scanLine(y));
            for (int x = 0; x < Cover.width(); ++x)
                if ((Line[x] & 0x00ffffffu) == (LevelLime & 0x00ffffffu)) Line[x] = 0;
        }
        Canvas.drawImage(0, 0, Cover);
    }
    return Bar;
}

void TSliderForm::PaintBoxLevelPaint(QPainter &Canvas)
{
    Canvas.drawImage(0, 0, LevelPicture());
}

void TSliderForm::ImgBkgMouseDown(QPoint Pos)
{
    FDragOrigin = Pos;
    FDragging = true;
}

void TSliderForm::ImgBkgMouseMove(QPoint GlobalPos)
{
    // The window follows the pointer's screen position, so that a move the window system has not
    // yet carried out cannot make it jump.
    if (FDragging) move(GlobalPos - FDragOrigin);
}

void TSliderForm::ImgBkgMouseUp()
{
    FDragging = false;
}

namespace {

void FreeSliderForm()
{
    delete SliderForm;
    SliderForm = nullptr;
}

} // namespace

void ShowLevelWindow(bool IsVolume)
{
    if (!SliderForm) {
        SliderForm = new TSliderForm;
        // Kept for the rest of the run and freed while the application object still exists.
        qAddPostRoutine(FreeSliderForm);
    }
    SliderForm->ShowLevel(IsVolume);
}
