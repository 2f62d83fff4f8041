// The wave device's commands, states and notifications, on the simulated device's virtual clock.
// The play, stop and pause stories are told over both devices in tests/sound/WaveRecordStories.h.
#include "platform/audio/SimWaveDevice.h"
#include "platform/audio/WaveDeviceNotify.h"
#include "platform/audio/WaveFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

// A call-back object that keeps every notification it receives.
class Collector : public QObject {
public:
    struct Note {
        quint32 id;
        WaveNotifyCode code;
        bool operator==(const Note &) const = default;
    };
    std::vector<Note> notes;

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
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

constexpr auto Ok = WaveNotifyCode::Successful;
constexpr auto Aborted = WaveNotifyCode::Aborted;
constexpr auto Superseded = WaveNotifyCode::Superseded;

class WaveDeviceTest : public ::testing::Test {
protected:
    // One second of 8000 Hz, 8-bit mono sound.
    QString oneSecondFile()
    {
        const QString path = dir.filePath("second.wav");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(waveFileImage(pcmFormat(1, 8000, 8), QByteArray(8000, '\x80')));
        return path;
    }

    QTemporaryDir dir;
    SimWaveDevice device;
    Collector a, b;
};

} // namespace

TEST_F(WaveDeviceTest, ASecondPlaySupersedesTheFirstsNotification)
{
    quint32 id = 0;
    device.open(oneSecondFile(), id);
    device.play(id, &a);
    device.play(id, &b);
    device.advance(1000);
    deliver();
    EXPECT_EQ(a.notes, (std::vector<Collector::Note>{{id, Superseded}}));
    EXPECT_EQ(b.notes, (std::vector<Collector::Note>{{id, Ok}}));
}

TEST_F(WaveDeviceTest, PlayingAtTheEndCompletesAtOnceButStillFromTheEventLoop)
{
    quint32 id = 0;
    device.open(oneSecondFile(), id);
    device.play(id, nullptr);
    device.advance(1000);
    ASSERT_EQ(device.play(id, &a), WaveNoError);
    EXPECT_TRUE(a.notes.empty());
    deliver();
    EXPECT_EQ(a.notes, (std::vector<Collector::Note>{{id, Ok}}));
}

TEST_F(WaveDeviceTest, NotificationsArriveInTheOrderTheyHappened)
{
    quint32 first = 0, second = 0;
    device.open(oneSecondFile(), first);
    device.open(oneSecondFile(), second);
    device.play(first, &a);
    device.advance(500);
    device.play(second, &a);
    device.pause(first, &a);
    device.advance(1000);
    device.stop(first, &a);
    deliver();
    EXPECT_EQ(a.notes,
              (std::vector<Collector::Note>{{first, Aborted}, {first, Ok}, {second, Ok}, {first, Ok}}));
}

TEST_F(WaveDeviceTest, RecordingCapturesTheMicrophoneInTheElementsFormat)
{
    device.setMicrophone([](double) { return 0.5; });
    quint32 id = 0;
    ASSERT_EQ(device.open(QString(), id), WaveNoError);
    ASSERT_EQ(device.setFormat(id, pcmFormat(2, 8000, 16)), WaveNoError);
    ASSERT_EQ(device.record(id), WaveNoError);
    device.advance(250);
    qint64 bytes = 0;
    device.length(id, bytes);
    EXPECT_EQ(bytes, 2000 * 4);
    ASSERT_EQ(device.stop(id, nullptr), WaveNoError);

    const QString saved = dir.filePath("take.wav");
    ASSERT_EQ(device.save(id, saved), WaveNoError);
    WaveImage image;
    ASSERT_EQ(readWaveFile(saved, image), WaveNoError);
    EXPECT_EQ(image.format, pcmFormat(2, 8000, 16));
    ASSERT_EQ(image.data.size(), 8000);
    EXPECT_EQ(qFromLittleEndian<qint16>(image.data.constData() + 4000), 16384);
}

TEST_F(WaveDeviceTest, ANewElementRecordsInTheDefaultFormatUntilOneIsSet)
{
    quint32 id = 0;
    device.open(QString(), id);
    device.record(id);
    device.advance(1000);
    device.stop(id, nullptr);
    const QString saved = dir.filePath("take.wav");
    device.save(id, saved);
    WaveImage image;
    ASSERT_EQ(readWaveFile(saved, image), WaveNoError);
    EXPECT_EQ(image.format, pcmFormat(1, 11025, 8));
    EXPECT_EQ(image.data, QByteArray(11025, '\x80'));
}

TEST_F(WaveDeviceTest, PausingARecordingLeavesNoGapAndNoDuplicate)
{
    device.setMicrophone([](double) { return 0.25; });
    quint32 id = 0;
    device.open(QString(), id);
    device.setFormat(id, pcmFormat(1, 8000, 16));
    device.record(id);
    device.advance(333);
    device.pause(id, &a);
    device.advance(777);
    EXPECT_EQ(device.resume(id), WaveNoError);
    device.advance(444);
    device.stop(id, nullptr);
    deliver();
    EXPECT_EQ(a.notes, (std::vector<Collector::Note>{{id, Ok}}));
    // Exactly the recorded time, 333 + 444 ms at 8000 Hz: the pause adds nothing, loses nothing.
    qint64 bytes = 0;
    device.length(id, bytes);
    EXPECT_EQ(bytes, (2664 + 3552) * 2);
}

TEST_F(WaveDeviceTest, TheFormatIsSetOnlyOnAnEmptyElementAndOnlyToARecordableOne)
{
    quint32 id = 0;
    device.open(QString(), id);
    EXPECT_EQ(device.setFormat(id, pcmFormat(1, 0, 8)), WaveOutOfRange);
    EXPECT_EQ(device.setFormat(id, pcmFormat(1, 8000, 12)), WaveOutOfRange);
    EXPECT_EQ(device.setFormat(id, pcmFormat(1, 8000, 16)), WaveNoError);
    device.record(id);
    EXPECT_EQ(device.setFormat(id, pcmFormat(2, 8000, 16)), WaveNonapplicableFunction);
    quint32 file = 0;
    device.open(oneSecondFile(), file);
    EXPECT_EQ(device.setFormat(file, pcmFormat(2, 8000, 16)), WaveNonapplicableFunction);
}

TEST_F(WaveDeviceTest, CommandsOnAnUnknownIdentifierFailWithoutNotification)
{
    qint64 bytes = 0;
    EXPECT_EQ(device.play(7, &a), WaveInvalidDeviceId);
    EXPECT_EQ(device.stop(0, &a), WaveInvalidDeviceId);
    EXPECT_EQ(device.pause(7, &a), WaveInvalidDeviceId);
    EXPECT_EQ(device.resume(7), WaveInvalidDeviceId);
    EXPECT_EQ(device.record(7), WaveInvalidDeviceId);
    EXPECT_EQ(device.save(7, dir.filePath("x.wav")), WaveInvalidDeviceId);
    EXPECT_EQ(device.close(7), WaveInvalidDeviceId);
    EXPECT_EQ(device.length(7, bytes), WaveInvalidDeviceId);
    deliver();
    EXPECT_TRUE(a.notes.empty());
}

TEST_F(WaveDeviceTest, ResumeNeedsSomethingPaused)
{
    quint32 id = 0;
    device.open(oneSecondFile(), id);
    EXPECT_EQ(device.resume(id), WaveNonapplicableFunction);
    device.play(id, nullptr);
    EXPECT_EQ(device.resume(id), WaveNoError);
}

TEST_F(WaveDeviceTest, ClosingEndsTheElementAndAbortsItsPlay)
{
    quint32 id = 0;
    device.open(oneSecondFile(), id);
    device.play(id, &a);
    EXPECT_EQ(device.close(id), WaveNoError);
    EXPECT_EQ(device.close(id), WaveInvalidDeviceId);
    device.advance(2000);
    deliver();
    EXPECT_EQ(a.notes, (std::vector<Collector::Note>{{id, Aborted}}));
    EXPECT_EQ(device.openElements(), 0);
}

TEST_F(WaveDeviceTest, WithoutAServerNothingOpensAndNoSoundPlays)
{
    device.setServerAvailable(false);
    quint32 id = 99;
    EXPECT_EQ(device.open(QString(), id), WaveDeviceNotReady);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(device.playSound(waveFileImage(pcmFormat(1, 8000, 8), "ab")), WaveDeviceNotReady);
}

TEST_F(WaveDeviceTest, OpeningAMissingFileFailsBeforeTheServerIsAsked)
{
    quint32 id = 99;
    EXPECT_EQ(device.open(dir.filePath("missing.wav"), id), WaveFileNotFound);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(device.openElements(), 0);
}

TEST_F(WaveDeviceTest, PlaySoundReturnsOnceTheSoundHasBeenHeard)
{
    const QByteArray beep = waveFileImage(pcmFormat(1, 22050, 8), QByteArray(4824, '\x80'));
    EXPECT_EQ(device.playSound(beep), WaveNoError);
    EXPECT_EQ(device.nowUs(), 219000);
    EXPECT_EQ(device.sounds(), QList<QByteArray>{beep});
    EXPECT_EQ(device.playSound("not a wave"), WaveInvalidFile);
}

TEST(WaveNotifyQueueTest, EventsPostedFromAnotherThreadArriveInOrderOnTheUiThread)
{
    Collector target;
    NotifyQueue queue;
    std::unique_ptr<QThread> poster(QThread::create([&] {
        for (quint32 i = 1; i <= 500; ++i)
            queue.post(&target, std::make_unique<WaveNotifyEvent>(i, Ok));
    }));
    poster->start();
    poster->wait();
    deliver();
    ASSERT_EQ(target.notes.size(), 500u);
    for (quint32 i = 0; i < 500; ++i)
        ASSERT_EQ(target.notes[i].id, i + 1);
}

TEST(WaveNotifyQueueTest, EventsForADestroyedTargetAreDroppedAndTheOthersStillArrive)
{
    NotifyQueue queue;
    auto gone = std::make_unique<Collector>();
    Collector alive;
    queue.post(gone.get(), std::make_unique<WaveNotifyEvent>(1, Ok));
    queue.post(&alive, std::make_unique<WaveNotifyEvent>(2, Ok));
    gone.reset();
    deliver();
    EXPECT_EQ(alive.notes, (std::vector<Collector::Note>{{2, Ok}}));
}
