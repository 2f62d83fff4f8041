// Mixer controls on the libpulse mixer against the private test sound server: peak meters of
// what is played and recorded, and faders that follow the default sink's and source's volume.
#include "sound/EMixerUtils.h"

#include "fakes/SoundServer.h"
#include "platform/mixer/PulseMixer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>

using namespace soundserver;

namespace {

// The highest level a meter shows when polled like the recorder panel does, and the failed reads.
struct Readings {
    qint32 highest = -1;
    int failed = 0;
};

Readings poll(TPeakMeter &meter, int ms)
{
    Readings r;
    for (int t = 0; t < ms; t += 75) {
        processEventsFor(75);
        if (meter.Refresh())
            r.highest = std::max(r.highest, meter.Level);
        else
            ++r.failed;
    }
    return r;
}

TMixerChangeEvent counting(int &calls)
{
    return [&calls](TMixerLineControl *) { ++calls; };
}

class EMixerUtilsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!running()) GTEST_SKIP() << "no test sound server (PULSE_SERVER); run through ctest";
        ASSERT_TRUE(dir.isValid());
        TearDown();
    }
    void TearDown() override
    {
        if (!running()) return;
        pactl({"set-sink-volume", "@DEFAULT_SINK@", "100%"});
        pactl({"set-source-volume", "@DEFAULT_SOURCE@", "100%"});
    }

    QString tone(double seconds)
    {
        const QString file = dir.filePath("tone.wav");
        EXPECT_TRUE(writeTone(file, 440, seconds));
        return file;
    }

    QTemporaryDir dir;
    platform::PulseMixer mixer;
};

} // namespace

TEST_F(EMixerUtilsIntegrationTest, BothMetersShowWhatIsPlayedAndHeardAndZeroInSilence)
{
    TPeakMeter output(nullptr, mixer), input(nullptr, mixer);
    ASSERT_TRUE(output.BindPlaybackMeter());
    ASSERT_TRUE(input.BindRecordingMeter());
    {
        Player playing(tone(1.5), QStringLiteral("spk"));
        const Readings played = poll(output, 1200);
        EXPECT_EQ(played.failed, 0);
        EXPECT_GT(played.highest, 12000) << "a tone of half the full scale should read about 16384";
        EXPECT_LE(played.highest, 32768);
        playing.waitForEnd(3000);
    }
    {
        Player feed(tone(1.5));
        EXPECT_GT(poll(input, 1200).highest, 12000) << "what the microphone hears";
        feed.waitForEnd(3000);
    }
    for (TPeakMeter *meter : {&output, &input}) {
        poll(*meter, 300); // what was still on its way
        const Readings silent = poll(*meter, 600);
        EXPECT_EQ(silent.failed, 0);
        EXPECT_EQ(silent.highest, 0);
    }
}

TEST_F(EMixerUtilsIntegrationTest, ThePlaybackMeterFollowsTheDefaultSinkToItsMonitor)
{
    TPeakMeter meter(nullptr, mixer);
    ASSERT_TRUE(meter.BindPlaybackMeter());
    poll(meter, 300); // the meter's stream runs on spk's monitor
    const QString module = pactl({"load-module", "module-null-sink", "sink_name=other"}).trimmed();
    pactl({"set-default-sink", "other"});
    processEventsFor(300);
    {
        // An idle null sink without the fixture's loopbacks hands out its sound in 2-second blocks.
        Player playing(tone(3.5), QStringLiteral("other"));
        EXPECT_GT(poll(meter, 3000).highest, 12000) << "the tone on the new default sink";
        playing.waitForEnd(4000);
    }
    pactl({"set-default-sink", "spk"});
    pactl({"unload-module", module});
}

TEST_F(EMixerUtilsIntegrationTest, FadersFollowVolumeChangesFromAnywhereOnceEachAndNotAStreamStarting)
{
    int firstCalls = 0, secondCalls = 0, micCalls = 0;
    TFader first(counting(firstCalls), mixer), second(counting(secondCalls), mixer),
        mic(counting(micCalls), mixer);
    first.SelectLine(1);
    second.SelectLine(1);
    mic.SelectLine(2);
    EXPECT_EQ(std::pair(first.Value, mic.Value), std::pair(65535, 65535));
    Player(tone(0.5), "spk").waitForEnd(3000);
    processEventsFor(300);
    EXPECT_EQ(firstCalls, 0) << "a stream starting on the sink is no volume change";

    pactl({"set-sink-volume", "@DEFAULT_SINK@", "50%"});
    ASSERT_TRUE(processEventsUntil([&] { return firstCalls > 0 && secondCalls > 0 && micCalls > 0; }, 3000));
    EXPECT_EQ(std::tuple(first.Value, second.Value, mic.Value), std::tuple(32768, 32768, 65535));
    pactl({"set-source-volume", "@DEFAULT_SOURCE@", "25%"});
    ASSERT_TRUE(processEventsUntil([&] { return micCalls > 1; }, 3000));
    EXPECT_EQ(mic.Value, 16384);

    processEventsFor(300);
    const int before = secondCalls;
    ASSERT_EQ(first.SetValue(19661), platform::MixerNoError); // 30 %
    ASSERT_TRUE(processEventsUntil([&] { return secondCalls > before; }, 3000));
    processEventsFor(300);
    EXPECT_EQ(secondCalls, before + 1) << "one change, one notification";
    EXPECT_EQ(std::pair(first.Value, second.Value), std::pair(19661, 19661));
    EXPECT_TRUE(pactl({"get-sink-volume", "@DEFAULT_SINK@"}).contains("30%"))
        << pactl({"get-sink-volume", "@DEFAULT_SINK@"}).toStdString();
}
