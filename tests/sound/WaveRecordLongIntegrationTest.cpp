// A long recording on the libpulse device holds every sample fed to the microphone, once.
#include "sound/WaveRecord.h"

#include "fakes/SoundServer.h"
#include "platform/audio/PulseWaveDevice.h"
#include "platform/audio/WaveFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace soundserver;

namespace {

constexpr int Rate = 44100;
constexpr int Window = 32; // samples of noise that identify a place in it

// Reproducible white noise at about half the full scale.
std::vector<qint16> noise(int seconds)
{
    std::vector<qint16> samples(std::size_t(seconds) * Rate);
    quint32 state = 12345;
    for (qint16 &s : samples) {
        state = state * 1664525u + 1013904223u;
        s = qint16(int(state >> 16) % 32768 - 16384);
    }
    return samples;
}

} // namespace

TEST(WaveRecordLongIntegrationTest, SixtySecondsRecordedMatchWhatWasFedSampleForSample)
{
    if (!running()) GTEST_SKIP() << "no test sound server (PULSE_SERVER); run through ctest";
    QTemporaryDir dir;
    const std::vector<qint16> fed = noise(66);
    const QString feedFile = dir.filePath("noise.wav");
    ASSERT_EQ(platform::writeWaveFile(feedFile, platform::pcmFormat(1, Rate, 16),
                                      QByteArray(reinterpret_cast<const char *>(fed.data()),
                                                 qsizetype(fed.size() * sizeof(qint16)))),
              platform::WaveNoError);

    platform::PulseWaveDevice device;
    TWaveRecorder recorder(device);
    // The microphone's own format: what arrives is exactly what was fed, so any difference
    // is a sample the recording lost or repeated.
    recorder.Channels = 2;
    recorder.SamplesPerSec = Rate;
    recorder.BitsPerSample = 16;
    recorder.FileName = dir.filePath("long.wav");
    Player feed(feedFile);
    ASSERT_TRUE(feed.started());
    processEventsFor(1000);
    ASSERT_TRUE(recorder.Record()) << recorder.ErrorMessage().toStdString();
    processEventsFor(60000);
    ASSERT_TRUE(recorder.Stop(nullptr));
    ASSERT_TRUE(recorder.Save()) << recorder.ErrorMessage().toStdString();
    recorder.Close();

    platform::WaveImage take;
    ASSERT_EQ(platform::readWaveFile(recorder.FileName, take), platform::WaveNoError);
    std::vector<qint16> recorded(std::size_t(take.data.size()) / 4); // the left channel
    for (std::size_t k = 0; k < recorded.size(); ++k)
        recorded[k] = qFromLittleEndian<qint16>(take.data.constData() + 4 * k);
    ASSERT_GT(recorded.size(), std::size_t(59 * Rate));
    // Where the recording starts in the noise; from there on every sample must follow, none lost or repeated.
    const auto start = std::search(fed.begin(), fed.end(), recorded.begin(), recorded.begin() + Window);
    ASSERT_NE(start, fed.end()) << "the recording does not hold the fed sound";
    ASSERT_LE(std::size_t(start - fed.begin()) + recorded.size(), fed.size());
    const auto parted = std::mismatch(recorded.begin(), recorded.end(), start).first;
    EXPECT_EQ(parted, recorded.end()) << "parts from what was fed at sample " << (parted - recorded.begin());
}
