// TRecorderForm: the recorder panel that records, plays, pauses and stops the message file.
#include "sound/fRecord.h"

#include "platform/audio/WaveDevice.h"
#include "platform/desktop/SystemServices.h"
#include "platform/mixer/Mixer.h"
#include "settings/TolvyOptions.h"
#include "settings/vqUtils.h"
#include "sound/Beep.h"
#include "sound/EMixerUtils.h"
#include "sound/SoundLog.h"
#include "sound/WaveRecord.h"
#include "strings/SoundRecMLS.h"
#include "strings/VoiceMailMLS.h"
#include "ui_fRecord.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStyle>
#include <QThread>
#include <QTimer>

namespace {

TRecorderServices &DefaultServices()
{
    static TRecorderServices services;
    return services;
}

// The texts every panel shows, copied from the string modules when a panel is made.
struct TRecorderTexts {
    QString SecondsFormat;
    QString Playing;
    QString Recording;
    QString Paused;
    QString Mono;
    QString Stereo;
};
TRecorderTexts Texts;

// A timer that is already running keeps its period, as switching an enabled timer on again does.
void TimerOn(QTimer *Timer)
{
    if (!Timer->isActive()) Timer->start();
}

constexpr int PauseAfterBeepMs = 350;

} // namespace

TRecorderServices SetDefaultRecorderServices(TRecorderServices services)
{
    std::swap(DefaultServices(), services);
    return services;
}

TRecordFormat RecordFormatFor(bool Mono, bool Bits16, quint8 Quality, quint32 CurrentRate)
{
    static constexpr quint32 Rates[] = {8000, 11025, 22050, 44100};
    TRecordFormat Format;
    Format.Channels = Mono ? 1 : 2;
    Format.BitsPerSample = Bits16 ? 16 : 8;
    Format.SamplesPerSec = Quality < std::size(Rates) ? Rates[Quality] : CurrentRate;
    return Format;
}

QString FormatSeconds(const QString &Format, qint32 Seconds)
{
    QString Text = Format;
    const qsizetype Field = Text.indexOf(QLatin1String("%d"));
    if (Field >= 0) Text.replace(Field, 2, QString::number(Seconds));
    return Text;
}

TRecorderForm::TRecorderForm(QWidget *parent) : TRecorderForm(DefaultServices(), parent) {}

TRecorderForm::TRecorderForm(const TRecorderServices &services, QWidget *parent)
    : QFrame(parent), ui(std::make_unique<Ui::TRecorderForm>()), PlayTimer(new QTimer(this)),
      PeakTimer(new QTimer(this)), FSettings(services.Settings), FSystem(services.System)
{
    ui->setupUi(this);

    PlayTimer->setObjectName(QStringLiteral("PlayTimer"));
    PlayTimer->setInterval(1000);
    connect(PlayTimer, &QTimer::timeout, this, &TRecorderForm::PlayTimerTimer);
    PeakTimer->setObjectName(QStringLiteral("PeakTimer"));
    PeakTimer->setInterval(75);
    connect(PeakTimer, &QTimer::timeout, this, &TRecorderForm::PeakTimerTimer);

    ui->LTime->clear();
    ui->PeakGauge->setLevel(0);
    ui->LStatus->hide();
    ui->LMono->hide();
    ui->LMono->move(ui->LStatus->x(), ui->LMono->y());

    platform::WaveDevice &Device = services.Device ? *services.Device : platform::defaultWaveDevice();
    platform::Mixer &Mixer = services.Mixer ? *services.Mixer : platform::defaultMixer();
    FRecorder = std::make_unique<TWaveRecorder>(Device);
    FMeterMixer = &Mixer;
    // A lost playback stream ends the take as its end would, rather than leaving it counting.
    FRecorder->OnFailure = [this](TWaveRecorder *) {
        qCWarning(lcSound, "the playback stream failed or was lost; the take ends here");
        PlayDone();
    };
    FBeep = services.Beep
                ? services.Beep
                : TBeepPlayer([Dev = &Device] { return PlayResourceSync(QStringLiteral("BEEP"), *Dev); });

    LoadTexts();
    // The lamp tells the setting from the start, not only once a take has begun.
    if (FSettings || VMProperties) ShowLamp();
}

void TRecorderForm::showEvent(QShowEvent *event)
{
    // The buttons' glyphs come from the desktop's icon theme, a search of many folders: paid for
    // only by a panel that is ever shown, which the voice-mail window's is not.
    if (ui->btnStop->icon().isNull()) {
        ui->btnStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
        ui->btnPause->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
    }
    QFrame::showEvent(event);
}

TRecorderForm::~TRecorderForm()
{
    FRecorder->Stop({});
    FRecorder->Close();
    // The recorder goes first: no notification may reach the handlers below once it is gone.
    FRecorder.reset();
}

TVMProperties &TRecorderForm::Settings() const
{
    Q_ASSERT_X(FSettings || VMProperties, "TRecorderForm", "the message settings do not exist");
    return FSettings ? *FSettings : *VMProperties;
}

platform::SystemServices &TRecorderForm::System() const
{
    return FSystem ? *FSystem : platform::defaultSystemServices();
}

void TRecorderForm::LoadTexts()
{
    if (SoundRecModule) {
        const auto &S = SoundRecModule->Strings;
        Texts.SecondsFormat = S[SoundRecText::SecondsFormat];
        Texts.Playing = S[SoundRecText::Playing];
        Texts.Recording = S[SoundRecText::Recording];
        Texts.Paused = S[SoundRecText::Paused];
        Texts.Mono = S[SoundRecText::Mono];
        Texts.Stereo = S[SoundRecText::Stereo];
        ui->btnStop->setText(S[SoundRecText::Stop]);
        ui->btnPause->setText(S[SoundRecText::Pause]);
    }
    if (VoiceMailModule) ui->LGsm->setText(VoiceMailModule->Strings[VoiceMailText::GsmCompression]);
}

void TRecorderForm::ApplyRecordFormat()
{
    const TVMProperties &S = Settings();
    const TRecordFormat Format = RecordFormatFor(S.Mono, S.Bits16, S.Quality, FRecorder->SamplesPerSec);
    FRecorder->Channels = Format.Channels;
    FRecorder->BitsPerSample = Format.BitsPerSample;
    FRecorder->SamplesPerSec = Format.SamplesPerSec;
}

void TRecorderForm::PlayBeep()
{
    FBeep();
    // A plain wait, not a nested event loop: nothing queued (a click, a timer tick, a device
    // notification) may run between the beep and the start of the recording it announces.
    QThread::msleep(PauseAfterBeepMs);
}

void TRecorderForm::ShowLamp()
{
    const bool On = Settings().GSM610;
    ui->imgLightOn->setVisible(On);
    ui->imgLightOff->setVisible(!On);
}

void TRecorderForm::ShowStatus()
{
    // The stop notification of a take just ended may still be queued: deliver it now, before
    // the next take installs its handler, so that it reaches StopDone and not the new take.
    // Delivering it before the status is set keeps StopDone from hiding the new status.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    ui->LStatus->setText(FStatusText);
    ui->LStatus->show();
    ShowLamp();
    // Paint the display before the blocking steps that follow.
    QCoreApplication::processEvents();
}

bool TRecorderForm::StartRecording()
{
    FPlayOnly = false;
    FRecorder->FileName = Settings().MsgFileName;
    ui->btnPlay->setEnabled(QFileInfo::exists(FRecorder->FileName));
    FStatusText = Texts.Recording;
    ShowStatus();
    if (Settings().BeepOnRecord) PlayBeep();
    Settings().DurationSec = 0;
    cmdRecord();
    if (!FStarted) StartFailed("record");
    return FStarted;
}

bool TRecorderForm::StartPlaying()
{
    FPlayOnly = true;
    FRecorder->FileName = Settings().MsgFileName;
    ui->btnPlay->setEnabled(QFileInfo::exists(FRecorder->FileName));
    FStatusText = Texts.Playing;
    ShowStatus();
    cmdPlay();
    if (!FStarted) StartFailed("play");
    return FStarted;
}

void TRecorderForm::StartFailed(const char *What)
{
    qCWarning(lcSound, "cannot %s %s: %s (%u)", What, qPrintable(FRecorder->FileName),
              qPrintable(FRecorder->ErrorMessage()), FRecorder->LastError);
}

void TRecorderForm::cmdRecord()
{
    // The panel's own buttons work on the message file too, not only the two start entries.
    FRecorder->FileName = Settings().MsgFileName;
    ApplyRecordFormat();
    FStarted = FRecorder->Record();
    if (FStarted) TakeStarted(true);
}

void TRecorderForm::cmdPlay()
{
    FRecorder->FileName = Settings().MsgFileName;
    FStarted = FRecorder->PlayFile([this](TWaveRecorder *) { PlayDone(); });
    if (FStarted) TakeStarted(false);
}

void TRecorderForm::TakeStarted(bool Recording)
{
    FStatusText = Recording ? Texts.Recording : Texts.Playing;
    FIsRecording = Recording;
    FElapsedSec = 0;
    ui->LTime->clear();
    ui->LStatus->setText(FStatusText);

    TimerOn(PlayTimer);
    EnableTakeButtons(true);
    ui->LStatus->show();
    // The channel lamp tells what is being recorded; a playback shows none.
    if (Recording) ui->LMono->setText(Settings().Mono ? Texts.Mono : Texts.Stereo);
    ui->LMono->setVisible(Recording);

    TimerOn(PeakTimer);
    std::unique_ptr<TPeakMeter> &meter = Recording ? FInputMeter : FOutputMeter;
    if (!meter) meter = std::make_unique<TPeakMeter>(TMixerChangeEvent{}, *FMeterMixer);
    FActiveMeter = meter.get();
    if (Recording)
        FActiveMeter->BindRecordingMeter();
    else
        FActiveMeter->BindPlaybackMeter();
}

void TRecorderForm::EnableTakeButtons(bool Running)
{
    ui->btnRecord->setEnabled(!Running);
    ui->btnPlay->setEnabled(!Running);
    ui->btnPause->setEnabled(Running);
    ui->btnStop->setEnabled(Running);
}

void TRecorderForm::cmdStop()
{
    FRecorder->Stop([this](TWaveRecorder *) { StopDone(); });
    if (FIsRecording) {
        FIsRecording = false;
        // A take stopped before any sound arrived (a double press, a silent device) is no
        // message: it must not replace the one the child recorded before.
        if (FRecorder->Length() == 0 && QFileInfo::exists(FRecorder->FileName)) {
            qCWarning(lcSound, "the take held no sound; %s is kept as it was",
                      qPrintable(FRecorder->FileName));
        } else if (!FRecorder->Save()) {
            qCWarning(lcSound, "cannot save %s: %s", qPrintable(FRecorder->FileName),
                      qPrintable(FRecorder->ErrorMessage()));
            ShowErrorBox(window(), FRecorder->ErrorMessage(), System());
        }
    }
    FRecorder->Close();
    if (ui->btnPause->isChecked()) ui->btnPause->setChecked(false);
}

void TRecorderForm::cmdPause()
{
    // A click on btnPause has toggled it already.
    if (sender() != ui->btnPause) ui->btnPause->toggle();

    if (ui->btnPause->isChecked()) {
        if (!FRecorder->Pause([this](TWaveRecorder *) { PauseDone(); })) ui->btnPause->setChecked(false);
        return;
    }

    ui->btnPause->setChecked(false);
    const bool Continued =
        FIsRecording ? FRecorder->Resume() : FRecorder->Play([this](TWaveRecorder *) { PlayDone(); });
    if (Continued) {
        TimerOn(PlayTimer);
        TimerOn(PeakTimer);
        ui->LStatus->setText(FStatusText);
    }
}

void TRecorderForm::PlayTimerTimer()
{
    if (!FPlayOnly) ++Settings().DurationSec;
    ++FElapsedSec;
    ui->LTime->setText(FormatSeconds(Texts.SecondsFormat, FElapsedSec));
}

void TRecorderForm::PeakTimerTimer()
{
    if (!FActiveMeter || !FActiveMeter->Refresh()) return;
    if (ui->PeakGauge->isHidden()) ui->PeakGauge->show();
    // A full-scale peak reads 32768, one above the gauge's maximum, which the gauge would ignore.
    ui->PeakGauge->setLevel(qMin(FActiveMeter->Level, ui->PeakGauge->MaxLevel()));
}

void TRecorderForm::PlayDone()
{
    FRecorder->Close();
    PlayTimer->stop();
    PeakTimer->stop();
    ui->LStatus->hide();
    ui->LMono->hide();
    EnableTakeButtons(false);
    Raise(OnPlayDone);
}

void TRecorderForm::PauseDone()
{
    PlayTimer->stop();
    PeakTimer->stop();
    ui->PeakGauge->setLevel(0);
    ui->LStatus->setText(Texts.Paused);
    Raise(OnPauseDone);
}

void TRecorderForm::StopDone()
{
    PlayTimer->stop();
    PeakTimer->stop();
    ui->PeakGauge->setLevel(0);
    ui->LStatus->hide();
    ui->LTime->clear();
    EnableTakeButtons(false);
    Raise(OnStopDone);
}

void TRecorderForm::LGSMOnOffClick()
{
    Settings().GSM610 = !Settings().GSM610;
    ShowLamp();
}

void TRecorderForm::Raise(const TNotifyEvent &Event)
{
    if (!Event) return;
    // A copy: the handler may replace the event while it runs.
    const TNotifyEvent Handler = Event;
    Handler(this);
}
