// Mixer controls over the simulated mixer: finding a control, peak meters, faders and the
// change notifications that keep every fader current.
#include "sound/EMixerUtils.h"

#include "Deliver.h"
#include "platform/mixer/SimMixer.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

using platform::MixerTable;
using platform::SimMixer;
using namespace platform::mixer;

namespace {

MixerTable::Control control(quint32 type, const char *name = "c")
{
    return {type, QString::fromLatin1(name), type == PeakMeter ? -32768 : 0,
            type == PeakMeter ? 32767 : 65535, 0};
}

MixerTable::Line line(quint32 type, std::vector<MixerTable::Control> controls,
                      std::vector<MixerTable::Line> sources = {}, quint32 channels = 1)
{
    return {type, channels, QStringLiteral("line"), std::move(controls), std::move(sources)};
}

// Counts the change events of one control and remembers the value it had then.
struct Changes {
    int calls = 0;
    qint32 valueSeen = -1;
    TMixerChangeEvent event()
    {
        return [this](TMixerLineControl *sender) {
            ++calls;
            if (auto *fader = dynamic_cast<TFader *>(sender)) valueSeen = fader->Value;
        };
    }
};

} // namespace

TEST(TMixerTest, FindControlSearchesDestinationsAndSourcesInIndexOrderAndTheFirstMatchWins)
{
    // Two speaker destinations: the first one's wave-out source has no peak meter, its second
    // wave-out source has one; the second destination has one too.
    SimMixer mixer(
        {line(DstWaveIn, {}, {line(SrcWaveOut, {control(PeakMeter, "wrong destination")})}),
         line(DstSpeakers, {},
              {line(SrcMicrophone, {control(PeakMeter, "wrong source")}),
               line(SrcWaveOut, {control(Volume, "volume")}),
               line(SrcWaveOut, {control(Volume), control(PeakMeter, "first"), control(PeakMeter, "twin")})}),
         line(DstSpeakers, {}, {line(SrcWaveOut, {control(PeakMeter, "later destination")})})});
    TMixer m(nullptr, mixer);
    platform::MixerControl found;
    ASSERT_TRUE(m.FindControl(DstSpeakers, SrcWaveOut, found, PeakMeter));
    EXPECT_EQ(found.name, "first");
    EXPECT_EQ(m.Line().componentType, SrcWaveOut);
}

TEST(TMixerTest, OfALongLineOnlyTheFirst65ControlsAreSeen)
{
    for (const std::size_t before : {64, 65, 500}) {
        std::vector<MixerTable::Control> controls(before, control(Volume));
        controls.push_back(control(PeakMeter, "meter"));
        SimMixer mixer({line(DstSpeakers, controls, {line(SrcWaveOut, controls)})});
        TMixer m(nullptr, mixer);
        platform::MixerControl found;
        EXPECT_EQ(m.FindControl(DstSpeakers, SrcWaveOut, found, PeakMeter), before < 65) << before;
        EXPECT_EQ(m.FindControl(DstSpeakers, -1, found, PeakMeter), before < 65) << before;
    }
}

TEST(TPeakMeterTest, BindsToThePlaybackAndTheRecordingLineAndReadsTheirAbsoluteLevels)
{
    SimMixer mixer;
    mixer.setPeak(MixerTable::PlaybackPeakId, 12000);
    mixer.setPeak(MixerTable::MicrophonePeakId, -500, 700);
    TPeakMeter output(nullptr, mixer), input(nullptr, mixer);
    input.LevelRight = 4321;
    ASSERT_TRUE(output.BindPlaybackMeter());
    ASSERT_TRUE(input.BindRecordingMeter());
    ASSERT_TRUE(output.Refresh());
    ASSERT_TRUE(input.Refresh());
    EXPECT_EQ(std::tuple(output.Level, input.Level, input.LevelRight), std::tuple(12000, 500, 4321))
        << "a one-channel line never writes the right level";

    SimMixer twoChannels({line(DstSpeakers, {}, {line(SrcWaveOut, {control(PeakMeter)}, {}, 2)})});
    twoChannels.setPeak(1, -32768, -20);
    TPeakMeter both(nullptr, twoChannels);
    ASSERT_TRUE(both.BindPlaybackMeter());
    ASSERT_TRUE(both.Refresh());
    EXPECT_EQ(std::tuple(both.Level, both.LevelRight), std::tuple(32768, 20));

    SimMixer noMeter({line(DstSpeakers, {control(Volume)})});
    TPeakMeter unbound(nullptr, noMeter);
    unbound.Level = 77;
    EXPECT_FALSE(unbound.BindPlaybackMeter());
    EXPECT_FALSE(unbound.Refresh());
    EXPECT_EQ(unbound.Level, 77) << "an unbound meter keeps its level";
}

TEST(TFaderTest, AnUnknownKindAMissingLineOrNoMixerSelectsNothing)
{
    SimMixer mixer, closed; // the standard lines have no wave playback volume
    closed.setServerAvailable(false);
    for (auto [kind, sim] : {std::pair{0, &mixer}, {3, &mixer}, {-1, &mixer}, {1, &closed}}) {
        SCOPED_TRACE(kind);
        Changes changes;
        TFader fader(changes.event(), *sim);
        const int readsBefore = sim->reads();
        fader.SelectLine(kind);
        EXPECT_EQ(sim->reads(), readsBefore);
        EXPECT_EQ(fader.Value, 0);
        EXPECT_FALSE(fader.Refresh());
        EXPECT_NE(fader.SetValue(100), platform::MixerNoError);
    }
}

TEST(TFaderTest,
     SettingTheMasterVolumeNotifiesEveryFaderFromTheEventLoopButNotForARefusedValueOrOnceDestroyed)
{
    SimMixer mixer;
    Changes writerChanges, twinChanges, micChanges;
    TFader writer(writerChanges.event(), mixer), mic(micChanges.event(), mixer), silent(nullptr, mixer);
    auto twin = std::make_unique<TFader>(twinChanges.event(), mixer);
    writer.SelectLine(1);
    twin->SelectLine(1);
    mic.SelectLine(2);
    silent.SelectLine(1);

    EXPECT_EQ(writer.SetValue(20000), platform::MixerNoError);
    EXPECT_EQ(twinChanges.calls, 0) << "notified inside SetValue";
    deliver();
    EXPECT_EQ(std::tuple(writerChanges.calls, twinChanges.calls, micChanges.calls), std::tuple(1, 1, 1));
    EXPECT_EQ(std::tuple(writerChanges.valueSeen, twinChanges.valueSeen, micChanges.valueSeen),
              std::tuple(20000, 20000, 65535));
    EXPECT_EQ(silent.Value, 65535) << "a fader without a change event is not re-read";
    EXPECT_EQ(writer.SetValue(20000), platform::MixerNoError); // the value it already has
    deliver();
    EXPECT_EQ(std::tuple(writerChanges.calls, twinChanges.calls), std::tuple(2, 2));

    EXPECT_EQ(writer.SetValue(70000), platform::MixerInvalidValue);
    EXPECT_EQ(writer.SetValue(-1), platform::MixerInvalidValue);
    deliver();
    EXPECT_EQ(twinChanges.calls, 2) << "nobody is told of a refused value";
    EXPECT_EQ(mixer.values(MixerTable::MasterVolumeId)[0], 20000);
    mixer.changeControl(MixerTable::MasterVolumeId, 5);
    const int handles = mixer.openHandles();
    twin.reset();
    deliver();
    EXPECT_EQ(twinChanges.calls, 2) << "a destroyed fader hears nothing more";
    EXPECT_EQ(mixer.openHandles(), handles - 1);
    EXPECT_EQ(writerChanges.calls, 3);
}
