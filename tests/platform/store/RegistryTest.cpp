// The registry over its files: opening, reading and writing keys; atomic saves; damaged files.
#include "platform/store/Registry.h"

#include "fakes/FileSizeLimit.h"
#include "settings/SettingsFakes.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const QString kKey = QStringLiteral("Software\\Brimblet\\Chirpel");

const QByteArray kStored = "REGEDIT4\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n"
                           "\"Text\"=\"hello\"\n"
                           "\"Expand\"=hex(2):3c,54,65,6d,70,44,69,72,3e,00\n"
                           "\"Number\"=dword:fffffffe\n"
                           "\"EmptyBlob\"=hex:\n"
                           "\"Blob\"=hex:01\n"
                           "\n"
                           "[HKEY_CURRENT_USER\\Software\\Other]\n"
                           "\"Keep\"=\"me\"\n";

} // namespace

TEST(Registry, ReadsEachKindByTheRegistryRulesAndAFailedOpenKeepsTheKey)
{
    TempRegistry reg;
    reg.writeUser(kStored);
    Registry r(RootKey::CurrentUser, reg.store);
    ASSERT_TRUE(r.openKeyReadOnly(kKey));

    EXPECT_EQ(r.readString(QStringLiteral("Text")), QStringLiteral("hello"));
    EXPECT_EQ(r.readString(QStringLiteral("Expand")), QStringLiteral("<TempDir>")) << "taken literally";
    EXPECT_EQ(r.readString(QStringLiteral("Missing")), QString()) << "a missing text is empty, no error";
    EXPECT_EQ(r.readString(QStringLiteral("EmptyBlob")), QString()) << "no data is no error";
    EXPECT_EQ(r.readString(QStringLiteral("Blob")), std::nullopt);
    EXPECT_EQ(r.readString(QStringLiteral("Number")), std::nullopt);
    EXPECT_EQ(r.readInteger(QStringLiteral("Number")), -2);
    EXPECT_EQ(r.readInteger(QStringLiteral("Missing")), std::nullopt);
    EXPECT_EQ(r.readInteger(QStringLiteral("Text")), std::nullopt);

    EXPECT_FALSE(r.openKeyReadOnly(QStringLiteral("Software"))) << "relative to the open key";
    EXPECT_EQ(r.currentPath(), kKey) << "a failed open keeps the key";
    EXPECT_EQ(r.readString(QStringLiteral("Text")), QStringLiteral("hello"));
}

TEST(Registry, WritesReachTheFileWhenTheKeyClosesAndOtherKeysStay)
{
    TempRegistry reg;
    reg.writeUser(kStored);
    {
        Registry r(RootKey::CurrentUser, reg.store);
        ASSERT_TRUE(r.openKey(kKey, true));
        r.writeString(QStringLiteral("Text"), QStringLiteral("bye"));
        r.writeInteger(QStringLiteral("New"), 300);
        EXPECT_EQ(reg.readUser(), kStored) << "nothing is stored before the key closes";
        EXPECT_EQ(r.readString(QStringLiteral("Text")), QStringLiteral("bye"))
            << "the handle sees its writes";
    }
    Registry check(RootKey::CurrentUser, reg.store);
    ASSERT_TRUE(check.openKeyReadOnly(kKey));
    EXPECT_EQ(check.readString(QStringLiteral("Text")), QStringLiteral("bye"));
    EXPECT_EQ(check.readInteger(QStringLiteral("New")), 300);
    EXPECT_EQ(check.readInteger(QStringLiteral("Number")), -2);
    ASSERT_TRUE(check.openKeyReadOnly(QStringLiteral("\\Software\\Other")));
    EXPECT_EQ(check.readString(QStringLiteral("Keep")), QStringLiteral("me"));
}

TEST(Registry, OnlyOpeningToCreateMakesAKeyWithTheFileAndItsFolder)
{
    TempRegistry reg;
    Registry r(RootKey::CurrentUser, reg.store);
    EXPECT_FALSE(r.openKeyReadOnly(kKey));
    EXPECT_FALSE(r.openKey(kKey, false));
    EXPECT_FALSE(r.writeString(QStringLiteral("A"), QStringLiteral("1"))) << "no key is open";
    r.closeKey();
    EXPECT_FALSE(QFile::exists(reg.userFile));
    ASSERT_TRUE(r.openKey(kKey, true));
    r.closeKey();
    EXPECT_EQ(reg.readUser(), QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n\n"));
}

TEST(Registry, TheMachineHiveIsReadOnly)
{
    TempRegistry reg;
    reg.writeMachine("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n"
                     "\"CommonFilesDir\"=\"/usr/lib\"\n");
    Registry r(RootKey::LocalMachine, reg.store);
    EXPECT_FALSE(r.openKey(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion"), true));
    ASSERT_TRUE(r.openKeyReadOnly(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion")));
    EXPECT_EQ(r.readString(QStringLiteral("CommonFilesDir")), QStringLiteral("/usr/lib"));
    EXPECT_FALSE(r.writeString(QStringLiteral("CommonFilesDir"), QStringLiteral("/x")));
}

TEST(RegistryFiles, AFailedWriteKeepsThePreviousFileAndSaysSoOnStandardError)
{
    TempRegistry reg;
    reg.writeUser(kStored);
    testing::internal::CaptureStderr();
    bool closed = true;
    {
        Registry r(RootKey::CurrentUser, reg.store);
        ASSERT_TRUE(r.openKey(kKey, true));
        r.writeString(QStringLiteral("Big"), QString(8000, QLatin1Char('x')));
        FileSizeLimit full(4096);
        closed = r.closeKey();
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(closed);
    EXPECT_EQ(reg.store.failedSaves(), 1);
    EXPECT_EQ(reg.readUser(), kStored);
    EXPECT_NE(said.find("cannot write the settings file"), std::string::npos) << said;
    EXPECT_NE(said.find("previous file is kept"), std::string::npos) << said;
    EXPECT_EQ(QDir(QFileInfo(reg.userFile).absolutePath()).entryList(QDir::Files), QStringList{"user.reg"})
        << "no temporary file is left behind";
}

TEST(RegistryFiles, ADamagedFileReadsEmptyAndIsKeptAsBadWhenSettingsAreSaved)
{
    TempRegistry reg;
    const QByteArray damaged = kStored.left(kStored.size() - 4); // "Keep" cut inside its text
    reg.writeUser(damaged);

    Registry r(RootKey::CurrentUser, reg.store);
    EXPECT_FALSE(r.openKeyReadOnly(kKey)) << "nothing of a damaged file is taken";
    EXPECT_EQ(reg.readUser(), damaged) << "reading changes nothing";

    testing::internal::CaptureStderr();
    ASSERT_TRUE(r.openKey(kKey, true));
    r.writeString(QStringLiteral("A"), QStringLiteral("1"));
    EXPECT_TRUE(r.closeKey());
    const std::string said = testing::internal::GetCapturedStderr();

    EXPECT_EQ(TempRegistry::read(reg.userFile + QStringLiteral(".bad")), damaged);
    EXPECT_NE(said.find("user.reg.bad"), std::string::npos) << said;
    EXPECT_EQ(reg.readUser(), QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n"
                                         "\"A\"=\"1\"\n\n"));
}

TEST(RegistryFiles, TheUserFileLivesUnderTheConfigurationFolder)
{
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME"), oldHome = qgetenv("HOME");
    qputenv("XDG_CONFIG_HOME", "/somewhere/conf");
    EXPECT_EQ(defaultUserRegPath(), QStringLiteral("/somewhere/conf/chirpel/user.reg"));
    qputenv("XDG_CONFIG_HOME", "relative/conf");
    qputenv("HOME", "/home/kid");
    EXPECT_EQ(defaultUserRegPath(), QStringLiteral("/home/kid/.config/chirpel/user.reg"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(defaultUserRegPath(), QStringLiteral("/home/kid/.config/chirpel/user.reg"));
    qputenv("HOME", oldHome);
    if (!oldConfig.isEmpty()) qputenv("XDG_CONFIG_HOME", oldConfig);
}

TEST(RegistryFiles, TheBuildPutsTheMachineFoldersBesideTheProgramAndItsTests)
{
    RegFileStore store(QString(), defaultMachineRegPath());
    Registry r(RootKey::LocalMachine, store);
    ASSERT_TRUE(r.openKeyReadOnly(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion")))
        << qPrintable(defaultMachineRegPath());
    EXPECT_FALSE(r.readString(QStringLiteral("ProgramFilesDir")).value_or(QString()).isEmpty());
    EXPECT_TRUE(QFileInfo(r.readString(QStringLiteral("CommonFilesDir")).value_or(QString())).isDir());
}
