// TWaveRecorder over the simulated device: the commands each operation sends, the one handler slot, and
// the stories on the virtual clock.
#include "sound/WaveRecord.h"

#include "Deliver.h"
#include "WaveRecordStories.h"
#include "platform/audio/SimWaveDevice.h"
#include "platform/audio/WaveFile.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using platform::SimWaveDevice;

namespace {

// The simulated device's virtual clock, moved on in steps of 10 ms.
struct SimClock {
    static constexpr qint64 SlackMs = 10;
    bool ready() const { return true; }
    platform::WaveDevice &device() { return sim; }
    QString message(int milliseconds)
    {
        const QString path = dir.filePath(QStringLiteral("message-%1.wav").arg(milliseconds));
        platform::writeWaveFile(path, platform::pcmFormat(1, 8000, 8), QByteArray(8 * milliseconds, '\x80'));
        return path;
    }
    std::shared_ptr<void> feedTone(double)
    {
        sim.setMicrophone([](double t) { return 0.5 * std::sin(2 * M_PI * 440 * t); });
        return nullptr;
    }
    qint64 nowMs() const { return sim.nowUs() / 1000; }
    void run(int milliseconds)
    {
        for (int t = 0; t < milliseconds; t += 10) {
            sim.advance(10);
            deliver();
        }
    }

    QTemporaryDir dir;
    SimWaveDevice sim;
};

class WaveRecordTest : public ::testing::Test {
protected:
    void SetUp() override { recorder.FileName = clock.message(500); }

    SimClock clock;
    SimWaveDevice &device = clock.sim;
    TWaveRecorder recorder{device};
    StoryHandler first, second, third;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, WaveRecordStories, SimClock);

TEST_F(WaveRecordTest, PlayFileClosesOpensTheFileAndPlaysItAndOnlyASuccessfulNotificationCallsTheHandler)
{
    ASSERT_TRUE(recorder.PlayFile(first.event()));
    EXPECT_EQ(recorder.DeviceID, 1u);
    EXPECT_EQ(device.log(), (QStringList{"close 0", "open " + recorder.FileName, "play 1 notify"}));
    recorder.Play(second.event()); // supersedes the first play's notification
    clock.run(1000);
    EXPECT_EQ(first.calls, 0);
    EXPECT_EQ(second.calls, 1);

    device.failCommand(SimWaveDevice::Command::Play, platform::WaveHardware);
    EXPECT_TRUE(recorder.PlayFile(first.event())) << "PlayFile reports only the open";
    EXPECT_EQ(recorder.LastError, platform::WaveHardware);
}

TEST_F(WaveRecordTest, TheHandlerCalledIsTheOneInstalledWhenTheNotificationIsProcessed)
{
    recorder.PlayFile(first.event());
    recorder.Stop(second.event());
    recorder.OnNotify = third.event(); // the next take installs its handler before the stop is processed
    deliver();
    EXPECT_EQ(second.calls, 0);
    EXPECT_EQ(third.calls, 1);

    // A handler may install the next one while it runs.
    recorder.PlayFile([&](TWaveRecorder *r) {
        ++first.calls;
        r->OnNotify = second.event();
    });
    clock.run(1000);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 0);
}

TEST_F(WaveRecordTest, SetFormatDerivesAlignmentAndRateTruncatingTheAlignmentTo16BitsAndReportsARefusal)
{
    const struct {
        quint8 channels;
        quint32 rate;
        quint16 bits, align;
        quint32 average;
    } cases[] = {{2, 11025, 8, 2, 22050}, {1, 8000, 4, 0, 0}, {255, 2, 65535, 57312, 114624}};
    for (const auto &c : cases) {
        const platform::WaveFormat f = recorderFormat(c.channels, c.rate, c.bits);
        EXPECT_EQ(std::tuple(f.formatTag, f.channels, f.samplesPerSec, f.bitsPerSample, f.blockAlign,
                             f.avgBytesPerSec),
                  std::tuple(1, c.channels, c.rate, c.bits, c.align, c.average));
    }
    quint32 id = 0;
    device.open(QString(), id);
    recorder.DeviceID = id;
    recorder.Channels = 3, recorder.SamplesPerSec = 8000, recorder.BitsPerSample = 8;
    EXPECT_FALSE(recorder.SetFormat());
    EXPECT_EQ(recorder.LastError, platform::WaveOutOfRange);
}
