// Starting programs: command lines split by the Windows quoting rules, started without a shell.
#include "platform/desktop/ProcessLauncher.h"

#include "settings/SettingsFakes.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace platform;

TEST(CommandLineSplitting, GivesTheArgumentsAWindowsProgramWouldSee)
{
    const std::pair<const char *, QStringList> cases[] = {
        {"", {}},
        {"   ", {}},
        {"/usr/bin/prog a  b\tc", {"/usr/bin/prog", "a", "b", "c"}},
        {"\"/opt/Vantorq Systems/SendMail\" \"/home/kid/eMail.dat\"",
         {"/opt/Vantorq Systems/SendMail", "/home/kid/eMail.dat"}},
        {"p \"a b\"c d", {"p", "a bc", "d"}},
        {"p a\\\\b", {"p", "a\\\\b"}},        // backslashes alone stay
        {"p a\\\"b", {"p", "a\"b"}},          // \" is a quote
        {"p a\\\\\\\"b", {"p", "a\\\"b"}},    // \\\" is a backslash and a quote
        {"p \"a\\\\\" b", {"p", "a\\", "b"}}, // \\" is a backslash, then the quote ends
        {"p \"a\"\"b\"", {"p", "a\"b"}},      // "" inside quotes
        {"p \"\"", {"p", ""}},
        {"p \"unclosed arg", {"p", "unclosed arg"}},
        {"C:\\dir\\p.exe x", {"C:\\dir\\p.exe", "x"}}, // the program name knows no escapes
        {"\"a\\\"b c", {"a\\", "b", "c"}},
    };
    for (const auto &[line, args] : cases)
        EXPECT_EQ(splitCommandLine(QString::fromUtf8(line)), args) << line;
}

TEST(ProcessLauncher, StartsTheProgramWithItsArgumentsInTheWorkingFolderAndNoShell)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("work folder")), script = dir.filePath("my tool");
    QDir().mkpath(folder);
    TempRegistry::write(script, "#!/bin/sh\nprintf '%s|' \"$PWD\" \"$@\" > out.tmp && mv out.tmp out.txt\n");
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    HostProcessLauncher launcher;
    ASSERT_TRUE(
        launcher.startDetached(QStringLiteral("\"%1\" \"two words\" $HOME;x").arg(script), folder, 1));
    const QDeadlineTimer deadline(10000);
    while (!QFile::exists(folder + "/out.txt") && !deadline.hasExpired())
        QThread::msleep(10);
    QFile out(folder + "/out.txt");
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(out.readAll()), folder + QStringLiteral("|two words|$HOME;x|"));
    EXPECT_FALSE(launcher.startDetached(QStringLiteral("/nonexistent/program arg"), QStringLiteral("/"), 1));
    EXPECT_FALSE(launcher.startDetached(QString(), QStringLiteral("/"), 1));
}
