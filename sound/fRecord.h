// TRecorderForm: the recorder panel that records, plays, pauses and stops the message file.
//
// In a Designer form: <customwidget><class>TRecorderForm</class><extends>QFrame</extends>
// <header>sound/fRecord.h</header></customwidget>. A panel built by a form gets the services set
// with SetDefaultRecorderServices (the program's own unless replaced).
#pragma once

#include <QFrame>
#include <QString>

#include <functional>
#include <memory>

class QTimer;
class TPeakMeter;
class TVMProperties;
class TWaveRecorder;

namespace Ui {
class TRecorderForm;
}

namespace platform {
class Mixer;
class SystemServices;
class WaveDevice;
} // namespace platform

// Called with the sending object as its only argument; an unset event is not called.
using TNotifyEvent = std::function<void(QObject *Sender)>;

// Plays the program's beep and returns once it has been heard; false when it could not play.
using TBeepPlayer = std::function<bool()>;

// What a panel records, plays, measures and reports with. An unset member stands for the
// program's own: the real wave device and mixer, the "BEEP" resource played through the panel's
// wave device, the program-wide VMProperties (looked up at each use), the desktop's error box.
struct TRecorderServices {
    platform::WaveDevice *Device = nullptr;
    platform::Mixer *Mixer = nullptr;
    TBeepPlayer Beep;
    TVMProperties *Settings = nullptr;
    platform::SystemServices *System = nullptr;
};

// Replaces the services that panels built with a parent only receive; returns the ones replaced.
TRecorderServices SetDefaultRecorderServices(TRecorderServices services);

// The recording format the settings ask for. Quality 0..3 picks 8000, 11025, 22050 or 44100
// samples per second; any other value keeps CurrentRate.
struct TRecordFormat {
    quint8 Channels = 0;
    quint16 BitsPerSample = 0;
    quint32 SamplesPerSec = 0;

    friend bool operator==(const TRecordFormat &, const TRecordFormat &) = default;
};
TRecordFormat RecordFormatFor(bool Mono, bool Bits16, quint8 Quality, quint32 CurrentRate);

// The seconds read-out: the format's first "%d" replaced by the number ("%d sec." -> "12 sec.").
QString FormatSeconds(const QString &Format, qint32 Seconds);

class TRecorderForm : public QFrame {
    Q_OBJECT
public:
    explicit TRecorderForm(QWidget *parent = nullptr);
    explicit TRecorderForm(const TRecorderServices &services, QWidget *parent = nullptr);
    // Stops and closes the device; no notification reaches the owner afterwards.
    ~TRecorderForm() override;

    // Records a new take into MsgFileName: beep first when BeepOnRecord is set, DurationSec
    // counted from 0. False when the device refused to record (the reason is logged).
    bool StartRecording();
    // Plays MsgFileName; the seconds it plays are not counted into DurationSec. False when the
    // playback could not start (the reason is logged).
    bool StartPlaying();

    // Raised with the panel as sender when a playback has run to its end (not when stopped).
    TNotifyEvent OnPlayDone;
    // Raised when a stop has completed.
    TNotifyEvent OnStopDone;
    // Raised when a pause has completed.
    TNotifyEvent OnPauseDone;

    // The current take, as the panel counts and shows it.
    bool IsRecording() const { return FIsRecording; }
    qint32 ElapsedSec() const { return FElapsedSec; }
    bool PlayOnly() const { return FPlayOnly; }
    const QString &StatusText() const { return FStatusText; }
    // The meter the peak timer polls (none before the first take), and the two it chooses from.
    const TPeakMeter *ActiveMeter() const { return FActiveMeter; }
    const TPeakMeter *InputMeter() const { return FInputMeter.get(); }
    const TPeakMeter *OutputMeter() const { return FOutputMeter.get(); }
    const TWaveRecorder &Recorder() const { return *FRecorder; }

public slots:
    // The handlers the form's controls are bound to; cmdStop is also the owner's way to stop
    // whatever runs. A cmdPause that does not come from btnPause toggles btnPause first.
    void cmdRecord();
    void cmdPlay();
    void cmdStop();
    void cmdPause();
    void LGSMOnOffClick();
    // The one-second counter and the 75 ms level poll.
    void PlayTimerTimer();
    void PeakTimerTimer();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void LoadTexts();
    void ApplyRecordFormat();
    void PlayBeep();
    void ShowStatus();
    void ShowLamp();
    // What a take that has just begun shows: its status, the running clock and meter, and the
    // buttons of a running take.
    void TakeStarted(bool Recording);
    // Record and Play while no take runs; Pause and Stop while one does.
    void EnableTakeButtons(bool Running);
    void PlayDone();
    void PauseDone();
    void StopDone();
    // A take that could not start: the reason goes to the log.
    void StartFailed(const char *What);
    void Raise(const TNotifyEvent &Event);
    TVMProperties &Settings() const;
    platform::SystemServices &System() const;

    std::unique_ptr<Ui::TRecorderForm> ui;
    QTimer *PlayTimer;
    QTimer *PeakTimer;

    bool FIsRecording = false;
    qint32 FElapsedSec = 0;
    std::unique_ptr<TWaveRecorder> FRecorder;
    // The meters open the mixer, which connects to the sound server: made by the first take,
    // not with the panel, which the child's first window builds but never shows.
    platform::Mixer *FMeterMixer = nullptr;
    std::unique_ptr<TPeakMeter> FOutputMeter;
    std::unique_ptr<TPeakMeter> FInputMeter;
    TPeakMeter *FActiveMeter = nullptr;
    QString FStatusText;
    bool FPlayOnly = false;
    bool FStarted = false; // the last cmdRecord or cmdPlay started its take

    TBeepPlayer FBeep;
    TVMProperties *FSettings;
    platform::SystemServices *FSystem;
};
