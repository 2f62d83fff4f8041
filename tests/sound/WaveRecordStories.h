// The stories of TWaveRecorder, told on the simulated device's virtual clock and on the libpulse device
// against the test sound server. A clock gives its device, writes a message of a given length, feeds the
// microphone a tone, moves the sound on (delivering what the device posted) and tells the time.
#pragma once

#include "platform/audio/WaveFile.h"
#include "sound/WaveRecord.h"

#include <QCoreApplication>
#include <QThread>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

// Counts the calls of one handler and notes when (by the clock) and on which thread the last came.
struct StoryHandler {
    std::function<qint64()> now = [] { return qint64(0); };
    int calls = 0;
    bool onUiThread = false;
    qint64 atMs = -1;
    TWaveNotifyEvent event()
    {
        return [this](TWaveRecorder *) {
            ++calls;
            onUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            atMs = now();
        };
    }
};

// The quietest stretch of `windowMs` in the sound (root mean square).
inline double quietestWindow(const std::vector<float> &s, int rate, int windowMs)
{
    const std::size_t n = std::size_t(rate) * windowMs / 1000;
    double quietest = 1e9;
    for (std::size_t start = 0; start + n <= s.size(); start += n) {
        double sum = 0;
        for (std::size_t i = start; i < start + n; ++i)
            sum += double(s[i]) * s[i];
        quietest = std::min(quietest, std::sqrt(sum / double(n)));
    }
    return quietest;
}

template <class Clock> class WaveRecordStories : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!clock.ready()) GTEST_SKIP() << "no test sound server (PULSE_SERVER); run through ctest";
        recorder = std::make_unique<TWaveRecorder>(clock.device());
    }
    StoryHandler handler()
    {
        return {[this] { return clock.nowMs(); }};
    }

    Clock clock;
    std::unique_ptr<TWaveRecorder> recorder;
};

TYPED_TEST_SUITE_P(WaveRecordStories);

TYPED_TEST_P(WaveRecordStories, StoppingAPlaybackCallsOnlyTheStopHandler)
{
    auto &clock = this->clock;
    this->recorder->FileName = clock.message(2000);
    StoryHandler played = this->handler(), stopped = this->handler();
    ASSERT_TRUE(this->recorder->PlayFile(played.event()));
    clock.run(300);
    ASSERT_TRUE(this->recorder->Stop(stopped.event()));
    EXPECT_EQ(stopped.calls, 0) << "called inside Stop";
    clock.run(2500);
    EXPECT_EQ(played.calls, 0);
    EXPECT_EQ(stopped.calls, 1);
    EXPECT_TRUE(stopped.onUiThread);
}

TYPED_TEST_P(WaveRecordStories,
             APlaybackPausedAndContinuedPlaysTheRestAndEndsWithOneCallOfTheLastHandlerOnTheUiThread)
{
    auto &clock = this->clock;
    this->recorder->FileName = clock.message(1000);
    StoryHandler played = this->handler(), paused = this->handler(), continued = this->handler();
    ASSERT_TRUE(this->recorder->PlayFile(played.event()));
    clock.run(300);
    ASSERT_TRUE(this->recorder->Pause(paused.event()));
    clock.run(1500);
    EXPECT_EQ(paused.calls, 1);
    EXPECT_EQ(continued.calls + played.calls, 0) << "the paused playback ended";
    const qint64 start = clock.nowMs();
    ASSERT_TRUE(this->recorder->Play(continued.event()));
    EXPECT_EQ(continued.calls, 0) << "called inside Play";
    for (int t = 0; t < 5000 && continued.calls == 0; t += 10)
        clock.run(10);
    clock.run(500);
    EXPECT_EQ(played.calls, 0);
    EXPECT_EQ(paused.calls, 1);
    EXPECT_EQ(continued.calls, 1);
    EXPECT_TRUE(continued.onUiThread);
    EXPECT_GE(continued.atMs - start, 400) << "the rest of the sound was not played";
    EXPECT_LE(continued.atMs - start, 700 + clock.SlackMs) << "more than the rest was played";
}

TYPED_TEST_P(WaveRecordStories, ARecordingPausedAndResumedGivesOneContinuousFileWithoutThePause)
{
    auto &clock = this->clock;
    TWaveRecorder &recorder = *this->recorder;
    const auto feed = clock.feedTone(6);
    recorder.Channels = 1;
    recorder.SamplesPerSec = 44100;
    recorder.BitsPerSample = 16;
    recorder.FileName = clock.dir.filePath("paused.wav");
    StoryHandler paused = this->handler();
    ASSERT_TRUE(recorder.Record());
    clock.run(1000);
    ASSERT_TRUE(recorder.Pause(paused.event()));
    clock.run(1000);
    ASSERT_TRUE(recorder.Resume());
    clock.run(1000);
    ASSERT_TRUE(recorder.Stop(nullptr));
    ASSERT_TRUE(recorder.Save()) << recorder.ErrorMessage().toStdString();
    recorder.Close();
    clock.run(100);
    EXPECT_EQ(paused.calls, 1);
    platform::WaveImage take;
    ASSERT_EQ(platform::readWaveFile(recorder.FileName, take), platform::WaveNoError);
    ASSERT_EQ(take.format, platform::pcmFormat(1, 44100, 16));
    std::vector<float> samples(std::size_t(take.data.size()) / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(take.data.constData() + 2 * i) / 32768.0f;
    EXPECT_NEAR(double(samples.size()) / 44100, 2.0, 0.15);
    EXPECT_GT(quietestWindow(samples, 44100, 10), 0.25) << "a gap where the recording was paused";
}

TYPED_TEST_P(WaveRecordStories, PlayFileOfAMissingFileFailsLeavesTheDeviceClosedAndStopThenFailsQuietly)
{
    TWaveRecorder &recorder = *this->recorder;
    recorder.FileName = this->clock.dir.filePath("missing.wav");
    StoryHandler first = this->handler(), second = this->handler();
    recorder.OnNotify = first.event();
    EXPECT_FALSE(recorder.PlayFile(second.event()));
    EXPECT_EQ(recorder.LastError, platform::WaveFileNotFound);
    EXPECT_EQ(recorder.DeviceID, 0u);
    recorder.OnNotify(&recorder);
    EXPECT_EQ(std::pair(first.calls, second.calls), std::pair(0, 1)) << "PlayFile replaced the handler";
    EXPECT_FALSE(recorder.Stop(first.event()));
    EXPECT_EQ(recorder.LastError, platform::WaveInvalidDeviceId);
    this->clock.run(200);
    EXPECT_EQ(first.calls, 0);
}

REGISTER_TYPED_TEST_SUITE_P(
    WaveRecordStories, StoppingAPlaybackCallsOnlyTheStopHandler,
    APlaybackPausedAndContinuedPlaysTheRestAndEndsWithOneCallOfTheLastHandlerOnTheUiThread,
    ARecordingPausedAndResumedGivesOneContinuousFileWithoutThePause,
    PlayFileOfAMissingFileFailsLeavesTheDeviceClosedAndStopThenFailsQuietly);
