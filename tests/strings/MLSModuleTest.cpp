// Module objects: registration with the manager, the language they hold, filling their entries.
#include "MLSTestImages.h"
#include "strings/SoundRecMLS.h"
#include "strings/SystemLocales.h"
#include "strings/VoiceMailMLS.h"
#include "strings/vqSharedMLS.h"

#include <gtest/gtest.h>

#include <memory>

using namespace mlstest;

namespace {

// Gives the program-wide language table the installed locales for one test, then restores it.
class MLSModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = MLSLanguages;
        MLSLanguages = BuildLanguageTable(InstalledLocales());
    }
    void TearDown() override { MLSLanguages = saved; }
    TMLSLanguageTable saved;
    TMLSManager manager;
};

QString loadImage(TMLSModule &module, const QByteArray &image)
{
    QBuffer stream;
    stream.setData(image);
    stream.open(QIODevice::ReadOnly);
    return mlsErrorOf([&] { module.LoadStrings(module.LanguageIndex, stream); });
}

} // namespace

TEST_F(MLSModule, ModulesRegisterInCreationOrderAndLeaveWhenFreed)
{
    auto a = std::make_unique<TSoundRecMLSModule>(manager);
    auto b = std::make_unique<TVoiceMailMLSModule>(manager);
    auto c = std::make_unique<TvqSharedMLSModule>(manager);
    EXPECT_EQ(manager.Modules(), (QList<TMLSModule *>{a.get(), b.get(), c.get()}));
    b.reset();
    EXPECT_EQ(manager.Modules(), (QList<TMLSModule *>{a.get(), c.get()}));
    a.reset();
    c.reset();
    EXPECT_TRUE(manager.Modules().isEmpty());
}

TEST_F(MLSModule, TakesItsNameAndTheLanguageIndexOfItsLocale)
{
    const TSoundRecMLSModule english(manager);
    const TVoiceMailMLSModule french(manager, 1036);
    const TvqSharedMLSModule unknown(manager, 12345);
    EXPECT_EQ(english.ModuleName, "SoundRec");
    EXPECT_EQ(english.LanguageIndex, 4);
    EXPECT_EQ(french.ModuleName, "VoiceMail");
    EXPECT_EQ(french.LanguageIndex, 7);
    EXPECT_EQ(unknown.ModuleName, "vqShared");
    EXPECT_EQ(unknown.LanguageIndex, 0);
}

TEST_F(MLSModule, LoadStringsFillsTheEntriesOnlyFromAnImageOfItsSize)
{
    TVoiceMailMLSModule mail(manager);
    EXPECT_EQ(loadImage(mail, BuildMLSImage(4, "VoiceMail\r\n", numberedEntries(48, "mail "))), QString());
    EXPECT_EQ(mail.Strings[0], "mail 0");
    EXPECT_EQ(mail.Strings[47], "mail 47");

    TSoundRecMLSModule sound(manager);
    EXPECT_EQ(errorCode(loadImage(sound, BuildMLSImage(4, {}, numberedEntries(48, "mail ")))), "MLS253");
    EXPECT_TRUE(sound.Strings[0].isEmpty());
}

TEST_F(MLSModule, AMissingResourceReadsAsAnEmptyImage)
{
    TSoundRecMLSModule module(manager);
    EXPECT_EQ(errorCode(mlsErrorOf([&] { module.LoadFromResource(QStringLiteral("MLS_NOSUCHMODULE")); })),
              QStringLiteral("MLS250"));
}
