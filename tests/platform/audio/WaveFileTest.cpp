// RIFF WAVE images: what the device reads for playback and writes for a recording.
#include "platform/audio/WaveFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace platform;

namespace {

QByteArray chunk(const char *id, const QByteArray &body)
{
    QByteArray out(id, 4);
    char size[4];
    qToLittleEndian(quint32(body.size()), size);
    out.append(size, 4).append(body);
    if (body.size() & 1) out.append('\0');
    return out;
}

QByteArray fmtBody(quint16 tag, quint16 channels, quint32 rate, quint16 align, quint16 bits, int extra = -1)
{
    QByteArray b(16, '\0');
    qToLittleEndian(tag, b.data());
    qToLittleEndian(channels, b.data() + 2);
    qToLittleEndian(rate, b.data() + 4);
    qToLittleEndian(quint32(rate * align), b.data() + 8);
    qToLittleEndian(align, b.data() + 12);
    qToLittleEndian(bits, b.data() + 14);
    if (extra >= 0) {
        char e[2];
        qToLittleEndian(quint16(extra), e);
        b.append(e, 2);
    }
    return b;
}

QByteArray riff(const QByteArray &chunks)
{
    return chunk("RIFF", QByteArray("WAVE") + chunks);
}

quint32 le32At(const QByteArray &b, int offset)
{
    return qFromLittleEndian<quint32>(b.constData() + offset);
}

} // namespace

TEST(WaveFileTest, WrittenFileHasRiffWaveFmtDataInThatOrderAndNothingBetween)
{
    const WaveFormat format = pcmFormat(2, 22050, 16);
    const QByteArray samples(400, '\x11');
    const QByteArray image = waveFileImage(format, samples);

    ASSERT_EQ(image.size(), 44 + 400);
    EXPECT_EQ(image.mid(0, 4), "RIFF");
    EXPECT_EQ(le32At(image, 4), quint32(image.size() - 8));
    EXPECT_EQ(image.mid(8, 4), "WAVE");
    EXPECT_EQ(image.mid(12, 4), "fmt ");
    EXPECT_EQ(le32At(image, 16), 16u);
    EXPECT_EQ(qFromLittleEndian<quint16>(image.constData() + 20), 1);
    EXPECT_EQ(qFromLittleEndian<quint16>(image.constData() + 22), 2);
    EXPECT_EQ(le32At(image, 24), 22050u);
    EXPECT_EQ(le32At(image, 28), 88200u);
    EXPECT_EQ(qFromLittleEndian<quint16>(image.constData() + 32), 4);
    EXPECT_EQ(qFromLittleEndian<quint16>(image.constData() + 34), 16);
    EXPECT_EQ(image.mid(36, 4), "data");
    EXPECT_EQ(le32At(image, 40), 400u);
    EXPECT_EQ(image.mid(44), samples);
}

TEST(WaveFileTest, AnOddDataSizeIsPaddedAndCountedInTheRiffSizeOnly)
{
    const QByteArray image = waveFileImage(pcmFormat(1, 8000, 8), QByteArray(5, '\x80'));
    ASSERT_EQ(image.size(), 44 + 5 + 1);
    EXPECT_EQ(le32At(image, 4), quint32(image.size() - 8));
    EXPECT_EQ(le32At(image, 40), 5u);
}

TEST(WaveFileTest, WhatIsWrittenReadsBackUnchanged)
{
    const WaveFormat format = pcmFormat(1, 11025, 8);
    const QByteArray samples = QByteArray::fromHex("80ff007f81");
    WaveImage image;
    ASSERT_EQ(parseWaveImage(waveFileImage(format, samples), image), WaveNoError);
    EXPECT_EQ(image.format, format);
    EXPECT_EQ(image.data, samples);
}

TEST(WaveFileTest, ReaderSkipsUnknownChunksAndTheirPadBytes)
{
    const QByteArray samples(8, '\x22');
    const QByteArray file = riff(chunk("LIST", "odd") + chunk("fmt ", fmtBody(1, 2, 8000, 4, 16)) +
                                 chunk("fact", QByteArray(4, '\0')) + chunk("data", samples));
    WaveImage image;
    ASSERT_EQ(parseWaveImage(file, image), WaveNoError);
    EXPECT_EQ(image.format, pcmFormat(2, 8000, 16));
    EXPECT_EQ(image.data, samples);
}

TEST(WaveFileTest, AShortDataChunkIsTakenAsFarAsItGoesInWholeFrames)
{
    QByteArray file = riff(chunk("fmt ", fmtBody(1, 2, 8000, 4, 16)) + chunk("data", QByteArray(16, '\x01')));
    file.chop(3); // the data chunk claims 16 bytes; 13 remain, 3 whole frames
    WaveImage image;
    ASSERT_EQ(parseWaveImage(file, image), WaveNoError);
    EXPECT_EQ(image.data.size(), 12);
}

TEST(WaveFileTest, ImagesThatAreNotPlayableWaveAreRefused)
{
    const QByteArray pcm = chunk("fmt ", fmtBody(1, 1, 8000, 1, 8));
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"not RIFF", QByteArray("RIFX") + riff(pcm).mid(4)},
        {"not WAVE", chunk("RIFF", QByteArray("AVI ") + pcm)},
        {"no format", riff(chunk("data", "ab"))},
        {"no data", riff(pcm)},
        {"format too short", riff(chunk("fmt ", QByteArray(10, '\0')) + chunk("data", "ab"))},
        {"ADPCM", riff(chunk("fmt ", fmtBody(2, 1, 8000, 256, 4)) + chunk("data", "ab"))},
        {"12-bit", riff(chunk("fmt ", fmtBody(1, 1, 8000, 2, 12)) + chunk("data", "ab"))},
        {"inconsistent alignment", riff(chunk("fmt ", fmtBody(1, 2, 8000, 3, 16)) + chunk("data", "ab"))},
        {"no channels", riff(chunk("fmt ", fmtBody(1, 0, 8000, 0, 16)) + chunk("data", "ab"))},
        {"GSM at an impossible rate",
         riff(chunk("fmt ", fmtBody(49, 1, 524288000, 65, 0, 2)) + chunk("data", QByteArray(65, '\x11')))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        WaveImage image;
        EXPECT_EQ(parseWaveImage(c.bytes, image), WaveInvalidFile);
    }
}

TEST(WaveFileTest, RecordableFormatsAreMonoOrStereoEightOrSixteenBitPcm)
{
    EXPECT_TRUE(isRecordableFormat(pcmFormat(1, 8000, 8)));
    EXPECT_TRUE(isRecordableFormat(pcmFormat(2, 44100, 16)));
    EXPECT_FALSE(isRecordableFormat(pcmFormat(1, 0, 8)));
    EXPECT_FALSE(isRecordableFormat(pcmFormat(3, 8000, 16)));
    EXPECT_FALSE(isRecordableFormat(pcmFormat(1, 8000, 24)));
    WaveFormat wrongRate = pcmFormat(1, 8000, 16);
    wrongRate.avgBytesPerSec = 8000;
    EXPECT_FALSE(isRecordableFormat(wrongRate));
    WaveFormat gsm = pcmFormat(1, 8000, 16);
    gsm.formatTag = 49;
    EXPECT_FALSE(isRecordableFormat(gsm));
}

TEST(WaveFileTest, MissingAndUnreadableFilesHaveTheirOwnCodes)
{
    QTemporaryDir dir;
    WaveImage image;
    EXPECT_EQ(readWaveFile(dir.filePath("absent.wav"), image), WaveFileNotFound);
    EXPECT_EQ(readWaveFile(QString(), image), WaveFileNotFound);
    EXPECT_EQ(readWaveFile(dir.path(), image), WaveFileRead);
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
    // 8000 samples round up to 25 blocks of 320.
    EXPECT_EQ(image.data.size(), 25 * 320 * 2);
    // A 440 Hz tone survives the codec: count its rising zero crossings in the middle second part.
    const auto *s = reinterpret_cast<const qint16 *>(image.data.constData());
    int crossings = 0;
    for (int i = 1000; i < 7000; ++i)
        crossings += (s[i - 1] < 0 && s[i] >= 0);
    EXPECT_NEAR(crossings, 440 * 6000 / 8000, 3);
}

TEST(WaveFileTest, AFailedWriteKeepsThePreviousFileAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("chirpel.wav");
    const QByteArray previous = waveFileImage(pcmFormat(1, 8000, 8), QByteArray(100, '\x80'));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(previous);
    }
    // A file-size limit makes the disk "full" after 1000 bytes, whoever runs the test.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const quint32 result = writeWaveFile(target, pcmFormat(1, 8000, 8), QByteArray(5000, '\x40'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, WaveFileNotSaved);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), previous);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"chirpel.wav"});
}

TEST(WaveFileTest, AWriteIntoAMissingFolderFails)
{
    QTemporaryDir dir;
    EXPECT_EQ(writeWaveFile(dir.filePath("no/such/folder.wav"), pcmFormat(1, 8000, 8), "ab"),
              WaveFileNotSaved);
    EXPECT_EQ(writeWaveFile(QString(), pcmFormat(1, 8000, 8), "ab"), WaveFileNotSaved);
}

TEST(WaveFileTest, DurationCountsWholeFrames)
{
    EXPECT_EQ(waveDurationUs(pcmFormat(2, 8000, 16), 32000), 1000000);
    EXPECT_EQ(waveDurationUs(pcmFormat(1, 22050, 8), 4824), 218775);
    EXPECT_EQ(waveDurationUs(WaveFormat{}, 100), 0);
}
