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
};

} // namespace

TEST_F(MLSModule, ModulesRegisterInCreationOrderAndLeaveWhenFreed)
{
    TMLSManager manager;
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
    TMLSManager manager;
    const TSoundRecMLSModule english(manager);
    const TVoiceMailMLSModule french(manager, 1036);
    const TvqSharedMLSModule unknown(manager, 12345);
    EXPECT_EQ(english.ModuleName, QStringLiteral("SoundRec"));
    EXPECT_EQ(english.LanguageIndex, 4);
    EXPECT_EQ(french.ModuleName, QStringLiteral("VoiceMail"));
    EXPECT_EQ(french.LanguageIndex, 7);
    EXPECT_EQ(unknown.ModuleName, QStringLiteral("vqShared"));
    EXPECT_EQ(unknown.LanguageIndex, 0);
}

TEST_F(MLSModule, EachModuleClassHasItsOwnEntryCount)
{
    EXPECT_EQ(TSoundRecMLSModule::EntryCount, 26u);
    EXPECT_EQ(TVoiceMailMLSModule::EntryCount, 48u);
    EXPECT_EQ(TvqSharedMLSModule::EntryCount, 232u);
    TMLSManager manager;
    EXPECT_EQ(TvqSharedMLSModule(manager).Strings.size(), 232u);
}

TEST_F(MLSModule, LoadStringsFillsTheEntriesFromAnImageOfItsSize)
{
    TMLSManager manager;
    TVoiceMailMLSModule module(manager);
    QBuffer stream;
    stream.setData(BuildMLSImage(4, "VoiceMail\r\n", numberedEntries(48, "mail ")));
    stream.open(QIODevice::ReadOnly);
    module.LoadStrings(module.LanguageIndex, stream);
    EXPECT_EQ(module.Strings[0], QStringLiteral("mail 0"));
    EXPECT_EQ(module.Strings[47], QStringLiteral("mail 47"));
}

TEST_F(MLSModule, AnImageOfAnotherModuleSizeIsRefused)
{
    TMLSManager manager;
    TSoundRecMLSModule module(manager);
    QBuffer stream;
    stream.setData(BuildMLSImage(4, {}, numberedEntries(48, "mail ")));
    stream.open(QIODevice::ReadOnly);
    try {
        module.LoadStrings(module.LanguageIndex, stream);
        FAIL() << "a 48-entry image filled a 26-entry module";
    } catch (const EMLSException &e) {
        EXPECT_EQ(errorCode(e.Message()), QStringLiteral("MLS253"));
    }
    EXPECT_TRUE(module.Strings[0].isEmpty());
}

TEST_F(MLSModule, AMissingResourceReadsAsAnEmptyImage)
{
    TMLSManager manager;
    TSoundRecMLSModule module(manager);
    try {
        module.LoadFromResource(QStringLiteral("MLS_NOSUCHMODULE"));
        FAIL() << "a missing resource filled the module";
    } catch (const EMLSException &e) {
        EXPECT_EQ(errorCode(e.Message()), QStringLiteral("MLS250"));
    }
}
