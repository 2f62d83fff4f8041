// The program's three compiled-in string modules: their images and the texts the program reads.
#include "MLSTestImages.h"
#include "strings/SoundRecMLS.h"
#include "strings/VoiceMailMLS.h"
#include "strings/vqSharedMLS.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>

#include <vector>

using namespace mlstest;

namespace {

struct CompiledImage {
    const char *resource;
    const char *module;
    int entries;
    int descriptionLength;
};

void PrintTo(const CompiledImage &image, std::ostream *os)
{
    *os << image.resource;
}

QByteArray resourceBytes(const char *name)
{
    QFile file(QStringLiteral(":/chirpel/") + QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class CompiledInImage : public ::testing::TestWithParam<CompiledImage> {};

TEST_P(CompiledInImage, ReadsWholeOnlyForEnglishWithItsOwnEntryCount)
{
    const CompiledImage &c = GetParam();
    QFile file(QStringLiteral(":/chirpel/") + QString::fromLatin1(c.resource));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.resource;
    std::vector<QString> entries(c.entries);
    TMLSFile().ReadModule(4, file, entries);
    EXPECT_TRUE(file.atEnd()) << "bytes follow the trailer";
    for (int i = 0; i < c.entries; ++i)
        EXPECT_FALSE(entries[i].trimmed().isEmpty()) << c.module << " entry " << i << " has no text";

    const QByteArray image = resourceBytes(c.resource);
    EXPECT_EQ(errorCode(readInto(image, 5, entries)), "MLS252");
    std::vector<QString> fewer(c.entries - 1);
    EXPECT_EQ(errorCode(readInto(image, 4, fewer)), "MLS253");
}

TEST_P(CompiledInImage, HeaderNamesTheModuleAndItsLanguage)
{
    const CompiledImage &c = GetParam();
    const QByteArray image = resourceBytes(c.resource);
    ASSERT_GT(image.size(), 12) << c.resource;
    EXPECT_EQ(image.left(4), QByteArray("MLS\x01"));
    EXPECT_EQ(qFromLittleEndian<quint16>(image.constData() + 4), 4) << "language index";
    const int d = qFromLittleEndian<quint16>(image.constData() + 6);
    EXPECT_EQ(d, c.descriptionLength);
    const QByteArray description = image.mid(8, d);
    EXPECT_TRUE(description.startsWith(QByteArray(c.module) + "\r\nEnglish (United States)\r\n"));
    EXPECT_TRUE(description.endsWith("\r\n"));
    EXPECT_EQ(qFromLittleEndian<quint32>(image.constData() + 8 + d), quint32(c.entries));
    EXPECT_EQ(image.right(3), QByteArray("MLS"));
}

INSTANTIATE_TEST_SUITE_P(StringModules, CompiledInImage,
                         ::testing::Values(CompiledImage{"MLS_SOUNDREC", "SoundRec", 26, 118},
                                           CompiledImage{"MLS_VOICEMAIL", "VoiceMail", 48, 119},
                                           CompiledImage{"MLS_VQSHARED", "vqShared", 232, 118}),
                         [](const ::testing::TestParamInfo<CompiledImage> &info) {
                             return std::string(info.param.module);
                         });

class ProgramModules : public ::testing::Test {
protected:
    void SetUp() override { InitializeStringModules(); }
    void TearDown() override { FinalizeStringModules(); }
};

TEST_F(ProgramModules, StartUpCreatesTheThreeModulesInOrderForEnglish)
{
    ASSERT_NE(MLSManager, nullptr);
    ASSERT_TRUE(SoundRecModule && VoiceMailModule && vqSharedModule);
    EXPECT_EQ(MLSManager->Modules(), (QList<TMLSModule *>{SoundRecModule, VoiceMailModule, vqSharedModule}));
    EXPECT_EQ(MLSLanguages[4].LocaleId, 1033u);
    for (const TMLSModule *m : MLSManager->Modules())
        EXPECT_EQ(m->LanguageIndex, 4) << m->ModuleName.toStdString();
    EXPECT_EQ(SoundRecModule->Strings.size(), 26u);
    EXPECT_EQ(VoiceMailModule->Strings.size(), 48u);
    EXPECT_EQ(vqSharedModule->Strings.size(), 232u);
}

// The entry numbers, by name or by number, are what the rest of the program relies on.
TEST_F(ProgramModules, TheEntriesHoldTheirListedTexts)
{
    const QStringList soundRec =
        QStringLiteral(
            "16 Bit Mono;16 Bit Stereo;8 Bit Mono;8 Bit Stereo;Mono;Pause;Paused;Play;Play;Playing...;"
            "Output signal level;%d sec.;Record;Record;Recording...;Input signal level;Sound Format;"
            "Sound Quality;Phone Quality;Radio Quality;Tape Quality;CD Quality;Stereo;Stop;Stopped;"
            "Sound Files (*.wav)|*.wav|All Files (*.*)|*.*")
            .split(QLatin1Char(';'));
    ASSERT_EQ(soundRec.size(), 26);
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(SoundRecModule->Strings[i], soundRec[i]) << i;
    const struct {
        std::size_t entry;
        const char *text;
    } named[] = {{SoundRecText::Mono, "Mono"},
                 {SoundRecText::Pause, "Pause"},
                 {SoundRecText::Paused, "Paused"},
                 {SoundRecText::Playing, "Playing..."},
                 {SoundRecText::SecondsFormat, "%d sec."},
                 {SoundRecText::Recording, "Recording..."},
                 {SoundRecText::Stereo, "Stereo"},
                 {SoundRecText::Stop, "Stop"}};
    for (const auto &e : named)
        EXPECT_EQ(SoundRecModule->Strings[e.entry], QString::fromLatin1(e.text)) << "SoundRec " << e.entry;
    EXPECT_EQ(VoiceMailModule->Strings[VoiceMailText::GsmCompression], "GSM Compression");
    EXPECT_EQ(VoiceMailModule->Strings[VoiceMailText::CompressCaption], "Compress Voice Message");
    EXPECT_EQ(VoiceMailModule->Strings[VoiceMailText::CompressPrompt], "Compressing message. Please wait...");
    EXPECT_EQ(VoiceMailModule->Strings[10], "Compress Voice Message");
    EXPECT_EQ(VoiceMailModule->Strings[0], "%d Bit");
    EXPECT_EQ(VoiceMailModule->Strings[1], "%s KHz");
    EXPECT_EQ(vqSharedModule->Strings[0], "Abort");
    EXPECT_EQ(vqSharedModule->Strings[1], "Cancel");
    EXPECT_EQ(vqSharedModule->Strings[63], " %d KB");
    EXPECT_EQ(vqSharedModule->Strings[72], "Copyright \u00a9 %s");
    EXPECT_EQ(vqSharedModule->Strings[77], "&Apply");
    EXPECT_EQ(vqSharedModule->Strings[88], "On &desktop");
}

TEST_F(ProgramModules, StartingTwiceKeepsTheSameModules)
{
    TSoundRecMLSModule *first = SoundRecModule;
    InitializeStringModules();
    EXPECT_EQ(SoundRecModule, first);
    EXPECT_EQ(MLSManager->Modules().size(), 3);
}

TEST(ProgramModulesLifetime, FinalisationFreesTheModulesThenTheManagerAndClearsTheTable)
{
    InitializeStringModules();
    FinalizeStringModules();
    EXPECT_EQ(SoundRecModule, nullptr);
    EXPECT_EQ(VoiceMailModule, nullptr);
    EXPECT_EQ(vqSharedModule, nullptr);
    EXPECT_EQ(MLSManager, nullptr);
    EXPECT_EQ(MLSLanguages[4].LocaleId, 0u);
    EXPECT_TRUE(MLSLanguages[4].Code.isEmpty());
    // And the program can start its modules again afterwards.
    InitializeStringModules();
    EXPECT_EQ(SoundRecModule->Strings[23], "Stop");
    FinalizeStringModules();
}
