// The recorder panel over the simulated wave device and mixer: its states, what it reports to its owner
// and when, the seconds it counts, the GSM lamp and the recording format.
#include "sound/fRecord.h"

#include "controls/VolumeGauge.h"
#include "platform/audio/SimWaveDevice.h"
#include "platform/audio/WaveFile.h"
#include "platform/mixer/SimMixer.h"
#include "platform/store/Registry.h"
#include "settings/SettingsFakes.h"
#include "settings/TolvyOptions.h"
#include "sound/EMixerUtils.h"
#include "sound/WaveRecord.h"
#include "strings/SoundRecMLS.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

void deliver()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

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
        panel = std::make_unique<TRecorderForm>(services());
        for (auto [slot, name] : {std::pair{&TRecorderForm::OnPlayDone, "play"},
                                  {&TRecorderForm::OnStopDone, "stop"},
                                  {&TRecorderForm::OnPauseDone, "pause"}})
            (*panel).*slot = [this, name](QObject *sender) {
                events << name;
                EXPECT_EQ(sender, panel.get());
            };
        panel->show();
    }

    TRecorderServices services()
    {
        return {&device, &mixer, [this] { return ++beeps, true; }, &settings, &system};
    }

    template <typename W = QWidget> W *child(const char *name) { return panel->findChild<W *>(name); }
    QTimer *timer(const char *name) { return child<QTimer>(name); }
    void click(const char *name) { QTest::mouseClick(child(name), Qt::LeftButton); }

    // One second of sound, with the panel's counter ticking when it runs.
    void second()
    {
        device.advance(1000);
        deliver(); // an end of playback within the second arrives before the tick
        if (timer("PlayTimer")->isActive()) QMetaObject::invokeMethod(timer("PlayTimer"), "timeout");
        deliver();
    }
    void seconds(int n)
    {
        while (n-- > 0)
            second();
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
    int beeps = 0;
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
    EXPECT_TRUE(panel->IsRecording());
    EXPECT_EQ(panel->ActiveMeter(), panel->InputMeter());
    second();
    click("btnPause");
    deliver();
    EXPECT_EQ(state(), Paused);
    click("btnPause");
    EXPECT_EQ(state(), Recording);
    second();
    click("btnStop");
    deliver();
    EXPECT_EQ(state(), Idle);
    EXPECT_EQ(text("LTime"), QString());

    click("btnPlay");
    EXPECT_EQ(state(), Playing);
    EXPECT_FALSE(panel->IsRecording());
    EXPECT_EQ(panel->ActiveMeter(), panel->OutputMeter());
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

TEST_F(RecorderPanelTest, AStopQueuedBeforeAnAutomaticPlaybackReachesStopDone)
{
    panel->StartRecording();
    seconds(2);
    // What the voice-mail window does with AutoPlay: stop, then play at once in the same handler.
    panel->cmdStop();
    panel->StartPlaying();
    EXPECT_EQ(events, QStringList({"stop"}));
    EXPECT_EQ(state(), Playing);
    mixer.setPeak(SimMixer::PlaybackPeakId, 9000);
    panel->PeakTimerTimer();
    seconds(3);
    // The playback ends by itself: only OnPlayDone, and the count and gauge stay as they were.
    EXPECT_EQ(events, QStringList({"stop", "play"}));
    EXPECT_EQ(state(), Idle);
    EXPECT_EQ(text("LTime"), "1 sec.");
    EXPECT_EQ(child<TVolumeGauge>("PeakGauge")->Level(), 9000);
    EXPECT_EQ(device.openElements(), 0);
}

TEST_F(RecorderPanelTest,
       DurationSecCountsEverySecondOfATakeExceptAPlayOnlyPlaybackAndTheChannelLabelShowsUntilPlay)
{
    settings.DurationSec = 99;
    panel->StartRecording();
    EXPECT_EQ(settings.DurationSec, 0);
    EXPECT_EQ(text("LMono"), "Mono");
    seconds(3);
    EXPECT_EQ(settings.DurationSec, 3);
    EXPECT_EQ(text("LTime"), "3 sec.");
    panel->cmdStop();
    deliver();
    EXPECT_TRUE(visible("LMono"));

    panel->StartPlaying();
    EXPECT_FALSE(visible("LMono"));
    EXPECT_TRUE(panel->PlayOnly());
    seconds(2);
    EXPECT_EQ(settings.DurationSec, 3);
    EXPECT_EQ(panel->ElapsedSec(), 2);
    panel->cmdStop();

    settings.Mono = false;
    panel->StartRecording();
    EXPECT_EQ(text("LMono"), "Stereo");
    EXPECT_TRUE(visible("LMono"));
    seconds(2);
    panel->cmdStop();
    deliver();
    click("btnPlay"); // the panel's own button after a recording still counts
    second();
    EXPECT_EQ(settings.DurationSec, 3);
}

TEST_F(RecorderPanelTest, TheLampShowsTheSettingFromTheStartAndAtEachTakeAndAClickTogglesOnlyTheSetting)
{
    EXPECT_TRUE(visible("imgLightOn"));
    settings.GSM610 = false;
    panel->StartRecording(); // each start shows the setting as it is now
    const QStringList commands = device.log();
    for (const bool on : {false, true, false}) {
        EXPECT_EQ(std::tuple(settings.GSM610, visible("imgLightOn"), visible("imgLightOff")),
                  std::tuple(on, on, !on));
        click("LGSMOnOff");
    }
    EXPECT_EQ(state(), Recording);
    EXPECT_EQ(device.log(), commands);
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
    second();
    panel->cmdStop();
    settings.Quality = 200;
    device.clearLog();
    panel->StartRecording();
    EXPECT_GE(device.log().indexOf(QRegularExpression("^set \\d+ 1 2 22050 44100 2 8$")), 0)
        << device.log().join('\n').toStdString();
    const qint64 message = QFileInfo(settings.MsgFileName).size();
    panel->cmdStop(); // at once: a take without sound keeps the message before it
    EXPECT_EQ(QFileInfo(settings.MsgFileName).size(), message);
    EXPECT_EQ(message, 44 + 2 * 22050);
}

TEST_F(RecorderPanelTest, AFailedSaveShowsTheDevicesErrorAndStillReturnsToIdle)
{
    settings.MsgFileName = dir.filePath("no such folder/chirpel.wav");
    panel->StartRecording();
    second();
    panel->cmdStop();
    deliver();
    EXPECT_EQ(system.calls, QStringList({"beep", "box"}));
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

TEST_F(RecorderPanelTest, TheBeepPlaysTheBeepResourceAndWaitsBeforeRecording)
{
    settings.BeepOnRecord = true;
    TRecorderServices real = services();
    real.Beep = nullptr; // the program's own beep through the panel's device
    TRecorderForm beeping(real);
    QElapsedTimer clock;
    clock.start();
    beeping.StartRecording();
    EXPECT_GE(clock.elapsed(), 350);
    ASSERT_EQ(device.sounds().size(), 1);
    platform::WaveImage beep;
    ASSERT_EQ(platform::parseWaveImage(device.sounds().front(), beep), 0u);
    EXPECT_EQ(beep.format, platform::pcmFormat(1, 22050, 8));
    EXPECT_EQ(beep.data.size(), 4824);
    EXPECT_TRUE(device.log().indexOf(QRegularExpression("^sound ")) < device.log().indexOf("open "));

    settings.BeepOnRecord = false;
    panel->StartRecording();
    EXPECT_EQ(beeps, 0);
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
