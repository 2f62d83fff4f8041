// Reading the message file's PCM header and saving the packed file in its place.
#include "sound/WavFormatUtils.h"

#include "WaveConvertSamples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <utility>

using platform::WaveFormatEx;

namespace {

bool readsAsPcm(const QByteArray &file)
{
    TMemoryStream stream(samples::bytesOf(file));
    WaveFormatEx format;
    uint32_t dataSize = 0;
    return ReadPcmWaveHeader(stream, format, dataSize);
}

QByteArray factChunk(uint32_t value)
{
    QByteArray body;
    samples::put(body, value);
    return samples::chunk("fact", body);
}

} // namespace

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
        EXPECT_FALSE(readsAsPcm(file)) << name;
}

TEST(WavFormatUtils, SavingReplacesTheFileBehindALinkAndAFailedSaveThrowsAndLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chirpel.wav"), link = dir.filePath("link.wav");
    ASSERT_TRUE(samples::writeFile(path, QByteArray(5000, 'a')));
    ASSERT_TRUE(QFile::link(path, link));
    TMemoryStream(std::vector<uint8_t>{'t', 'w', 'o'}).SaveToFile(link.toStdString());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(samples::readFile(path), QByteArray("two"));
    EXPECT_THROW(TFileStream(path.toStdString()).Write("x", 1), EStreamError) << "a source is never written";

    const QString folder = dir.filePath("folder.wav"); // written, but cannot take the folder's place
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_THROW(TMemoryStream(std::vector<uint8_t>{1, 2}).SaveToFile(folder.toStdString()), EStreamError);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"chirpel.wav", "folder.wav", "link.wav"}));
    EXPECT_THROW(TMemoryStream().SaveToFile(dir.filePath("no/such/folder/x.wav").toStdString()),
                 EStreamError);
}
