// Starting programs: command lines split by the Windows quoting rules, started without a shell.
#include "platform/desktop/ProcessLauncher.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace platform;

struct SplitCase {
    const char *commandLine;
    QStringList args;
};

class CommandLineSplitting : public testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplitting, GivesTheArgumentsAWindowsProgramWouldSee)
{
    EXPECT_EQ(splitCommandLine(QString::fromUtf8(GetParam().commandLine)), GetParam().args)
        << GetParam().commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineSplitting,
    testing::Values(SplitCase{"", {}}, SplitCase{"   ", {}}, SplitCase{"prog", {"prog"}},
                    SplitCase{"/usr/bin/prog a  b\tc", {"/usr/bin/prog", "a", "b", "c"}},
                    SplitCase{"\"/opt/Vantorq Systems/SendMail\" \"/home/kid/eMail.dat\"",
                              {"/opt/Vantorq Systems/SendMail", "/home/kid/eMail.dat"}},
                    SplitCase{"p \"a b\"c d", {"p", "a bc", "d"}},
                    SplitCase{"p a\\\\b", {"p", "a\\\\b"}},        // backslashes alone stay
                    SplitCase{"p a\\\"b", {"p", "a\"b"}},          // \" is a quote
                    SplitCase{"p a\\\\\\\"b", {"p", "a\\\"b"}},    // \\\" is a backslash and a quote
                    SplitCase{"p \"a\\\\\" b", {"p", "a\\", "b"}}, // \\" is a backslash, then the quote ends
                    SplitCase{"p \"a\"\"b\"", {"p", "a\"b"}},      // "" inside quotes
                    SplitCase{"p \"\"", {"p", ""}}, SplitCase{"p \"unclosed arg", {"p", "unclosed arg"}},
                    SplitCase{"C:\\dir\\p.exe x", {"C:\\dir\\p.exe", "x"}}, // the program knows no escapes
                    SplitCase{"\"a\\\"b c", {"a\\", "b", "c"}}),
    [](const testing::TestParamInfo<SplitCase> &info) { return "Line" + std::to_string(info.index); });

TEST(ProcessLauncher, StartsTheProgramWithItsArgumentsInTheWorkingFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("work folder"));
    QDir().mkpath(folder);
    const QString script = dir.filePath(QStringLiteral("my tool"));
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nprintf '%s|' \"$PWD\" \"$@\" > out.tmp && mv out.tmp out.txt\n");
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    HostProcessLauncher launcher;
    ASSERT_TRUE(
        launcher.startDetached(QStringLiteral("\"%1\" \"two words\" $HOME;x").arg(script), folder, 1));

    const QString out = folder + QStringLiteral("/out.txt");
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(out) && !deadline.hasExpired())
        QThread::msleep(10);
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), folder + QStringLiteral("|two words|$HOME;x|"))
        << "no shell expands anything";
}

TEST(ProcessLauncher, AProgramThatDoesNotExistIsNotStarted)
{
    HostProcessLauncher launcher;
    EXPECT_FALSE(launcher.startDetached(QStringLiteral("/nonexistent/program arg"), QStringLiteral("/"), 1));
    EXPECT_FALSE(launcher.startDetached(QString(), QStringLiteral("/"), 1));
}
