// TWaveRecorder over the simulated device: the commands each operation sends, the one handler
// slot, and what reaches the owner when.
#include "sound/WaveRecord.h"

#include "WaveConvertSamples.h"
#include "WaveRecordStories.h"
#include "platform/audio/SimWaveDevice.h"
#include "platform/audio/WaveFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using platform::SimWaveDevice;

namespace {

void deliver()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

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
    qint64 nowMs() const { return sim.nowUs() / 1000; }
    void run(int milliseconds)
    {
        for (int t = 0; t < milliseconds; t += 10) {
            sim.advance(10);
            deliver();
        }
    }
    bool runUntil(const std::function<bool()> &done, int limitMs)
    {
        for (int t = 0; t < limitMs && !done(); t += 10)
            run(10);
        return done();
    }

    QTemporaryDir dir;
    SimWaveDevice sim;
};

class WaveRecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        recorder.FileName = dir.filePath("chirpel.wav");
    }

    // Half a second of 8000 Hz, 8-bit mono sound as the message file.
    void writeMessage()
    {
        platform::writeWaveFile(recorder.FileName, platform::pcmFormat(1, 8000, 8), QByteArray(4000, '\x80'));
    }
    void setFormat(quint8 channels, quint32 rate, quint16 bits)
    {
        recorder.Channels = channels;
        recorder.SamplesPerSec = rate;
        recorder.BitsPerSample = bits;
    }

    QTemporaryDir dir;
    SimWaveDevice device;
    TWaveRecorder recorder{device};
    StoryHandler first, second, third;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, WaveRecordStories, SimClock);

TEST_F(WaveRecordTest, PlayFileClosesOpensTheFileAndPlaysItAndOnlyASuccessfulNotificationCallsTheHandler)
{
    writeMessage();
    ASSERT_TRUE(recorder.PlayFile(first.event()));
    EXPECT_EQ(recorder.DeviceID, 1u);
    EXPECT_EQ(recorder.LastError, 0u);
    EXPECT_EQ(device.log(), (QStringList{"close 0", "open " + recorder.FileName, "play 1 notify"}));
    recorder.Play(second.event()); // supersedes the first play's notification
    device.advance(1000);
    deliver();
    EXPECT_EQ(first.calls, 0);
    EXPECT_EQ(second.calls, 1);

    device.failCommand(SimWaveDevice::Command::Play, platform::WaveHardware);
    EXPECT_TRUE(recorder.PlayFile(first.event())) << "PlayFile reports only the open";
    EXPECT_EQ(recorder.LastError, platform::WaveHardware);
}

TEST_F(WaveRecordTest, TheHandlerCalledIsTheOneInstalledWhenTheNotificationIsProcessed)
{
    writeMessage();
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
    device.advance(1000);
    deliver();
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 0);
}

TEST_F(WaveRecordTest,
       PlayFileOfAMissingFileFailsLeavesTheDeviceClosedAndTheHandlerReplacedAndStopThenFailsQuietly)
{
    recorder.OnNotify = first.event();
    EXPECT_FALSE(recorder.PlayFile(second.event()));
    EXPECT_EQ(recorder.LastError, platform::WaveFileNotFound);
    EXPECT_EQ(recorder.DeviceID, 0u);
    EXPECT_EQ(device.openElements(), 0);
    EXPECT_EQ(device.log(), (QStringList{"close 0", "open " + recorder.FileName}));
    recorder.OnNotify(&recorder);
    EXPECT_EQ(first.calls, 0);
    EXPECT_EQ(second.calls, 1);
    // Close gives the device's result and leaves LastError alone.
    EXPECT_EQ(recorder.Close(), platform::WaveInvalidDeviceId);
    EXPECT_EQ(recorder.LastError, platform::WaveFileNotFound);
    // Stop with nothing open fails quietly and calls no handler.
    EXPECT_FALSE(recorder.Stop(first.event()));
    EXPECT_EQ(recorder.LastError, platform::WaveInvalidDeviceId);
    deliver();
    EXPECT_EQ(first.calls, 0);
}

TEST_F(WaveRecordTest, RecordClosesOpensSetsTheFormatAndRecordsEachTakeOnAFreshElement)
{
    setFormat(2, 22050, 16);
    ASSERT_TRUE(recorder.Record());
    EXPECT_EQ(recorder.DeviceID, 1u);
    EXPECT_EQ(device.log(), (QStringList{"close 0", "open ", "set 1 1 2 22050 88200 4 16", "record 1"}));
    recorder.Record();
    EXPECT_EQ(recorder.DeviceID, 2u);
    EXPECT_EQ(device.openElements(), 1);
    EXPECT_TRUE(device.log().contains("close 1"));

    device.clearLog();
    device.setServerAvailable(false);
    EXPECT_FALSE(recorder.Record(first.event()));
    EXPECT_EQ(recorder.LastError, platform::WaveDeviceNotReady);
    EXPECT_EQ(recorder.DeviceID, 0u);
    EXPECT_EQ(device.log(), (QStringList{"close 2", "open "})) << "nothing else is tried";

    device.setServerAvailable(true);
    device.failCommand(SimWaveDevice::Command::Record, platform::WaveHardware);
    EXPECT_FALSE(recorder.Record());
    EXPECT_EQ(recorder.LastError, platform::WaveHardware);
}

TEST_F(WaveRecordTest, RecordAndResumeNeverNotifyAndResumeKeepsThePausesHandler)
{
    setFormat(1, 8000, 8);
    ASSERT_TRUE(recorder.Record(first.event()));
    device.advance(500);
    deliver();
    EXPECT_EQ(first.calls, 0);
    ASSERT_TRUE(recorder.Pause(second.event()));
    deliver();
    EXPECT_EQ(second.calls, 1);
    ASSERT_TRUE(recorder.Resume());
    device.advance(500);
    deliver();
    EXPECT_EQ(second.calls, 1);
    recorder.OnNotify(&recorder);
    EXPECT_EQ(second.calls, 2) << "Resume replaced the handler";
}

TEST_F(WaveRecordTest, SaveWritesTheStoppedTakeWithoutItsPausesInItsFormatOrTheDevicesDefault)
{
    const struct {
        quint8 channels;
        quint32 rate;
        quint16 bits;
        bool pause;
        platform::WaveFormat saved;
        qsizetype bytes;
    } takes[] = {
        {1, 8000, 8, false, platform::pcmFormat(1, 8000, 8), 2 * 8000},
        {1, 8000, 16, true, platform::pcmFormat(1, 8000, 16), 2 * 8000 * 2},
        {0, 0, 0, false, platform::pcmFormat(1, 11025, 8), 2 * 11025}, // no format: the device's own
    };
    device.setMicrophone([](double t) { return 0.5 * std::sin(2 * M_PI * 440 * t); });
    for (const auto &t : takes) {
        SCOPED_TRACE(t.rate);
        setFormat(t.channels, t.rate, t.bits);
        ASSERT_TRUE(recorder.Record());
        EXPECT_EQ(recorder.LastError, 0u);
        device.advance(1000);
        if (t.pause) {
            recorder.Pause(nullptr);
            device.advance(1000);
            recorder.Resume();
        }
        device.advance(1000);
        recorder.Stop(nullptr);
        ASSERT_TRUE(recorder.Save());
        EXPECT_EQ(device.log().last(),
                  "save " + QString::number(recorder.DeviceID) + " " + recorder.FileName);
        platform::WaveImage saved;
        ASSERT_EQ(platform::readWaveFile(recorder.FileName, saved), platform::WaveNoError);
        EXPECT_EQ(saved.format, t.saved);
        EXPECT_EQ(saved.data.size(), t.bytes);
        EXPECT_EQ(QFileInfo(recorder.FileName).size(), 44 + t.bytes);
    }
}

TEST_F(WaveRecordTest, AFailedSaveReturnsFalseKeepsTheOldMessageAndExplainsItself)
{
    writeMessage();
    const QString old = recorder.FileName;
    const QByteArray previous = samples::readFile(old);
    recorder.Record();
    device.advance(100);
    recorder.Stop(nullptr);
    recorder.FileName = dir.filePath("missing-folder/chirpel.wav");
    EXPECT_FALSE(recorder.Save());
    EXPECT_EQ(recorder.LastError, platform::WaveFileNotSaved);
    EXPECT_EQ(recorder.ErrorMessage(), platform::waveErrorText(platform::WaveFileNotSaved));
    EXPECT_EQ(samples::readFile(old), previous);
}

TEST_F(WaveRecordTest, DestroyingTheRecorderClosesTheDeviceAndNoNotificationReachesTheOwner)
{
    writeMessage();
    auto owned = std::make_unique<TWaveRecorder>(device);
    owned->FileName = recorder.FileName;
    owned->PlayFile(first.event());
    owned->Stop(second.event());
    owned.reset();
    deliver();
    EXPECT_EQ(first.calls + second.calls, 0);
    EXPECT_EQ(device.openElements(), 0);
    EXPECT_EQ(device.log().last(), "close 1");
}

TEST_F(WaveRecordTest, SetFormatDerivesAlignmentAndRateTruncatingTheAlignmentTo16BitsAndReportsARefusal)
{
    const struct {
        quint8 channels;
        quint32 rate;
        quint16 bits, align;
        quint32 average;
    } cases[] = {
        {1, 8000, 8, 1, 8000},          {2, 11025, 8, 2, 22050}, {1, 22050, 16, 2, 44100},
        {2, 44100, 16, 4, 176400},      {0, 0, 0, 0, 0},         {1, 8000, 4, 0, 0},
        {255, 2, 65535, 57312, 114624},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.channels) << " " << c.rate << " " << c.bits);
        const platform::WaveFormat f = recorderFormat(c.channels, c.rate, c.bits);
        EXPECT_EQ(f.formatTag, 1);
        EXPECT_EQ(std::tuple(f.channels, f.samplesPerSec, f.bitsPerSample, f.blockAlign, f.avgBytesPerSec),
                  std::tuple(c.channels, c.rate, c.bits, c.align, c.average));
    }
    quint32 id = 0;
    device.open(QString(), id);
    recorder.DeviceID = id;
    setFormat(3, 8000, 8);
    EXPECT_FALSE(recorder.SetFormat());
    EXPECT_EQ(recorder.LastError, platform::WaveOutOfRange);
}
