// The program's three compiled-in string modules: their images and the texts the program reads.
#include "MLSTestImages.h"
#include "strings/SoundRecMLS.h"
#include "strings/VoiceMailMLS.h"
#include "strings/vqSharedMLS.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>

#include <span>
#include <vector>

using namespace mlstest;

namespace {

struct CompiledImage {
    const char *resource, *module;
    int entries, descriptionLength;
};

class CompiledInImage : public ::testing::TestWithParam<CompiledImage> {};

} // namespace

TEST_P(CompiledInImage, ReadsWholeOnlyForEnglishWithItsOwnEntryCountAndItsHeaderNamesModuleAndLanguage)
{
    const CompiledImage &c = GetParam();
    QFile file(QStringLiteral(":/chirpel/") + QString::fromLatin1(c.resource));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.resource;
    const QByteArray image = file.readAll();
    std::vector<QString> entries(c.entries), fewer(c.entries - 1);
    ASSERT_EQ(readInto(image + "next", 4, entries), QString()); // stops right after the trailer
    for (int i = 0; i < c.entries; ++i)
        EXPECT_FALSE(entries[i].trimmed().isEmpty()) << c.module << " entry " << i << " has no text";
    EXPECT_EQ(errorCode(readInto(image, 5, entries)), "MLS252");
    EXPECT_EQ(errorCode(readInto(image, 4, fewer)), "MLS253");
    // Magic, language, count and trailer are the reader's to check; the description is not.
    const int d = qFromLittleEndian<quint16>(image.constData() + 6);
    EXPECT_EQ(d, c.descriptionLength);
    const QByteArray description = image.mid(8, d);
    EXPECT_TRUE(description.startsWith(QByteArray(c.module) + "\r\nEnglish (United States)\r\n"));
    EXPECT_TRUE(description.endsWith("\r\n"));
}

INSTANTIATE_TEST_SUITE_P(StringModules, CompiledInImage,
                         ::testing::Values(CompiledImage{"MLS_SOUNDREC", "SoundRec", 26, 118},
                                           CompiledImage{"MLS_VOICEMAIL", "VoiceMail", 48, 119},
                                           CompiledImage{"MLS_VQSHARED", "vqShared", 232, 118}),
                         [](const auto &info) { return std::string(info.param.module); });

class ProgramModules : public ::testing::Test {
protected:
    void SetUp() override { InitializeStringModules(); }
    void TearDown() override { FinalizeStringModules(); }
};

TEST_F(ProgramModules, StartUpCreatesTheThreeModulesInOrderForEnglishOnceEvenWhenStartedTwice)
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
    TSoundRecMLSModule *first = SoundRecModule;
    InitializeStringModules();
    EXPECT_EQ(SoundRecModule, first);
    EXPECT_EQ(MLSManager->Modules().size(), 3);
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
        std::span<const QString> strings;
        std::size_t entry;
        const char *text;
    } named[] = {
        {SoundRecModule->Strings, SoundRecText::Mono, "Mono"},
        {SoundRecModule->Strings, SoundRecText::Pause, "Pause"},
        {SoundRecModule->Strings, SoundRecText::Paused, "Paused"},
        {SoundRecModule->Strings, SoundRecText::Stereo, "Stereo"},
        {SoundRecModule->Strings, SoundRecText::Playing, "Playing..."},
        {SoundRecModule->Strings, SoundRecText::SecondsFormat, "%d sec."},
        {SoundRecModule->Strings, SoundRecText::Recording, "Recording..."},
        {SoundRecModule->Strings, SoundRecText::Stop, "Stop"},
        {VoiceMailModule->Strings, VoiceMailText::GsmCompression, "GSM Compression"},
        {VoiceMailModule->Strings, VoiceMailText::CompressCaption, "Compress Voice Message"},
        {VoiceMailModule->Strings, VoiceMailText::CompressPrompt, "Compressing message. Please wait..."},
        {VoiceMailModule->Strings, 0, "%d Bit"},
        {VoiceMailModule->Strings, 1, "%s KHz"},
        {vqSharedModule->Strings, 0, "Abort"},
        {vqSharedModule->Strings, 1, "Cancel"},
        {vqSharedModule->Strings, 63, " %d KB"},
        {vqSharedModule->Strings, 72, "Copyright \xc2\xa9 %s"},
        {vqSharedModule->Strings, 77, "&Apply"},
        {vqSharedModule->Strings, 88, "On &desktop"}};
    for (const auto &e : named)
        EXPECT_EQ(e.strings[e.entry], QString::fromUtf8(e.text)) << e.text;
}

TEST(ProgramModulesLifetime, FinalisationFreesTheModulesThenTheManagerAndClearsTheTable)
{
    InitializeStringModules();
    FinalizeStringModules();
    EXPECT_TRUE(!SoundRecModule && !VoiceMailModule && !vqSharedModule && !MLSManager);
    EXPECT_EQ(MLSLanguages[4].LocaleId, 0u);
    EXPECT_TRUE(MLSLanguages[4].Code.isEmpty());
    // And the program can start its modules again afterwards.
    InitializeStringModules();
    EXPECT_EQ(SoundRecModule->Strings[23], "Stop");
    FinalizeStringModules();
}
