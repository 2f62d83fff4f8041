// The play, stop and pause stories of TWaveRecorder, told on the simulated device's virtual clock and on
// the libpulse device against the test sound server. A clock gives its device, writes a message of a
// given length, moves the sound on (delivering what the device posted) and tells the time.
#pragma once

#include "sound/WaveRecord.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

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

TYPED_TEST_P(WaveRecordStories, APlayThatRunsToItsEndCallsItsHandlerOnceOnTheUiThreadAfterItWasHeard)
{
    auto &clock = this->clock;
    this->recorder->FileName = clock.message(1000);
    StoryHandler done = this->handler();
    const qint64 start = clock.nowMs();
    ASSERT_TRUE(this->recorder->PlayFile(done.event())) << this->recorder->ErrorMessage().toStdString();
    EXPECT_EQ(done.calls, 0) << "called inside PlayFile";
    ASSERT_TRUE(clock.runUntil([&] { return done.calls > 0; }, 5000));
    clock.run(500);
    EXPECT_EQ(done.calls, 1);
    EXPECT_TRUE(done.onUiThread);
    EXPECT_GE(done.atMs - start, 950) << "reported before the sound had been heard";
    EXPECT_LE(done.atMs - start, 1000 + clock.SlackMs);
}

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
             APlaybackPausedAndContinuedByPlayPlaysTheRestAndEndsWithOneCallOfTheLastHandler)
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
    ASSERT_TRUE(clock.runUntil([&] { return continued.calls > 0; }, 5000));
    clock.run(500);
    EXPECT_EQ(played.calls, 0);
    EXPECT_EQ(paused.calls, 1);
    EXPECT_EQ(continued.calls, 1);
    EXPECT_GE(continued.atMs - start, 400) << "the rest of the sound was not played";
    EXPECT_LE(continued.atMs - start, 700 + clock.SlackMs) << "more than the rest was played";
}

REGISTER_TYPED_TEST_SUITE_P(WaveRecordStories,
                            APlayThatRunsToItsEndCallsItsHandlerOnceOnTheUiThreadAfterItWasHeard,
                            StoppingAPlaybackCallsOnlyTheStopHandler,
                            APlaybackPausedAndContinuedByPlayPlaysTheRestAndEndsWithOneCallOfTheLastHandler);
