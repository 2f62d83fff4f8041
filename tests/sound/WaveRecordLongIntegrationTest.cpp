// A long recording on the libpulse device holds every sample fed to the microphone, once.
#include "sound/WaveRecord.h"

#include "fakes/SoundServer.h"
#include "platform/audio/PulseWaveDevice.h"
#include "platform/audio/WaveFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <iostream>
#include <optional>
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

// Where the recorded window at `i` occurs in the fed sound, searching [from, to).
std::optional<std::size_t> locate(const std::vector<qint16> &recorded, std::size_t i,
                                  const std::vector<qint16> &fed, std::size_t from, std::size_t to)
{
    if (i + Window > recorded.size()) return std::nullopt;
    for (std::size_t j = from; j < to && j + Window <= fed.size(); ++j)
        if (std::equal(recorded.begin() + qsizetype(i), recorded.begin() + qsizetype(i + Window),
                       fed.begin() + qsizetype(j)))
            return j;
    return std::nullopt;
}

struct Comparison {
    std::size_t compared = 0;
    std::size_t lost = 0;     // fed samples missing from the recording
    std::size_t repeated = 0; // samples the recording holds twice
    std::size_t foreign = 0;  // recorded samples found nowhere near in what was fed
    bool aligned = false;
};

// Walks the recording along the fed sound; wherever they part, finds the recording's place
// again within a second and counts the jump.
Comparison compare(const std::vector<qint16> &recorded, const std::vector<qint16> &fed)
{
    Comparison c;
    const std::optional<std::size_t> start = locate(recorded, 0, fed, 0, fed.size());
    if (!start) return c;
    c.aligned = true;
    std::size_t j = *start;
    for (std::size_t i = 0; i < recorded.size(); ++i, ++j) {
        ++c.compared;
        if (j < fed.size() && recorded[i] == fed[j]) continue;
        const std::size_t from = j > std::size_t(Rate) ? j - Rate : 0;
        const std::optional<std::size_t> again = locate(recorded, i, fed, from, j + Rate);
        if (!again) {
            ++c.foreign;
            continue;
        }
        if (*again > j)
            c.lost += *again - j;
        else
            c.repeated += j - *again;
        j = *again;
    }
    return c;
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
    const Comparison c = compare(recorded, fed);
    std::cout << "recorded " << recorded.size() << " samples (" << double(recorded.size()) / Rate
              << " s): lost " << c.lost << ", repeated " << c.repeated << ", foreign " << c.foreign << "\n";
    RecordProperty("lost", int(c.lost));
    RecordProperty("repeated", int(c.repeated));
    ASSERT_TRUE(c.aligned) << "the recording does not hold the fed sound";
    EXPECT_EQ(c.lost, 0u);
    EXPECT_EQ(c.repeated, 0u);
    EXPECT_EQ(c.foreign, 0u);
}

TEST(WaveRecordLongIntegrationTest, TheComparisonCountsLostRepeatedAndForeignSamples)
{
    const std::vector<qint16> fed = noise(3);
    std::vector<qint16> recorded(fed.begin() + 1000, fed.begin() + 120000);
    recorded.erase(recorded.begin() + 30000, recorded.begin() + 30100); // 100 lost
    recorded.insert(recorded.begin() + 60000, recorded.begin() + 59950,
                    recorded.begin() + 60000);     // 50 repeated
    recorded[90000] = qint16(recorded[90000] + 1); // 1 foreign
    const Comparison c = compare(recorded, fed);
    EXPECT_TRUE(c.aligned);
    EXPECT_EQ(c.lost, 100u);
    EXPECT_EQ(c.repeated, 50u);
    EXPECT_EQ(c.foreign, 1u);
}
