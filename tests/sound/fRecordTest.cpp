// The recorder panel over the simulated wave device and mixer: its states, what it reports to its owner
// and when, the seconds it counts and the recording format.
#include "sound/fRecord.h"

#include "Deliver.h"
#include "controls/VolumeGauge.h"
#include "platform/audio/SimWaveDevice.h"
#include "platform/mixer/SimMixer.h"
#include "platform/store/Registry.h"
#include "settings/SettingsFakes.h"
#include "settings/TolvyOptions.h"
#include "sound/EMixerUtils.h"
#include "sound/WaveRecord.h"
#include "strings/SoundRecMLS.h"

#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <ostream>
#include <tuple>
#include <utility>

using platform::SimMixer;
using platform::SimWaveDevice;

namespace {

// The panel's visible state: buttons record, play, pause, stop; pause down; the two timers;
// the status text when it is shown (empty when hidden).
struct PanelState {
    bool record, play, pause, stop, pauseDown, playTimer, peakTimer;
    QString status;
    friend bool operator==(const PanelState &, const PanelState &) = default;
    friend std::ostream &operator<<(std::ostream &os, const PanelState &s)
    {
        return os << s.record << s.play << s.pause << s.stop << s.pauseDown << s.playTimer << s.peakTimer
                  << " \"" << s.status.toStdString() << '"';
    }
};
const PanelState Idle{true, true, false, false, false, false, false, {}};
const PanelState Recording{false, false, true, true, false, true, true, "Recording..."};
const PanelState Playing{false, false, true, true, false, true, true, "Playing..."};
const PanelState Paused{false, false, true, true, true, false, false, "Paused"};

class RecorderPanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitializeStringModules(); }

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        settings.MsgFileName = dir.filePath("chirpel.wav");
        settings.BeepOnRecord = false;
        settings.Quality = 0;
        settings.Mono = settings.Bits16 = settings.GSM610 = true;
        // No beep of its own: the program's beep, played on the panel's device.
        panel =
            std::make_unique<TRecorderForm>(TRecorderServices{&device, &mixer, nullptr, &settings, &system});
        for (auto [slot, name] : {std::pair{&TRecorderForm::OnPlayDone, "play"},
                                  {&TRecorderForm::OnStopDone, "stop"},
                                  {&TRecorderForm::OnPauseDone, "pause"}})
            (*panel).*slot = [this, name](QObject *sender) {
                events << name;
                EXPECT_EQ(sender, panel.get());
            };
        panel->show();
    }

    template <typename W = QWidget> W *child(const char *name) { return panel->findChild<W *>(name); }
    QTimer *timer(const char *name) { return child<QTimer>(name); }
    void click(const char *name) { QTest::mouseClick(child(name), Qt::LeftButton); }

    // Seconds of sound, with the panel's counter ticking when it runs.
    void seconds(int n = 1)
    {
        while (n-- > 0) {
            device.advance(1000);
            deliver(); // an end of playback within the second arrives before the tick
            if (timer("PlayTimer")->isActive()) QMetaObject::invokeMethod(timer("PlayTimer"), "timeout");
            deliver();
        }
    }

    PanelState state()
    {
        auto *pause = child<QToolButton>("btnPause");
        return {child("btnRecord")->isEnabled(),
                child("btnPlay")->isEnabled(),
                pause->isEnabled(),
                child("btnStop")->isEnabled(),
                pause->isChecked(),
                timer("PlayTimer")->isActive(),
                timer("PeakTimer")->isActive(),
                visible("LStatus") ? text("LStatus") : QString()};
    }
    QString text(const char *label) { return child<QLabel>(label)->text(); }
    bool visible(const char *name) { return child(name)->isVisible(); }

    QTemporaryDir dir;
    platform::RegFileStore store{dir.filePath("user.reg"), dir.filePath("machine.reg")};
    TVMProperties settings{store};
    SimWaveDevice device;
    SimMixer mixer;
    FakeSystemServices system;
    QStringList events;
    std::unique_ptr<TRecorderForm> panel;
};

} // namespace

TEST_F(RecorderPanelTest, TheButtonsLeadThroughRecordingPausePlayingAndBackToIdle)
{
    panel->cmdStop(); // with nothing open: nothing at all
    deliver();
    EXPECT_TRUE(system.calls.isEmpty());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(state(), Idle);
    EXPECT_FALSE(visible("PeakGauge"));
    click("btnRecord");
    EXPECT_EQ(state(), Recording);
    EXPECT_EQ(std::pair(panel->IsRecording(), panel->ActiveMeter()), std::pair(true, panel->InputMeter()));
    click("LGSMOnOff"); // the lamp toggles the setting and nothing else
    EXPECT_EQ(std::tuple(settings.GSM610, visible("imgLightOff"), state()),
              std::tuple(false, true, Recording));
    seconds();
    click("btnPause");
    deliver();
    EXPECT_EQ(state(), Paused);
    click("btnPause");
    EXPECT_EQ(state(), Recording);
    seconds();
    click("btnStop");
    deliver();
    EXPECT_EQ(state(), Idle);
    EXPECT_EQ(text("LTime"), QString());

    click("btnPlay");
    EXPECT_EQ(state(), Playing);
    EXPECT_EQ(std::pair(panel->IsRecording(), panel->ActiveMeter()), std::pair(false, panel->OutputMeter()));
    panel->cmdPause(); // not from the button: it toggles the button itself
    deliver();
    EXPECT_EQ(state(), Paused);
    panel->cmdPause();
    EXPECT_EQ(state(), Playing);
    click("btnStop");
    deliver();
    EXPECT_EQ(state(), Idle);
    EXPECT_EQ(events, QStringList({"pause", "stop", "pause", "stop"}));
    EXPECT_EQ(device.log().filter(QRegularExpression("^save ")).size(), 1) << "a stopped playback was saved";
}

TEST_F(RecorderPanelTest,
       AStopQueuedBeforeAnAutomaticPlaybackReachesStopDoneAndOnlyTheTakeBeepsAndCountsSeconds)
{
    settings.DurationSec = 99;
    settings.BeepOnRecord = true;
    panel->StartRecording();
    EXPECT_EQ(settings.DurationSec, 0);
    EXPECT_EQ(device.sounds().size(), 1);
    EXPECT_LT(device.log().indexOf(QRegularExpression("^sound ")), device.log().indexOf("open "));
    seconds(2);
    // What the voice-mail window does with AutoPlay: stop, then play at once in the same handler.
    panel->cmdStop();
    panel->StartPlaying();
    EXPECT_EQ(events, QStringList({"stop"}));
    EXPECT_EQ(state(), Playing);
    EXPECT_EQ(std::pair(panel->PlayOnly(), visible("LMono")), std::pair(true, false))
        << "the channel label shows only while recording";
    mixer.setPeak(SimMixer::PlaybackPeakId, 9000);
    panel->PeakTimerTimer();
    seconds(3);
    // The playback ends by itself: only OnPlayDone, and the count and gauge stay as they were.
    EXPECT_EQ(events, QStringList({"stop", "play"}));
    EXPECT_EQ(state(), Idle);
    EXPECT_EQ(std::tuple(text("LTime"), panel->ElapsedSec(), settings.DurationSec),
              std::tuple("1 sec.", 1, 2))
        << "a playback for the voice-mail window counts no seconds into DurationSec";
    EXPECT_EQ(child<TVolumeGauge>("PeakGauge")->Level(), 9000);
    EXPECT_EQ(device.openElements(), 0);
}

TEST(RecorderPanel, SettingsGiveTheRecordersFormatAndFormatSecondsFillsTheFirstField)
{
    const struct {
        bool mono, bits16;
        quint8 quality;
        quint32 current;
        TRecordFormat expected;
    } cases[] = {{true, true, 0, 0, {1, 16, 8000}},      {false, true, 1, 0, {2, 16, 11025}},
                 {true, false, 2, 0, {1, 8, 22050}},     {false, false, 3, 8000, {2, 8, 44100}},
                 {true, true, 4, 22050, {1, 16, 22050}}, {true, true, 255, 0, {1, 16, 0}}};
    for (const auto &c : cases)
        EXPECT_EQ(RecordFormatFor(c.mono, c.bits16, c.quality, c.current), c.expected) << int(c.quality);
    EXPECT_EQ(FormatSeconds("%d sec.", 12), "12 sec.");
    EXPECT_EQ(FormatSeconds("sec. %d of %d", 3), "sec. 3 of %d");
    EXPECT_EQ(FormatSeconds("sec.", 3), "sec.");
}

TEST_F(RecorderPanelTest, AQualityOutOfRangeKeepsTheRateOfTheRecordingBeforeAndAnEmptyTakeTheMessage)
{
    settings.Quality = 2;
    settings.Mono = settings.Bits16 = false;
    panel->StartRecording();
    seconds();
    panel->cmdStop();
    settings.Quality = 200;
    device.clearLog();
    panel->StartRecording();
    EXPECT_GE(device.log().indexOf(QRegularExpression("^set \\d+ 1 2 22050 44100 2 8$")), 0)
        << device.log().join('\n').toStdString();
    panel->cmdStop(); // at once: a take without sound keeps the message before it, 1 s of 8-bit stereo
    EXPECT_EQ(QFileInfo(settings.MsgFileName).size(), 44 + 2 * 22050);
}

TEST_F(RecorderPanelTest, AFailedSaveShowsTheDevicesErrorAndStillReturnsToIdle)
{
    settings.MsgFileName = dir.filePath("no such folder/chirpel.wav");
    panel->StartRecording();
    seconds();
    panel->cmdStop();
    deliver();
    EXPECT_EQ(system.calls, QStringList({"beep", "box"}));
    EXPECT_TRUE(device.sounds().isEmpty()) << "a beep before recording with BeepOnRecord off";
    EXPECT_EQ(system.boxText, platform::waveErrorText(panel->Recorder().LastError));
    EXPECT_NE(panel->Recorder().LastError, 0u);
    EXPECT_EQ(state(), Idle);
    EXPECT_EQ(events, QStringList({"stop"}));
    EXPECT_EQ(device.openElements(), 0);
}

TEST_F(RecorderPanelTest, AStartThatFailsLeavesThePanelIdleWithItsStatusShown)
{
    panel->StartRecording();
    panel->cmdStop(); // its notification is still queued when the failing start begins
    device.setServerAvailable(false);
    panel->StartPlaying();
    EXPECT_EQ(events, QStringList({"stop"}));
    PanelState idleWithStatus = Idle;
    idleWithStatus.status = "Playing...";
    EXPECT_EQ(state(), idleWithStatus);

    QFile::remove(settings.MsgFileName);
    panel->StartRecording();
    EXPECT_EQ(state().status, "Recording...");
    EXPECT_FALSE(child("btnPlay")->isEnabled()); // there is no message to play
    EXPECT_TRUE(child("btnRecord")->isEnabled());
}

TEST_F(RecorderPanelTest, ThePeakTimerFeedsTheGaugeFromTheTakesMeterAndAPanelDestroyedMidTakeReportsNothing)
{
    auto *gauge = child<TVolumeGauge>("PeakGauge");
    panel->StartRecording();
    mixer.setPeak(SimMixer::MicrophonePeakId, -16384);
    mixer.setPeak(SimMixer::PlaybackPeakId, 100);
    QMetaObject::invokeMethod(timer("PeakTimer"), "timeout");
    EXPECT_TRUE(gauge->isVisible());
    EXPECT_EQ(gauge->Level(), 16384);
    mixer.setPeak(SimMixer::MicrophonePeakId, -32768); // full scale shows as the gauge's maximum
    panel->PeakTimerTimer();
    EXPECT_EQ(gauge->Level(), 32767);
    mixer.failReads(platform::MixerFailed);
    mixer.setPeak(SimMixer::MicrophonePeakId, 5);
    panel->PeakTimerTimer();
    EXPECT_EQ(gauge->Level(), 32767);
    panel->cmdPause();
    deliver();
    EXPECT_EQ(gauge->Level(), 0);

    panel.reset();
    deliver();
    EXPECT_EQ(device.openElements(), 0);
    EXPECT_EQ(events, QStringList{"pause"});
    EXPECT_FALSE(QFile::exists(settings.MsgFileName)) << "a take destroyed unstopped was saved";
}
