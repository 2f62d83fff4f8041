// The shared utility routines: folder macros, program start, error box.
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
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc") << "an empty pattern replaces nothing";
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
        EXPECT_TRUE(e.Message().contains(
            QStringLiteral(" in:\\nHKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\n")))
            << e.Message().toStdString();
    }
    EXPECT_EQ(expand(QStringLiteral("<TempDir>x")), "/tmp/x") << "other macros need no registry";
    reg.writeMachine("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n");
    EXPECT_EQ(GetCommonFilesDir(reg.store), QString());
    EXPECT_EQ(expand(QStringLiteral("<CommonFilesDir>/Vantorq Systems/SendMail")),
              "/Vantorq Systems/SendMail");
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
    EXPECT_EQ(launcher.lastWorkingFolder, "/work");
    EXPECT_EQ(launcher.lastShowMode, 1);
    launcher.result = false;
    EXPECT_FALSE(StartProgram("/usr/bin/x", "", "", 0, launcher, folders));
    EXPECT_EQ(launcher.lastCommandLine, "/usr/bin/x ");
    EXPECT_EQ(launcher.lastShowMode, 0);
}

TEST(ErrorBox, BeepsThenShowsTheTextWithItsLineBreaks)
{
    FakeSystemServices services;
    QWidget owner;
    ShowErrorBox(&owner, QStringLiteral("Cannot save\\nthe message"), services);
    EXPECT_EQ(services.calls, QStringList({"beep", "box"}));
    EXPECT_EQ(services.boxOwner, &owner);
    EXPECT_EQ(services.boxText, "Cannot save\r\nthe message");
}
