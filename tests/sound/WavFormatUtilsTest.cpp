// Reading the message file's PCM header, the plain-PCM test and the byte streams under them.
#include "sound/WavFormatUtils.h"

#include "WaveConvertSamples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <tuple>

#include <sys/stat.h>

using platform::WaveFormatEx;

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
    samples::put(body, value);
    return samples::chunk("fact", body);
}

} // namespace

TEST(WavFormatUtils, ReadsTheHeaderAndStopsAtTheFirstDataByte)
{
    // Plain; a 20-byte format body and a fact chunk before the data; a data chunk shorter than it says.
    const struct {
        QByteArray file;
        uint32_t dataSize;
        uint64_t position;
    } cases[] = {{samples::waveFile({.channels = 2, .rate = 22050}, QByteArray(1000, '\x11')), 1000, 44},
                 {samples::waveFile({.formatSize = 20, .between = factChunk(1234)}, "0123456789"), 10,
                  12 + 8 + 20 + 12 + 8},
                 {samples::waveFile({.dataSize = 64000}, QByteArray(100, '\0')), 64000, 44}};
    for (const auto &c : cases) {
        const HeaderRead r = readHeader(c.file);
        EXPECT_EQ(std::tuple(r.ok, r.dataSize, r.position), std::tuple(true, c.dataSize, c.position));
    }
    EXPECT_EQ(readHeader(cases[0].file).format, (WaveFormatEx{1, 2, 22050, 88200, 4, 16, {}}));
}

TEST(WavFormatUtils, BrokenHeadersAreNotReadAsPcm)
{
    const QByteArray plain = samples::waveFile({}, QByteArray(100, '\0'));
    const auto replaced = [&](int at, const QByteArray &with) {
        return QByteArray(plain).replace(at, with.size(), with);
    };
    const std::pair<const char *, QByteArray> broken[] = {
        {"empty", QByteArray()},
        {"not RIFF", replaced(0, "RIFX")},
        {"not WAVE", replaced(8, "AVI ")},
        {"no fmt first", replaced(12, "junk")},
        {"format size beyond the file", replaced(16, QByteArray("\x00\x00\x01\x00", 4))},
        {"LIST between fmt and data",
         samples::waveFile({.between = samples::chunk("LIST", "INFOabcd")}, "xy")},
        {"two fact chunks", samples::waveFile({.between = factChunk(1) + factChunk(2)}, "xy")},
        {"format body of 14 bytes", samples::waveFile({.formatSize = 14}, "xy")},
        {"fact size beyond the file",
         samples::waveFile({.between = QByteArray("fact\xff\xff\xff\x00", 8)}, QByteArray(8, '\0'))},
        {"ends before the data size", plain.left(42)},
        {"ends inside the format body", plain.left(30)},
    };
    for (const auto &[name, file] : broken)
        EXPECT_FALSE(readHeader(file).ok) << name;
}

TEST(WavFormatUtils, TellsPlainPcmThatCanBeConvertedSafely)
{
    const struct {
        WaveFormatEx format;
        bool plain;
    } cases[] = {{{1, 1, 8000, 16000, 2, 16, {}}, true},
                 {{1, 2, 44100, 176400, 4, 16, {}}, true},
                 {{1, 1, 11025, 11025, 1, 8, {}}, true},
                 {{1, 2, 48000, 288000, 6, 24, {}}, true}, // bits per sample are the codec's business
                 {{1, 1, MinPcmRate, 2 * MinPcmRate, 2, 16, {}}, true},
                 {{1, 1, MaxPcmRate, 2 * MaxPcmRate, 2, 16, {}}, true},
                 {{49, 1, 8000, 1625, 65, 0, {0x40, 0x01}}, false},
                 {{1, 3, 8000, 48000, 6, 16, {}}, false},
                 {{1, 0, 8000, 0, 0, 16, {}}, false},
                 {{1, 1, 8000, 8000, 2, 16, {}}, false}, // byte rate does not match
                 {{1, 1, 8000, 0, 0, 16, {}}, false},
                 {{1, 1, 1, 2, 2, 16, {}}, false},
                 {{1, 1, 0, 0, 2, 16, {}}, false},
                 {{1, 1, 1000000, 2000000, 2, 16, {}}, false}};
    for (const auto &c : cases)
        EXPECT_EQ(IsPlainPcm(c.format), c.plain) << c.format.formatTag << " " << c.format.channels << " "
                                                 << c.format.samplesPerSec << " " << c.format.blockAlign;
}

TEST(WavFormatUtils, FileStreamReadsAFileAndNamesTheFileItCannotOpen)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bin");
    ASSERT_TRUE(samples::writeFile(path, "abcdef"));

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

TEST(WavFormatUtils, SavingReplacesTheFileWholeKeepingItsPermissionsAndLinksAndLeavingNothingElse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chirpel.wav"), link = dir.filePath("link.wav");
    ASSERT_TRUE(samples::writeFile(path, QByteArray(5000, 'a')));
    ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0640), 0);
    TMemoryStream(std::vector<uint8_t>{'n', 'e', 'w'}).SaveToFile(path.toStdString());
    EXPECT_EQ(samples::readFile(path), QByteArray("new"));
    struct stat info {};
    ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"chirpel.wav"});

    ASSERT_TRUE(QFile::link(path, link));
    TMemoryStream(std::vector<uint8_t>{'t', 'w', 'o'}).SaveToFile(link.toStdString());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(samples::readFile(path), QByteArray("two"));
}

TEST(WavFormatUtils, SavingThatFailsThrowsAndLeavesTheOldFileAndNoTemporaryBehind)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("chirpel.wav"); // written, but cannot take the folder's place
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_THROW(TMemoryStream(std::vector<uint8_t>{1, 2}).SaveToFile(folder.toStdString()), EStreamError);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"chirpel.wav"});
    EXPECT_THROW(TMemoryStream().SaveToFile(dir.filePath("no/such/folder/x.wav").toStdString()),
                 EStreamError);
}
