// Reading the message file's PCM header, the plain-PCM test and the byte streams under them.
#include "sound/WavFormatUtils.h"

#include "WaveConvertSamples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using platform::WaveFormatEx;
using samples::WaveSpec;

namespace {

struct HeaderRead {
    bool ok = false;
    WaveFormatEx format;
    uint32_t dataSize = 0;
    uint64_t position = 0;
};

HeaderRead readHeader(const QByteArray &file)
{
    TMemoryStream stream(samples::bytesOf(file));
    HeaderRead r;
    r.ok = ReadPcmWaveHeader(stream, r.format, r.dataSize);
    r.position = stream.Position();
    return r;
}

QByteArray factChunk(uint32_t value)
{
    QByteArray body;
    samples::appendU32(body, value);
    return samples::chunk("fact", body);
}

} // namespace

TEST(WavFormatUtils, ReadsTheRecordersHeaderAndStopsAtTheFirstDataByte)
{
    const QByteArray data(1000, '\x11');
    const QByteArray file = samples::waveFile({.channels = 2, .rate = 22050, .bits = 16}, data);

    const HeaderRead r = readHeader(file);

    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.format.formatTag, 1);
    EXPECT_EQ(r.format.channels, 2);
    EXPECT_EQ(r.format.samplesPerSec, 22050u);
    EXPECT_EQ(r.format.avgBytesPerSec, 88200u);
    EXPECT_EQ(r.format.blockAlign, 4);
    EXPECT_EQ(r.format.bitsPerSample, 16);
    EXPECT_EQ(r.dataSize, 1000u);
    EXPECT_EQ(r.position, 44u);
}

TEST(WavFormatUtils, GoesOnAfterTheWholeFormatBodyAndSkipsOneFactChunk)
{
    // A 20-byte body (extra bytes after the fixed fields) and a fact chunk before the data.
    const QByteArray file =
        samples::waveFile({.tag = 1, .formatSize = 20, .between = factChunk(1234)}, QByteArray(10, '\0'));

    const HeaderRead r = readHeader(file);

    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.dataSize, 10u);
    EXPECT_EQ(r.position, uint64_t(12 + 8 + 20 + 12 + 8));
}

TEST(WavFormatUtils, AcceptsADataChunkShorterThanItsHeaderSays)
{
    const QByteArray file = samples::waveFile({.dataSize = 64000}, QByteArray(100, '\0'));

    const HeaderRead r = readHeader(file);

    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.dataSize, 64000u);
}

struct BrokenHeader {
    const char *name;
    QByteArray file;
};

class WavFormatUtilsBroken : public testing::TestWithParam<BrokenHeader> {};

TEST_P(WavFormatUtilsBroken, IsNotReadAsPcm)
{
    EXPECT_FALSE(readHeader(GetParam().file).ok) << GetParam().name;
}

namespace {

QByteArray plain()
{
    return samples::waveFile({}, QByteArray(100, '\0'));
}

QByteArray replaced(QByteArray file, int at, const QByteArray &with)
{
    return file.replace(at, with.size(), with);
}

std::vector<BrokenHeader> brokenHeaders()
{
    QByteArray hugeFormat = plain();
    hugeFormat.replace(16, 4, QByteArray("\x00\x00\x01\x00", 4)); // format size 65536
    return {
        {"empty", QByteArray()},
        {"not RIFF", replaced(plain(), 0, "RIFX")},
        {"not WAVE", replaced(plain(), 8, "AVI ")},
        {"no fmt first", replaced(plain(), 12, "junk")},
        {"LIST between fmt and data",
         samples::waveFile({.between = samples::chunk("LIST", "INFOabcd")}, "xy")},
        {"two fact chunks", samples::waveFile({.between = factChunk(1) + factChunk(2)}, "xy")},
        {"format body of 14 bytes", samples::waveFile({.formatSize = 14}, "xy")},
        {"format size beyond the file", hugeFormat},
        {"fact size beyond the file",
         samples::waveFile({.between = QByteArray("fact\xff\xff\xff\x00", 8)}, QByteArray(8, '\0'))},
        {"ends before the data size", plain().left(42)},
        {"ends inside the format body", plain().left(30)},
    };
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Headers, WavFormatUtilsBroken, testing::ValuesIn(brokenHeaders()),
                         [](const testing::TestParamInfo<BrokenHeader> &info) {
                             QString n = QString::fromLatin1(info.param.name);
                             n.replace(QRegularExpression("[^A-Za-z0-9]"), "_");
                             return n.toStdString();
                         });

struct PcmCase {
    const char *name;
    WaveFormatEx format;
    bool plain;
};

class WavFormatUtilsPcmTest : public testing::TestWithParam<PcmCase> {};

TEST_P(WavFormatUtilsPcmTest, TellsPlainPcmThatCanBeConvertedSafely)
{
    EXPECT_EQ(IsPlainPcm(GetParam().format), GetParam().plain) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WavFormatUtilsPcmTest,
    testing::Values(PcmCase{"mono_8k_16bit", {1, 1, 8000, 16000, 2, 16, {}}, true},
                    PcmCase{"stereo_44k_16bit", {1, 2, 44100, 176400, 4, 16, {}}, true},
                    PcmCase{"mono_11k_8bit", {1, 1, 11025, 11025, 1, 8, {}}, true},
                    // Bits per sample are the codec's business, not the PCM test's.
                    PcmCase{"stereo_48k_24bit", {1, 2, 48000, 288000, 6, 24, {}}, true},
                    PcmCase{"gsm", {49, 1, 8000, 1625, 65, 0, {0x40, 0x01}}, false},
                    PcmCase{"three_channels", {1, 3, 8000, 48000, 6, 16, {}}, false},
                    PcmCase{"no_channels", {1, 0, 8000, 0, 0, 16, {}}, false},
                    PcmCase{"byte_rate_mismatch", {1, 1, 8000, 8000, 2, 16, {}}, false},
                    PcmCase{"block_alignment_0", {1, 1, 8000, 0, 0, 16, {}}, false},
                    PcmCase{"rate_1", {1, 1, 1, 2, 2, 16, {}}, false},
                    PcmCase{"rate_0", {1, 1, 0, 0, 2, 16, {}}, false},
                    PcmCase{"rate_1000000", {1, 1, 1000000, 2000000, 2, 16, {}}, false},
                    PcmCase{"lowest_rate", {1, 1, MinPcmRate, 2 * MinPcmRate, 2, 16, {}}, true},
                    PcmCase{"highest_rate", {1, 1, MaxPcmRate, 2 * MaxPcmRate, 2, 16, {}}, true}),
    [](const testing::TestParamInfo<PcmCase> &info) { return std::string(info.param.name); });

TEST(WavFormatUtils, MemoryStreamReadsToItsEndAndWritesAnywhere)
{
    TMemoryStream stream(std::vector<uint8_t>{1, 2, 3});
    uint8_t buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 3u);
    EXPECT_EQ(stream.Read(buffer, 8), 0u);

    stream.Seek(5);
    stream.WriteUInt16(0x0a0b);
    EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{1, 2, 3, 0, 0, 0x0b, 0x0a}));
    stream.Seek(1);
    stream.WriteUInt32(0x04030201);
    EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{1, 1, 2, 3, 4, 0x0b, 0x0a}));
    EXPECT_EQ(stream.Position(), 5u);
}

TEST(WavFormatUtils, FileStreamReadsAFileAndNamesTheFileItCannotOpen)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bin");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("abcdef");
    f.close();

    TFileStream stream(path.toStdString());
    char buffer[4] = {};
    stream.Seek(2);
    EXPECT_EQ(stream.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "cdef");
    EXPECT_EQ(stream.Size(), 6u);
    EXPECT_EQ(stream.Read(buffer, 4), 0u);
    EXPECT_THROW(stream.Write("x", 1), EStreamError);

    try {
        TFileStream missing(dir.filePath("missing.wav").toStdString());
        FAIL() << "a missing file opened";
    } catch (const EStreamError &e) {
        EXPECT_NE(std::string(e.what()).find("missing.wav"), std::string::npos) << e.what();
    }
    EXPECT_THROW(TFileStream(dir.path().toStdString()), EStreamError);
}

TEST(WavFormatUtils, SavingReplacesTheFileWholeKeepingItsPermissionsAndLeavingNothingElse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chirpel.wav");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(5000, 'a'));
    f.close();
    ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0640), 0);

    TMemoryStream(std::vector<uint8_t>{'n', 'e', 'w'}).SaveToFile(path.toStdString());

    QFile back(path);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), QByteArray("new"));
    struct stat info {};
    ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"chirpel.wav"});
}

TEST(WavFormatUtils, SavingThroughALinkReplacesTheLinkedFileAndKeepsTheLink)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("real.wav");
    const QString link = dir.filePath("link.wav");
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
    f.close();
    ASSERT_TRUE(QFile::link(target, link));

    TMemoryStream(std::vector<uint8_t>{'n', 'e', 'w'}).SaveToFile(link.toStdString());

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QFile back(target);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), QByteArray("new"));
}

TEST(WavFormatUtils, SavingThatFailsThrowsAndLeavesTheOldFileAndNoTemporaryBehind)
{
    QTemporaryDir dir;
    // The target is a folder: the new file is written but cannot take its place.
    const QString folder = dir.filePath("chirpel.wav");
    ASSERT_TRUE(QDir().mkdir(folder));

    EXPECT_THROW(TMemoryStream(std::vector<uint8_t>{1, 2}).SaveToFile(folder.toStdString()), EStreamError);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"chirpel.wav"});

    EXPECT_THROW(TMemoryStream().SaveToFile(dir.filePath("no/such/folder/x.wav").toStdString()),
                 EStreamError);
}
