// The shared utility routines: folder macros, program start, texts, centring, error box.
#include "settings/vqUtils.h"

#include "settings/SettingsFakes.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace platform;

namespace {

QByteArray machineFolders(const QByteArray &programFiles, const QByteArray &commonFiles)
{
    return "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n"
           "\"ProgramFilesDir\"=\"" +
           programFiles + "\"\n\"CommonFilesDir\"=\"" + commonFiles + "\"\n";
}

class FolderMacros : public testing::Test {
protected:
    FolderMacros() { reg.writeMachine(machineFolders("/usr/lib", "/usr/lib/common")); }
    QString expand(const QString &path) { return ExpandPathMacros(path, reg.store, folders); }

    TempRegistry reg;
    FakeFolders folders;
};

} // namespace

// Each case: the path, its expansion and the system folders asked for on the way.
TEST_F(FolderMacros, ExpandEachMacroKindOncePerPassInTheFixedOrder)
{
    const struct {
        const char *path;
        const char *expanded;
        QStringList asked;
    } cases[] = {
        {"<CommonFilesDir>/Vantorq Systems/SendMail", "/usr/lib/common/Vantorq Systems/SendMail", {}},
        {"<ProgramFilesDir>/x", "/usr/lib/x", {}},
        {"<TempDir>/x.wav", "/tmp/x.wav", {"temp"}},
        {"<WindowsDir>/share", "/usr/share", {"windows"}},
        {"<SystemDir>/sh", "/usr/bin/sh", {"system"}},
        {"<ThisDir>/eMail.dat", "/opt/chirpel/bin/eMail.dat", {"program"}},
        // <TempDir> comes before <ThisDir>, and each is replaced everywhere in its pass.
        {"<ThisDir>/a/<TempDir>b/<ThisDir>", "/opt/chirpel/bin/a/tmp/b/opt/chirpel/bin", {"temp", "program"}},
        // Doubled separators collapse only when a macro was replaced.
        {"//server//share/x", "//server//share/x", {}},
        {"//server/<TempDir>x", "/server/tmp/x", {"temp"}},
        // Texts that are no macros stay as they are.
        {"<tempdir>/x", "<tempdir>/x", {}},
        {"a<b", "a<b", {}},
        {"<TempDir>a<b//c", "/tmp/a<b/c", {"temp"}},
    };
    for (const auto &c : cases) {
        folders.asked.clear();
        EXPECT_EQ(expand(QString::fromUtf8(c.path)), QString::fromUtf8(c.expanded)) << c.path;
        EXPECT_EQ(folders.asked, c.asked) << c.path;
    }
    reg.writeMachine(machineFolders("/usr/lib", "/usr/lib/common/"));
    EXPECT_EQ(expand(QStringLiteral("<CommonFilesDir>/Vantorq Systems/SendMail")),
              "/usr/lib/common/Vantorq Systems/SendMail")
        << "a machine folder ending in a separator";
    EXPECT_EQ(ReplaceMacro(QStringLiteral("a///b"), QStringLiteral("<none>"), QString()), "a//b");
    reg.writeMachine(machineFolders("<ProgramFilesDir>/x", "/c"));
    EXPECT_TRUE(
        expand(QStringLiteral("<ProgramFilesDir>")).startsWith(QStringLiteral("<ProgramFilesDir>/x/x")))
        << "a machine folder naming itself still ends";
}

TEST_F(FolderMacros, UnreadableMachineFoldersRaiseTheAccessErrorAndMissingOnesAreEmpty)
{
    QFile::remove(reg.machineFile);
    try {
        expand(QStringLiteral("<CommonFilesDir>/Vantorq Systems/SendMail"));
        FAIL() << "no error raised";
    } catch (const EGeneralError &e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Cannot access system registry infromation in:\\n"
                                 "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"
                                 "\\n\\nPlease make sure that you have a proper access rights to the "
                                 "system."));
    }
    EXPECT_EQ(expand(QStringLiteral("<TempDir>x")), "/tmp/x") << "other macros need no registry";

    reg.writeMachine("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n");
    EXPECT_EQ(GetCommonFilesDir(reg.store), QString());
    EXPECT_EQ(expand(QStringLiteral("<CommonFilesDir>/Vantorq Systems/SendMail")),
              "/Vantorq Systems/SendMail");
}

TEST(RegistryEx, OpensKeysForReadingOnlyRelativeToTheOpenKey)
{
    TempRegistry reg;
    reg.writeMachine(machineFolders("/p", "/c"));
    TRegistryEx r(RootKey::LocalMachine, reg.store);
    ASSERT_TRUE(r.OpenKeyRead(QStringLiteral("Software\\Microsoft")));
    ASSERT_TRUE(r.OpenKeyRead(QStringLiteral("Windows\\CurrentVersion")));
    EXPECT_EQ(r.readString(QStringLiteral("ProgramFilesDir")), "/p");
    EXPECT_FALSE(r.OpenKeyRead(QStringLiteral("Software"))) << "relative: there is no such subkey";
    ASSERT_TRUE(r.OpenKeyRead(QStringLiteral("\\Software")));
    EXPECT_EQ(r.currentPath(), "Software");
}

// The working folder is the first given one that exists; one blank before the parameters, and
// quotes only around a program path with blanks.
TEST(StartProgram, HandsTheLaunchToTheLauncherWithTheFirstExistingWorkingFolderAndTheShowMode)
{
    FakeFolders folders;
    folders.existing = QStringList{"/work", "/usr/bin", "/data"};
    const auto folder = [&](const QString &program, const QString &parameters, const QString &working) {
        return PrepareLaunch(program, parameters, working, folders).WorkingFolder;
    };
    EXPECT_EQ(folder("/usr/bin/x", "", "/work"), "/work");
    EXPECT_EQ(folder("/usr/bin/x", "", ""), "/usr/bin/");
    EXPECT_EQ(folder("x", "/data/eMail.dat", ""), "/data/");
    EXPECT_EQ(folders.looked.last(), "/data") << "tested without its trailing separator";
    EXPECT_EQ(folder("/missing/x", "", ""), "/home/kid");
    EXPECT_EQ(folder("x", "\"/data/eMail.dat\"", ""), "/home/kid")
        << "the quote belongs to the parameters' folder part";
    EXPECT_EQ(PrepareLaunch("", "", "", folders).CommandLine, QString());

    FakeLauncher launcher;
    EXPECT_TRUE(RunProgram("/opt/Vantorq Systems/send", "\"/x/eMail.dat\"", "/work", launcher, folders));
    EXPECT_EQ(launcher.lastCommandLine, "\"/opt/Vantorq Systems/send\" \"/x/eMail.dat\"");
    EXPECT_EQ(launcher.lastWorkingFolder, "/work");
    EXPECT_EQ(launcher.lastShowMode, 1);
    launcher.result = false;
    EXPECT_FALSE(StartProgram("/usr/bin/x", "", "", 0, launcher, folders));
    EXPECT_EQ(launcher.lastCommandLine, "/usr/bin/x ");
    EXPECT_EQ(launcher.lastShowMode, 0);
}

// ReplaceAll scans left to right without overlap; the temporary folder always ends with a separator.
TEST(TextRoutines, ReplaceWithoutOverlapAndTheTemporaryFolderWithItsSeparator)
{
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ExpandLineBreaks(QStringLiteral("\\\\n")), "\\\r\n");
    FakeFolders folders;
    for (const auto &[temp, expected] :
         {std::pair{"/var/tmp", "/var/tmp/"}, {"/scratch/", "/scratch/"}, {"", "/tmp/"}}) {
        folders.temp = QString::fromLatin1(temp);
        EXPECT_EQ(GetTempFolder(folders), expected) << temp;
    }
}

TEST(Centring, KeepsTheWindowOnTheScreen)
{
    const struct {
        QRect reference;
        QSize window;
        QPoint expected;
    } cases[] = {{QRect(0, 0, 1024, 740), QSize(400, 300), QPoint(312, 220)},
                 {QRect(100, 100, 301, 201), QSize(100, 100), QPoint(200, 150)},
                 {QRect(900, 600, 200, 200), QSize(300, 300), QPoint(724, 440)},
                 {QRect(-50, -40, 100, 80), QSize(100, 100), QPoint(0, 0)},
                 {QRect(0, 0, 1024, 740), QSize(2000, 1000), QPoint(0, 0)},
                 {QRect(10, 10, 10, 10), QSize(13, 13), QPoint(9, 9)}}; // -3 div 2 is -1
    for (const auto &c : cases)
        EXPECT_EQ(CenteredPosition(c.reference, c.window, QSize(1024, 740)), c.expected) << c.expected.x();
}

TEST(ErrorBox, BeepsThenShowsTheTextWithItsLineBreaks)
{
    FakeSystemServices services;
    QWidget owner;
    ShowErrorBox(&owner, QStringLiteral("Cannot save\\nthe message"), services);
    EXPECT_EQ(services.calls, QStringList({"beep", "box"}));
    EXPECT_EQ(services.boxOwner, &owner);
    EXPECT_EQ(services.boxText, "Cannot save\r\nthe message");

    ShowError(QString(), services);
    EXPECT_EQ(services.boxOwner, nullptr);
    EXPECT_EQ(services.boxText, QString());
}
