// RIFF WAVE images: what the device reads for playback and writes for a recording.
#include "platform/audio/WaveFile.h"

#include "fakes/FileSizeLimit.h"

#include <QDataStream>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// A RIFF chunk, padded to an even size.
QByteArray chunk(const char *id, const QByteArray &body)
{
    char size[4];
    qToLittleEndian(quint32(body.size()), size);
    return QByteArray(id, 4).append(size, 4).append(body).append(body.size() & 1 ? 1 : 0, '\0');
}

QByteArray fmt(quint16 tag, quint16 channels, quint32 rate, quint16 align, quint16 bits, int extra = -1)
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << tag << channels << rate << quint32(rate * align) << align << bits;
    if (extra >= 0) out << quint16(extra);
    return chunk("fmt ", body);
}

QByteArray riff(const QByteArray &chunks)
{
    return chunk("RIFF", "WAVE" + chunks);
}

} // namespace

// Written images are fmt then data with nothing between; the reader skips unknown chunks, takes a
// short data chunk in whole frames and refuses whatever is not playable.
TEST(WaveFileTest, ImagesAreWrittenAsRiffWaveFmtDataAndReadBackOrRefused)
{
    const QByteArray odd = QByteArray::fromHex("80ff007f81"), frames(16, '\x11');
    EXPECT_EQ(waveFileImage(pcmFormat(1, 11025, 8), odd), riff(fmt(1, 1, 11025, 1, 8) + chunk("data", odd)));
    const QByteArray stereo = waveFileImage(pcmFormat(2, 22050, 16), frames);
    EXPECT_EQ(stereo, riff(fmt(1, 2, 22050, 4, 16) + chunk("data", frames)));
    const QByteArray pcm = fmt(1, 1, 8000, 1, 8), data = chunk("data", "ab");
    const struct {
        const char *what;
        QByteArray bytes, samples; // samples read back; none when refused
    } cases[] = {
        {"written", stereo, frames},
        {"unknown chunks", riff(chunk("LIST", "odd") + pcm + chunk("fact", QByteArray(4, 0)) + data), "ab"},
        {"short data chunk", stereo.chopped(3), frames.left(12)},
        {"empty", QByteArray(), {}},
        {"not RIFF", QByteArray("RIFX") + riff(pcm).mid(4), {}},
        {"not WAVE", chunk("RIFF", QByteArray("AVI ") + pcm), {}},
        {"no format", riff(data), {}},
        {"no data", riff(pcm), {}},
        {"format too short", riff(chunk("fmt ", QByteArray(10, '\0')) + data), {}},
        {"ADPCM", riff(fmt(2, 1, 8000, 256, 4) + data), {}},
        {"12-bit", riff(fmt(1, 1, 8000, 2, 12) + data), {}},
        {"inconsistent alignment", riff(fmt(1, 2, 8000, 3, 16) + data), {}},
        {"no channels", riff(fmt(1, 0, 8000, 0, 16) + data), {}},
        {"GSM at an impossible rate",
         riff(fmt(49, 1, 524288000, 65, 0, 2) + chunk("data", QByteArray(65, 1))),
         {}},
    };
    for (const auto &c : cases) {
        WaveImage image;
        EXPECT_EQ(parseWaveImage(c.bytes, image), c.samples.isEmpty() ? WaveInvalidFile : WaveNoError)
            << c.what;
        EXPECT_EQ(image.data, c.samples) << c.what;
    }
    WaveImage back;
    parseWaveImage(stereo, back);
    EXPECT_EQ(back.format, pcmFormat(2, 22050, 16));
}

TEST(WaveFileTest, MissingAndUnreadableFilesAndMissingFoldersHaveTheirOwnCodesAndAFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    WaveImage image;
    EXPECT_EQ(readWaveFile(dir.filePath("absent.wav"), image), WaveFileNotFound);
    EXPECT_EQ(readWaveFile(QString(), image), WaveFileNotFound);
    EXPECT_EQ(readWaveFile(dir.path(), image), WaveFileRead);
    EXPECT_EQ(writeWaveFile(dir.filePath("no/such/folder.wav"), pcmFormat(1, 8000, 8), "ab"),
              WaveFileNotSaved);
    EXPECT_EQ(writeWaveFile(QString(), pcmFormat(1, 8000, 8), "ab"), WaveFileNotSaved);
    const QString target = dir.filePath("chirpel.wav");
    ASSERT_EQ(writeWaveFile(target, pcmFormat(1, 8000, 8), QByteArray(100, '\x80')), WaveNoError);
    {
        FileSizeLimit full(1000);
        EXPECT_EQ(writeWaveFile(target, pcmFormat(1, 8000, 8), QByteArray(5000, '\x40')), WaveFileNotSaved);
    }
    ASSERT_EQ(readWaveFile(target, image), WaveNoError);
    EXPECT_EQ(image.data, QByteArray(100, '\x80'));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"chirpel.wav"})
        << "no temporary file is left";
}

TEST(WaveFileTest, GsmCompressedMessagesAreDecodedForPlayback)
{
    if (QProcess::execute("sox", {"--version"}) != 0) GTEST_SKIP() << "sox is not installed";
    QTemporaryDir dir;
    const QString gsm = dir.filePath("gsm.wav");
    ASSERT_EQ(QProcess::execute("sox", {"-n", "-r", "8000", "-c", "1", "-e", "gsm-full-rate", gsm, "synth",
                                        "1", "sine", "440"}),
              0);
    WaveImage image;
    ASSERT_EQ(readWaveFile(gsm, image), WaveNoError);
    EXPECT_EQ(image.format, pcmFormat(1, 8000, 16));
    EXPECT_EQ(image.data.size(), 25 * 320 * 2) << "8000 samples round up to 25 blocks of 320";
    // A 440 Hz tone survives the codec: count its rising zero crossings in the middle.
    const auto *s = reinterpret_cast<const qint16 *>(image.data.constData());
    int crossings = 0;
    for (int i = 1000; i < 7000; ++i)
        crossings += (s[i - 1] < 0 && s[i] >= 0);
    EXPECT_NEAR(crossings, 440 * 6000 / 8000, 3);
}
