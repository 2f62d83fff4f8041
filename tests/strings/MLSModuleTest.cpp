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
    return readImage(image, [&](QIODevice &stream) { module.LoadStrings(module.LanguageIndex, stream); });
}

} // namespace

TEST_F(MLSModule, ModulesRegisterInCreationOrderLeaveWhenFreedAndTakeTheLanguageIndexOfTheirLocale)
{
    auto a = std::make_unique<TSoundRecMLSModule>(manager);
    auto b = std::make_unique<TVoiceMailMLSModule>(manager, 1036);
    auto c = std::make_unique<TvqSharedMLSModule>(manager, 12345);
    EXPECT_EQ(manager.Modules(), (QList<TMLSModule *>{a.get(), b.get(), c.get()}));
    for (auto [module, name, index] : {std::tuple<TMLSModule *, const char *, int>{a.get(), "SoundRec", 4},
                                       {b.get(), "VoiceMail", 7},
                                       {c.get(), "vqShared", 0}}) {
        EXPECT_EQ(module->ModuleName, QLatin1String(name));
        EXPECT_EQ(module->LanguageIndex, index) << name;
    }
    b.reset();
    EXPECT_EQ(manager.Modules(), (QList<TMLSModule *>{a.get(), c.get()}));
    a.reset();
    c.reset();
    EXPECT_TRUE(manager.Modules().isEmpty());
}

TEST_F(MLSModule, LoadStringsFillsTheEntriesOnlyFromAnImageOfItsSizeAndAMissingResourceIsAnEmptyImage)
{
    TVoiceMailMLSModule mail(manager);
    EXPECT_EQ(loadImage(mail, BuildMLSImage(4, "VoiceMail\r\n", numberedEntries(48, "mail "))), QString());
    EXPECT_EQ(mail.Strings[0], "mail 0");
    EXPECT_EQ(mail.Strings[47], "mail 47");
    TSoundRecMLSModule sound(manager);
    EXPECT_EQ(errorCode(loadImage(sound, BuildMLSImage(4, {}, numberedEntries(48, "mail ")))), "MLS253");
    EXPECT_TRUE(sound.Strings[0].isEmpty());
    EXPECT_EQ(errorCode(mlsErrorOf([&] { sound.LoadFromResource(QStringLiteral("MLS_NOSUCHMODULE")); })),
              QStringLiteral("MLS250"));
}
