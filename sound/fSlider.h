// TSliderForm, the small level window a parent opens from the Parents' Menu: one vertical slider
// that sets the master volume or the microphone level, with the device's name and a level bar.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>

class QPainter;
class QWindow;
class TFader;
class TMixerLineControl;

namespace Ui {
class TSliderForm;
}

namespace platform {
class Mixer;
}

// The device names the window shows; the voice-mail window fills them when it is made.
extern QString VolumeCaption;
extern QString MicrophoneCaption;

// A font as the window system describes one for drawing at an angle.
struct TLogFont {
    qint32 Height = 0; // negative: the characters' height in pixels
    qint32 Width = 0;
    qint32 Escapement = 0; // tenths of a degree, counter-clockwise
    qint32 Orientation = 0;
    qint32 Weight = 0; // 400 normal, 700 bold
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    quint8 CharSet = 0;
    quint8 OutPrecision = 0;
    quint8 ClipPrecision = 0;
    quint8 Quality = 0;
    quint8 PitchAndFamily = 0; // 1 fixed pitch, 2 variable pitch, 0 not known
    QString FaceName;          // at most 31 characters
};
inline constexpr int LogFontFaceSize = 31;

// Describes `Font` turned by `Angle` degrees; a font named "Default" takes the program's font.
void FontToLogFont(const QFont &Font, int Angle, TLogFont &LogFont);
// The font a description stands for, without its angle (drawing turns the painter instead).
QFont LogFontToFont(const TLogFont &LogFont);

// Slider position for a fader value: the top (0) is full level.
unsigned SliderPositionFor(qint32 FaderValue, unsigned Max);
// Fader value for a slider position.
qint32 FaderValueFor(unsigned Position, unsigned Max);
// First lit row of the level bar: SliderHeight / 100 * Position, rounded (halves to even).
int LevelBarTop(int SliderHeight, unsigned Position);

class TSliderForm : public QWidget {
    Q_OBJECT
public:
    explicit TSliderForm(platform::Mixer &Mixer, QWidget *parent = nullptr);
    explicit TSliderForm(QWidget *parent = nullptr);
    ~TSliderForm() override;

    // Shows the window for the volume (true) or the microphone (false). A hidden window comes up
    // under the pointer; a showing one changes device in place.
    void ShowLevel(bool IsVolume);

    bool IsVolume() const { return FIsVolume; }
    const QString &DeviceName() const { return FDeviceName; }
    TFader *CurrentFader() const { return FCurrentFader; }
    TFader *VolumeFader() const { return FVolumeFader.get(); }
    TFader *MicrophoneFader() const { return FMicrophoneFader.get(); }
    // The level bar as it is drawn, before it reaches the screen.
    QImage LevelPicture() const;

public slots:
    void btnCloseClick();
    void SliderChange();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    void FormDeactivate();
    void FocusWindowChanged(QWindow *Now);
    void VolumeChange(TMixerLineControl *Sender);
    void MicrophoneChange(TMixerLineControl *Sender);
    void ShowFaderValue(const TFader &Fader);
    void PaintBoxDevicePaint(QPainter &Canvas);
    void PaintBoxLevelPaint(QPainter &Canvas);
    void ImgBkgMouseDown(QPoint Pos);
    void ImgBkgMouseMove(QPoint GlobalPos);
    void ImgBkgMouseUp();

    std::unique_ptr<Ui::TSliderForm> ui;
    platform::Mixer &FMixer;
    QPoint FDragOrigin;
    bool FDragging = false;
    bool FIsVolume = true;
    bool FHadFocus = false; // since it was last shown
    bool FWriteFailed = false;
    QString FDeviceName;
    TFader *FCurrentFader = nullptr;
    std::unique_ptr<TFader> FVolumeFader;
    std::unique_ptr<TFader> FMicrophoneFader;
};

// The program's level window, made by the first ShowLevelWindow and kept until the end.
extern TSliderForm *SliderForm;

// Opens the level window for the volume (true) or the microphone (false).
void ShowLevelWindow(bool IsVolume);
