// The shared utility routines: folder macros, program start, folders, texts, centring, error box.
#include "settings/vqUtils.h"

#include "settings/SettingsFakes.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
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

TEST_F(FolderMacros, TheMailSenderPathNamesOneSeparatorBetweenFolders)
{
    EXPECT_EQ(expand(QStringLiteral("<CommonFilesDir>/Vantorq Systems/SendMail")),
              QStringLiteral("/usr/lib/common/Vantorq Systems/SendMail"));
    reg.writeMachine(machineFolders("/usr/lib", "/usr/lib/common/"));
    EXPECT_EQ(expand(QStringLiteral("<CommonFilesDir>/Vantorq Systems/SendMail")),
              QStringLiteral("/usr/lib/common/Vantorq Systems/SendMail"));
    EXPECT_EQ(expand(QStringLiteral("<ProgramFilesDir>/x")), QStringLiteral("/usr/lib/x"));
}

TEST_F(FolderMacros, EachSystemFolderStandsForItsMacro)
{
    EXPECT_EQ(expand(QStringLiteral("<TempDir>/x.wav")), QStringLiteral("/tmp/x.wav"));
    EXPECT_EQ(expand(QStringLiteral("<WindowsDir>/share")), QStringLiteral("/usr/share"));
    EXPECT_EQ(expand(QStringLiteral("<SystemDir>/sh")), QStringLiteral("/usr/bin/sh"));
    EXPECT_EQ(expand(QStringLiteral("<ThisDir>/eMail.dat")), QStringLiteral("/opt/chirpel/bin/eMail.dat"));
}

TEST_F(FolderMacros, OneKindIsReplacedPerPassInTheFixedOrder)
{
    EXPECT_EQ(expand(QStringLiteral("<ThisDir>/a/<TempDir>b/<ThisDir>")),
              QStringLiteral("/opt/chirpel/bin/a/tmp/b/opt/chirpel/bin"));
    EXPECT_EQ(folders.asked, QStringList({"temp", "program"})) << "<TempDir> comes before <ThisDir>";
}

TEST_F(FolderMacros, DoubledSeparatorsCollapseOnlyWhenAMacroWasReplaced)
{
    EXPECT_EQ(expand(QStringLiteral("//server//share/x")), QStringLiteral("//server//share/x"));
    EXPECT_EQ(expand(QStringLiteral("//server/<TempDir>x")), QStringLiteral("/server/tmp/x"));
    EXPECT_EQ(ReplaceMacro(QStringLiteral("a///b"), QStringLiteral("<none>"), QString()),
              QStringLiteral("a//b"));
}

TEST_F(FolderMacros, TextsThatAreNoMacrosStayAsTheyAre)
{
    EXPECT_EQ(expand(QStringLiteral("<tempdir>/x")), QStringLiteral("<tempdir>/x"));
    EXPECT_EQ(expand(QStringLiteral("a<b")), QStringLiteral("a<b"));
    EXPECT_EQ(expand(QStringLiteral("<TempDir>a<b//c")), QStringLiteral("/tmp/a<b/c"));
    EXPECT_TRUE(folders.asked.size() == 1);
}

TEST_F(FolderMacros, AMachineFolderNamingItselfStillEnds)
{
    reg.writeMachine(machineFolders("<ProgramFilesDir>/x", "/c"));
    const QString result = expand(QStringLiteral("<ProgramFilesDir>"));
    EXPECT_TRUE(result.startsWith(QStringLiteral("<ProgramFilesDir>/x/x"))) << qPrintable(result);
}

TEST_F(FolderMacros, UnreadableMachineFoldersRaiseTheAccessError)
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
    EXPECT_EQ(expand(QStringLiteral("<TempDir>x")), QStringLiteral("/tmp/x"))
        << "other macros need no registry";
}

TEST_F(FolderMacros, AMissingMachineFolderValueIsEmpty)
{
    reg.writeMachine("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n");
    EXPECT_EQ(GetCommonFilesDir(reg.store), QString());
    EXPECT_EQ(expand(QStringLiteral("<CommonFilesDir>/Vantorq Systems/SendMail")),
              QStringLiteral("/Vantorq Systems/SendMail"));
}

TEST(RegistryEx, OpensKeysForReadingOnlyRelativeToTheOpenKey)
{
    TempRegistry reg;
    reg.writeMachine(machineFolders("/p", "/c"));
    TRegistryEx r(RootKey::LocalMachine, reg.store);
    ASSERT_TRUE(r.OpenKeyRead(QStringLiteral("Software\\Microsoft")));
    ASSERT_TRUE(r.OpenKeyRead(QStringLiteral("Windows\\CurrentVersion")));
    EXPECT_EQ(r.currentPath(), QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion"));
    EXPECT_EQ(r.readString(QStringLiteral("ProgramFilesDir")), QStringLiteral("/p"));
    EXPECT_FALSE(r.OpenKeyRead(QStringLiteral("Software"))) << "relative: there is no such subkey";
    ASSERT_TRUE(r.OpenKeyRead(QStringLiteral("\\Software")));
    EXPECT_EQ(r.currentPath(), QStringLiteral("Software"));

    TempRegistry user;
    TRegistryEx u(RootKey::CurrentUser, user.store);
    EXPECT_FALSE(u.OpenKeyRead(QStringLiteral("Software\\Brimblet\\Chirpel")));
    u.closeKey();
    EXPECT_FALSE(QFile::exists(user.userFile)) << "nothing is created";
}

TEST(QuoteArg, QuotesOnlyPathsWithBlanksAndAlwaysEndsWithOneBlank)
{
    EXPECT_EQ(QuoteArg(QStringLiteral("/opt/Program Files/x")), QStringLiteral("\"/opt/Program Files/x\" "));
    EXPECT_EQ(QuoteArg(QStringLiteral("/usr/bin/x")), QStringLiteral("/usr/bin/x "));
    EXPECT_EQ(QuoteArg(QString()), QStringLiteral(" "));
}

TEST(PrepareLaunch, TakesTheFirstGivenWorkingFolderThatExists)
{
    FakeFolders folders;
    folders.existing = QStringList{"/work", "/usr/bin", "/data"};
    EXPECT_EQ(PrepareLaunch("/usr/bin/x", "", "/work", folders).WorkingFolder, QStringLiteral("/work"));
    EXPECT_EQ(PrepareLaunch("/usr/bin/x", "", "", folders).WorkingFolder, QStringLiteral("/usr/bin/"));
    EXPECT_EQ(PrepareLaunch("x", "/data/eMail.dat", "", folders).WorkingFolder, QStringLiteral("/data/"));
    EXPECT_EQ(folders.looked.last(), QStringLiteral("/data")) << "tested without its trailing separator";
    EXPECT_EQ(PrepareLaunch("/missing/x", "", "", folders).WorkingFolder, QStringLiteral("/home/kid"));
    EXPECT_EQ(PrepareLaunch("x", "\"/data/eMail.dat\"", "", folders).WorkingFolder,
              QStringLiteral("/home/kid"))
        << "the quote belongs to the parameters' folder part";
}

TEST(PrepareLaunch, SeparatesProgramAndParametersByExactlyOneBlank)
{
    FakeFolders folders;
    EXPECT_EQ(PrepareLaunch("/opt/Vantorq Systems/SendMail", "\"/x/eMail.dat\"", "", folders).CommandLine,
              QStringLiteral("\"/opt/Vantorq Systems/SendMail\" \"/x/eMail.dat\""));
    EXPECT_EQ(PrepareLaunch("/usr/bin/x", "", "", folders).CommandLine, QStringLiteral("/usr/bin/x "));
    EXPECT_EQ(PrepareLaunch("", "", "", folders).CommandLine, QString());
}

TEST(StartProgram, HandsTheLaunchToTheLauncherWithTheShowMode)
{
    FakeFolders folders;
    folders.existing = QStringList{"/opt/mail"};
    FakeLauncher launcher;
    EXPECT_TRUE(RunProgram("/opt/mail/send", "a", "", launcher, folders));
    EXPECT_EQ(launcher.lastCommandLine, QStringLiteral("/opt/mail/send a"));
    EXPECT_EQ(launcher.lastWorkingFolder, QStringLiteral("/opt/mail/"));
    EXPECT_EQ(launcher.lastShowMode, 1);
    launcher.result = false;
    EXPECT_FALSE(StartProgram("/opt/mail/send", "", "", 0, launcher, folders));
    EXPECT_EQ(launcher.lastShowMode, 0);
}

TEST(IsDirectory, LooksForFoldersOnly)
{
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    EXPECT_FALSE(IsDirectory(QString()));
    EXPECT_FALSE(IsDirectory(QStringLiteral("a")));
    EXPECT_TRUE(IsDirectory(QStringLiteral("/")));
    EXPECT_TRUE(IsDirectory(dir.path()));
    EXPECT_TRUE(IsDirectory(dir.path() + QLatin1Char('/')));
    EXPECT_FALSE(IsDirectory(dir.filePath(QStringLiteral("file"))));
    EXPECT_FALSE(IsDirectory(dir.filePath(QStringLiteral("missing/"))));
}

TEST(TextRoutines, ReplaceAllScansLeftToRightWithoutOverlap)
{
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), QStringLiteral("ba"));
    EXPECT_EQ(ReplaceAll("ab", "a", "aa"), QStringLiteral("aab"));
    EXPECT_EQ(ReplaceAll("abc", "", "x"), QStringLiteral("abc"));
}

TEST(TextRoutines, LineBreaksBecomeCrLf)
{
    EXPECT_EQ(ExpandLineBreaks(QStringLiteral("a\\nb")), QStringLiteral("a\r\nb"));
    EXPECT_EQ(ExpandLineBreaks(QStringLiteral("a\\tb\\")), QStringLiteral("a\\tb\\"));
    EXPECT_EQ(ExpandLineBreaks(QStringLiteral("\\\\n")), QStringLiteral("\\\r\n"));
}

TEST(TextRoutines, StripTrailingBackslashRemovesOneSeparator)
{
    EXPECT_EQ(StripTrailingBackslash(QStringLiteral("/tmp//")), QStringLiteral("/tmp/"));
    EXPECT_EQ(StripTrailingBackslash(QStringLiteral("/tmp")), QStringLiteral("/tmp"));
    EXPECT_EQ(ExtractFilePath(QStringLiteral("/a/b")), QStringLiteral("/a/"));
    EXPECT_EQ(ExtractFilePath(QStringLiteral("b")), QString());
}

TEST(GetTempFolder, AlwaysEndsWithASeparatorAndFallsBackToTmp)
{
    FakeFolders folders;
    folders.temp = QStringLiteral("/var/tmp");
    EXPECT_EQ(GetTempFolder(folders), QStringLiteral("/var/tmp/"));
    folders.temp = QStringLiteral("/scratch/");
    EXPECT_EQ(GetTempFolder(folders), QStringLiteral("/scratch/"));
    folders.temp.clear();
    EXPECT_EQ(GetTempFolder(folders), QStringLiteral("/tmp/"));
}

struct CentreCase {
    QRect reference;
    QSize window;
    QPoint expected;
};

class Centring : public testing::TestWithParam<CentreCase> {};

TEST_P(Centring, KeepsTheWindowOnTheScreen)
{
    EXPECT_EQ(CenteredPosition(GetParam().reference, GetParam().window, QSize(1024, 740)),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Centring,
    testing::Values(CentreCase{QRect(0, 0, 1024, 740), QSize(400, 300), QPoint(312, 220)},
                    CentreCase{QRect(100, 100, 301, 201), QSize(100, 100), QPoint(200, 150)},
                    CentreCase{QRect(900, 600, 200, 200), QSize(300, 300), QPoint(724, 440)},
                    CentreCase{QRect(-50, -40, 100, 80), QSize(100, 100), QPoint(0, 0)},
                    CentreCase{QRect(0, 0, 1024, 740), QSize(2000, 1000), QPoint(0, 0)},
                    CentreCase{QRect(10, 10, 10, 10), QSize(13, 13), QPoint(9, 9)}), // -3 div 2 is -1
    [](const testing::TestParamInfo<CentreCase> &info) { return "Case" + std::to_string(info.index); });

TEST(CenterWindow, MovesTheWindowOverItsReference)
{
    QWidget reference;
    reference.setGeometry(100, 80, 300, 200);
    QWidget window;
    window.resize(100, 50);
    CenterWindow(&reference, &window);
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_EQ(window.pos(),
              CenteredPosition(reference.frameGeometry(), window.frameGeometry().size(), screen));
    EXPECT_EQ(window.size(), QSize(100, 50));
    EXPECT_FALSE(window.isVisible());
}

TEST(ErrorBox, BeepsThenShowsTheTextWithItsLineBreaks)
{
    FakeSystemServices services;
    QWidget owner;
    ShowErrorBox(&owner, QStringLiteral("Cannot save\\nthe message"), services);
    EXPECT_EQ(services.calls, QStringList({"beep", "box"}));
    EXPECT_EQ(services.boxOwner, &owner);
    EXPECT_EQ(services.boxText, QStringLiteral("Cannot save\r\nthe message"));

    ShowError(QString(), services);
    EXPECT_EQ(services.boxOwner, nullptr);
    EXPECT_EQ(services.boxText, QString());
}
