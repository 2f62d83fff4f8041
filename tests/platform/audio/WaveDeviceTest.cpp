// The wave device's commands, states and notifications, on the simulated device's virtual clock.
// The play, stop and pause stories are told over both devices in tests/sound/WaveRecordStories.h.
#include "platform/audio/SimWaveDevice.h"
#include "platform/audio/WaveDeviceNotify.h"
#include "platform/audio/WaveFile.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace platform;

namespace {

using Notes = std::vector<std::pair<quint32, WaveNotifyCode>>;

// A call-back object that keeps every notification it receives.
class Collector : public QObject {
public:
    Notes notes;
    bool event(QEvent *e) override
    {
        if (e->type() != WaveNotifyEvent::eventType()) return QObject::event(e);
        const auto *n = static_cast<WaveNotifyEvent *>(e);
        notes.push_back({n->deviceId(), n->code()});
        return true;
    }
};

void deliver()
{
    QCoreApplication::sendPostedEvents(), QCoreApplication::processEvents();
}

constexpr auto Ok = WaveNotifyCode::Successful;
constexpr auto Aborted = WaveNotifyCode::Aborted;

class WaveDeviceTest : public ::testing::Test {
protected:
    // Opens one second of 8000 Hz, 8-bit mono sound, or a new element for recording; its identifier.
    quint32 open(bool oneSecond = true)
    {
        const QString file = dir.filePath("second.wav");
        if (oneSecond) writeWaveFile(file, pcmFormat(1, 8000, 8), QByteArray(8000, '\x80'));
        quint32 id = 0;
        EXPECT_EQ(device.open(oneSecond ? file : QString(), id), WaveNoError);
        return id;
    }

    QTemporaryDir dir;
    SimWaveDevice device;
    Collector a, b;
};

} // namespace

TEST_F(WaveDeviceTest, ASecondPlaySupersedesTheFirstsNotificationAndOneAtTheEndCompletesFromTheEventLoop)
{
    const quint32 id = open();
    device.play(id, &a);
    device.play(id, &b);
    device.advance(1000);
    deliver();
    EXPECT_EQ(a.notes, (Notes{{id, WaveNotifyCode::Superseded}}));
    EXPECT_EQ(b.notes, (Notes{{id, Ok}}));
    ASSERT_EQ(device.play(id, &b), WaveNoError);
    EXPECT_EQ(b.notes.size(), 1u) << "not inside the command";
    deliver();
    EXPECT_EQ(b.notes, (Notes{{id, Ok}, {id, Ok}}));
}

TEST_F(WaveDeviceTest, NotificationsArriveInTheOrderTheyHappened)
{
    const quint32 first = open(), second = open();
    device.play(first, &a);
    device.advance(500);
    device.play(second, &a);
    device.pause(first, &a);
    device.advance(1000);
    device.stop(first, &a);
    deliver();
    EXPECT_EQ(a.notes, (Notes{{first, Aborted}, {first, Ok}, {second, Ok}, {first, Ok}}));
}

TEST_F(WaveDeviceTest, RecordingCapturesTheMicrophoneInTheElementsFormat)
{
    device.setMicrophone([](double) { return 0.5; });
    const quint32 id = open(false);
    qint64 bytes = 0;
    ASSERT_EQ(device.setFormat(id, pcmFormat(2, 8000, 16)), WaveNoError);
    ASSERT_EQ(device.record(id), WaveNoError);
    device.advance(250);
    device.length(id, bytes);
    EXPECT_EQ(bytes, 2000 * 4);
    ASSERT_EQ(device.stop(id, nullptr), WaveNoError);
    ASSERT_EQ(device.save(id, dir.filePath("take.wav")), WaveNoError);
    WaveImage image;
    ASSERT_EQ(readWaveFile(dir.filePath("take.wav"), image), WaveNoError);
    EXPECT_EQ(image.format, pcmFormat(2, 8000, 16));
    ASSERT_EQ(image.data.size(), 8000);
    EXPECT_EQ(qFromLittleEndian<qint16>(image.data.constData() + 4000), 16384);
}

TEST_F(WaveDeviceTest, PausingARecordingLeavesNoGapAndNoDuplicate)
{
    device.setMicrophone([](double) { return 0.25; });
    const quint32 id = open(false);
    device.setFormat(id, pcmFormat(1, 8000, 16));
    device.record(id);
    device.advance(333);
    device.pause(id, &a);
    device.advance(777);
    EXPECT_EQ(device.resume(id), WaveNoError);
    device.advance(444);
    device.stop(id, nullptr);
    deliver();
    EXPECT_EQ(a.notes, (Notes{{id, Ok}}));
    qint64 bytes = 0; // exactly 333 + 444 ms at 8000 Hz: the pause adds nothing, loses nothing
    device.length(id, bytes);
    EXPECT_EQ(bytes, (2664 + 3552) * 2);
}

TEST_F(WaveDeviceTest, TheFormatIsSetOnlyOnAnEmptyElementAndOnlyToARecordableOne)
{
    const quint32 id = open(false);
    EXPECT_EQ(device.setFormat(id, pcmFormat(1, 0, 8)), WaveOutOfRange);
    EXPECT_EQ(device.setFormat(id, pcmFormat(1, 8000, 12)), WaveOutOfRange);
    EXPECT_EQ(device.setFormat(id, pcmFormat(1, 8000, 16)), WaveNoError);
    device.record(id);
    EXPECT_EQ(device.setFormat(id, pcmFormat(2, 8000, 16)), WaveNonapplicableFunction);
    const quint32 file = open();
    EXPECT_EQ(device.setFormat(file, pcmFormat(2, 8000, 16)), WaveNonapplicableFunction);
    EXPECT_EQ(device.resume(file), WaveNonapplicableFunction) << "nothing is paused";
    device.play(file, nullptr);
    EXPECT_EQ(device.resume(file), WaveNoError);
}

TEST_F(WaveDeviceTest, ClosingAbortsThePlayAndLeavesAnIdentifierThatEveryCommandRefuses)
{
    const quint32 id = open();
    device.play(id, &a);
    EXPECT_EQ(device.close(id), WaveNoError);
    qint64 bytes = 0;
    for (const quint32 unknown : {id, 0u, 7u}) {
        EXPECT_EQ(device.play(unknown, &b), WaveInvalidDeviceId);
        EXPECT_EQ(device.stop(unknown, &b), WaveInvalidDeviceId);
        EXPECT_EQ(device.pause(unknown, &b), WaveInvalidDeviceId);
        EXPECT_EQ(device.resume(unknown), WaveInvalidDeviceId);
        EXPECT_EQ(device.record(unknown), WaveInvalidDeviceId);
        EXPECT_EQ(device.save(unknown, dir.filePath("x.wav")), WaveInvalidDeviceId);
        EXPECT_EQ(device.close(unknown), WaveInvalidDeviceId);
        EXPECT_EQ(device.length(unknown, bytes), WaveInvalidDeviceId);
    }
    device.advance(2000);
    deliver();
    EXPECT_EQ(a.notes, (Notes{{id, Aborted}}));
    EXPECT_TRUE(b.notes.empty());
    EXPECT_EQ(device.openElements(), 0);
}

TEST_F(WaveDeviceTest, PlaySoundTakesTheSoundsTimeAndWithoutAServerNothingOpensOrPlays)
{
    const QByteArray beep = waveFileImage(pcmFormat(1, 22050, 8), QByteArray(4824, '\x80'));
    EXPECT_EQ(device.playSound(beep), WaveNoError);
    EXPECT_EQ(device.nowUs(), 219000) << "it returns once the sound has been heard";
    EXPECT_EQ(device.playSound("not a wave"), WaveInvalidFile);
    quint32 id = 99;
    EXPECT_EQ(device.open(dir.filePath("missing.wav"), id), WaveFileNotFound);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(device.openElements(), 0) << "a missing file fails before the server is asked";
    device.setServerAvailable(false);
    id = 99;
    EXPECT_EQ(device.open(QString(), id), WaveDeviceNotReady);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(device.playSound(beep), WaveDeviceNotReady);
    EXPECT_EQ(device.sounds(), QList<QByteArray>{beep});
}

TEST(WaveNotifyQueueTest, EventsFromAnotherThreadArriveInOrderAndThoseForADestroyedTargetAreDropped)
{
    Collector target;
    auto gone = std::make_unique<Collector>();
    NotifyQueue queue;
    queue.post(gone.get(), std::make_unique<WaveNotifyEvent>(0, Ok));
    std::unique_ptr<QThread> poster(QThread::create([&] {
        for (quint32 i = 1; i <= 500; ++i)
            queue.post(&target, std::make_unique<WaveNotifyEvent>(i, Ok));
    }));
    poster->start();
    poster->wait();
    gone.reset();
    deliver();
    ASSERT_EQ(target.notes.size(), 500u);
    for (quint32 i = 0; i < 500; ++i)
        ASSERT_EQ(target.notes[i].first, i + 1);
}
