// TWaveRecorder on the libpulse device against the private test sound server: recording from
// the virtual microphone, playback to the null sink, and the notifications that come back.
#include "sound/Beep.h"
#include "sound/WaveRecord.h"

#include "WaveConvertSamples.h"
#include "WaveRecordStories.h"
#include "fakes/SoundServer.h"
#include "platform/audio/PulseWaveDevice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace soundserver;

namespace {

constexpr double ToneHz = 440;

// Rising zero crossings a second.
double toneFrequency(const std::vector<float> &s, int rate)
{
    int crossings = 0;
    for (std::size_t i = 1; i < s.size(); ++i)
        crossings += s[i - 1] < 0 && s[i] >= 0;
    return crossings * double(rate) / double(s.size());
}

// A unix socket that accepts connections and never says a word.
struct SilentSocket {
    explicit SilentSocket(const QString &path)
    {
        sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
        qstrncpy(address.sun_path, path.toUtf8().constData(), sizeof address.sun_path);
        listening = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                    ::listen(fd, 4) == 0;
    }
    ~SilentSocket() { ::close(fd); }
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    bool listening = false;
};

// Real time on the test sound server; the end of a playback may come late by the server's latency.
struct PulseClock {
    static constexpr qint64 SlackMs = 3000;
    PulseClock() { clock.start(); }
    bool ready() const { return running(); }
    platform::WaveDevice &device() { return pulse; }
    QString message(int milliseconds)
    {
        const QString path = dir.filePath(QStringLiteral("tone-%1.wav").arg(milliseconds));
        EXPECT_TRUE(writeTone(path, ToneHz, milliseconds / 1000.0));
        return path;
    }
    std::shared_ptr<void> feedTone(double seconds)
    {
        auto feed = std::make_shared<Player>(message(int(seconds * 1000)));
        processEventsFor(800);
        return feed;
    }
    qint64 nowMs() const { return clock.elapsed(); }
    void run(int milliseconds) { processEventsFor(milliseconds); }

    QTemporaryDir dir;
    platform::PulseWaveDevice pulse;
    QElapsedTimer clock;
};

class WaveRecordIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!clock.ready()) GTEST_SKIP() << "no test sound server (PULSE_SERVER); run through ctest";
    }
    PulseClock clock;
    platform::WaveDevice &device = clock.device();
};

} // namespace

TEST_F(WaveRecordIntegrationTest, RecordingInEverySupportedFormatGivesAFileSoxReadsWithTheToneFedIn)
{
    std::vector<std::unique_ptr<TWaveRecorder>> takes;
    const auto feed = clock.feedTone(8);
    // All sixteen record at once from the one microphone.
    for (int rate : {8000, 11025, 22050, 44100})
        for (int channels : {1, 2})
            for (int bits : {8, 16}) {
                TWaveRecorder &t = *takes.emplace_back(std::make_unique<TWaveRecorder>(device));
                t.Channels = quint8(channels), t.SamplesPerSec = quint32(rate),
                t.BitsPerSample = quint16(bits);
                t.FileName =
                    clock.dir.filePath(QStringLiteral("take-%1-%2-%3.wav").arg(rate).arg(channels).arg(bits));
                ASSERT_TRUE(t.Record()) << t.ErrorMessage().toStdString();
            }
    processEventsFor(3000);
    for (auto &t : takes) {
        ASSERT_TRUE(t->Stop(nullptr));
        ASSERT_TRUE(t->Save()) << t->ErrorMessage().toStdString();
        t->Close();
    }
    for (const auto &t : takes) {
        SCOPED_TRACE(t->FileName.toStdString());
        QStringList soxSees;
        for (const char *field : {"-r", "-c", "-b", "-e"})
            soxSees << QString::fromUtf8(samples::run("soxi", {field, t->FileName}).out).trimmed();
        EXPECT_EQ(soxSees,
                  QStringList({QString::number(t->SamplesPerSec), QString::number(t->Channels),
                               QString::number(t->BitsPerSample),
                               t->BitsPerSample == 8 ? "Unsigned Integer PCM" : "Signed Integer PCM"}));
        const std::vector<float> samples = samples::decodedBySox(t->FileName);
        EXPECT_NEAR(double(samples.size()) / t->SamplesPerSec, 3.0, 0.25);
        EXPECT_NEAR(toneFrequency(samples, int(t->SamplesPerSec)), ToneHz, ToneHz * 0.01);
        EXPECT_GT(quietestWindow(samples, int(t->SamplesPerSec), 20), 0.25) << "a gap in the recording";
    }
}

INSTANTIATE_TYPED_TEST_SUITE_P(Pulse, WaveRecordStories, PulseClock);

TEST_F(WaveRecordIntegrationTest, TheBeepReturnsOnceItHasBeenHeard)
{
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(PlayResourceSync("BEEP", device));
    EXPECT_GE(clock.elapsed(), 210) << "returned before the 0.22 s beep was heard";
    EXPECT_FALSE(PlayResourceSync("NO_SUCH_SOUND", device));
}

TEST(WaveDeviceWithoutServerTest,
     OpeningFailsCleanlyWhenNoServerListensOrItNeverAnswersAndSucceedsOnceItIsThere)
{
    const QByteArray server = qgetenv("PULSE_SERVER");
    QTemporaryDir dir;
    SilentSocket silent(dir.filePath("silent")); // accepts the connection and then says nothing
    ASSERT_TRUE(silent.listening);
    qputenv("PULSE_SERVER", "unix:" + dir.filePath("silent").toUtf8());
    {
        platform::PulseWaveDevice device;
        quint32 id = 99;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(device.open(QString(), id), platform::WaveDeviceNotReady);
        EXPECT_EQ(id, 0u);
        EXPECT_LT(clock.elapsed(), 10000);
    }

    qputenv("PULSE_SERVER", "unix:" + dir.filePath("nobody-here").toUtf8());
    platform::PulseWaveDevice device;
    {
        TWaveRecorder recorder(device);
        EXPECT_FALSE(recorder.Record());
        EXPECT_EQ(recorder.LastError, platform::WaveDeviceNotReady);
        EXPECT_EQ(device.playSound("RIFF"), platform::WaveInvalidFile);
    }
    server.isNull() ? qunsetenv("PULSE_SERVER") : qputenv("PULSE_SERVER", server);
    if (!running()) GTEST_SKIP() << "no test sound server (PULSE_SERVER) to come back to";
    quint32 id = 0;
    EXPECT_TRUE(processEventsUntil([&] { return device.open(QString(), id) == platform::WaveNoError; }, 5000))
        << "a device that found no server finds it once it is there";
    device.close(id);
}
