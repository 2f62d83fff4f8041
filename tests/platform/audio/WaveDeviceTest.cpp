// The wave device's commands, states and notifications, on the simulated device's virtual clock.
// The play, stop and pause stories are told over both devices in tests/sound/WaveRecordStories.h.
#include "platform/audio/SimWaveDevice.h"
#include "platform/audio/WaveDeviceNotify.h"
#include "platform/audio/WaveFile.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
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
    // One second of 8000 Hz 8-bit mono sound, or a new element for recording; its identifier.
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

// Closing aborts a play and every command refuses the closed identifier; an object gone gets nothing.
TEST_F(WaveDeviceTest, NotificationsArriveFromTheEventLoopInOrderASecondPlaySupersedesAndClosingAborts)
{
    const quint32 first = open(), second = open(), third = open();
    device.play(first, &a);
    device.play(first, &b);
    device.advance(500);
    device.play(second, &b);
    device.pause(first, &b);
    device.advance(1000);
    device.stop(first, &b);
    ASSERT_EQ(device.play(second, &b), WaveNoError); // at its end: completes at once
    device.play(third, &a);
    EXPECT_EQ(device.close(third), WaveNoError);
    qint64 bytes = 0;
    for (const quint32 result : {device.play(third, &b), device.stop(third, &b), device.pause(third, &b),
                                 device.resume(third), device.record(third), device.save(third, QString()),
                                 device.close(third), device.length(third, bytes)})
        EXPECT_EQ(result, WaveInvalidDeviceId);
    auto gone = std::make_unique<Collector>();
    device.play(second, gone.get());
    gone.reset();
    EXPECT_TRUE(a.notes.empty() && b.notes.empty()) << "not inside the commands";
    deliver();
    EXPECT_EQ(a.notes, (Notes{{first, WaveNotifyCode::Superseded}, {third, Aborted}}));
    EXPECT_EQ(b.notes, (Notes{{first, Aborted}, {first, Ok}, {second, Ok}, {first, Ok}, {second, Ok}}));
}

TEST_F(WaveDeviceTest, TheFormatIsSetOnlyOnAnEmptyElementAndOnlyToMonoOrStereoEightOrSixteenBitPcm)
{
    const quint32 id = open(false);
    WaveFormat wrongRate = pcmFormat(1, 8000, 16), gsm = wrongRate;
    wrongRate.avgBytesPerSec = 8000;
    gsm.formatTag = 49;
    for (const WaveFormat &format : {pcmFormat(1, 0, 8), pcmFormat(1, 8000, 12), pcmFormat(3, 8000, 16),
                                     pcmFormat(1, 8000, 24), wrongRate, gsm})
        EXPECT_EQ(device.setFormat(id, format), WaveOutOfRange)
            << format.channels << " " << format.bitsPerSample;
    EXPECT_EQ(device.setFormat(id, pcmFormat(1, 44100, 8)), WaveNoError);
    EXPECT_EQ(device.setFormat(id, pcmFormat(1, 8000, 16)), WaveNoError);
    device.record(id);
    EXPECT_EQ(device.setFormat(id, pcmFormat(2, 8000, 16)), WaveNonapplicableFunction);
    const quint32 file = open();
    EXPECT_EQ(device.setFormat(file, pcmFormat(2, 8000, 16)), WaveNonapplicableFunction);
    EXPECT_EQ(device.resume(file), WaveNonapplicableFunction) << "nothing is paused";
    device.play(file, nullptr);
    EXPECT_EQ(device.resume(file), WaveNoError);
}
