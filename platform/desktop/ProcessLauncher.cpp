// Starting another program detached, from a command line in the Windows quoting convention.
#include "platform/desktop/ProcessLauncher.h"

#include <QProcess>

namespace platform {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QStringList splitCommandLine(const QString &commandLine)
{
    QStringList args;
    const qsizetype n = commandLine.size();
    qsizetype pos = 0;
    while (pos < n && isBlank(commandLine[pos]))
        ++pos;
    if (pos >= n) return args;

    // The program's own name knows no escapes: a quote runs to the next quote.
    QString program;
    if (commandLine[pos] == QLatin1Char('"')) {
        const qsizetype close = commandLine.indexOf(QLatin1Char('"'), pos + 1);
        const qsizetype end = close < 0 ? n : close;
        program = commandLine.mid(pos + 1, end - pos - 1);
        pos = close < 0 ? n : close + 1;
    } else {
        while (pos < n && !isBlank(commandLine[pos]))
            program += commandLine[pos++];
    }
    args << program;

    for (;;) {
        while (pos < n && isBlank(commandLine[pos]))
            ++pos;
        if (pos >= n) break;
        QString arg;
        bool inQuotes = false;
        while (pos < n && (inQuotes || !isBlank(commandLine[pos]))) {
            const QChar c = commandLine[pos];
            if (c == QLatin1Char('\\')) {
                qsizetype count = 0;
                while (pos < n && commandLine[pos] == QLatin1Char('\\')) {
                    ++count;
                    ++pos;
                }
                if (pos < n && commandLine[pos] == QLatin1Char('"')) {
                    arg += QString(count / 2, QLatin1Char('\\'));
                    if (count % 2 == 1) {
                        arg += QLatin1Char('"');
                        ++pos;
                    }
                } else {
                    arg += QString(count, QLatin1Char('\\'));
                }
                continue;
            }
            if (c == QLatin1Char('"')) {
                if (inQuotes && pos + 1 < n && commandLine[pos + 1] == QLatin1Char('"')) {
                    arg += QLatin1Char('"');
                    pos += 2;
                    continue;
                }
                inQuotes = !inQuotes;
                ++pos;
                continue;
            }
            arg += c;
            ++pos;
        }
        args << arg;
    }
    return args;
}

bool HostProcessLauncher::startDetached(const QString &commandLine, const QString &workingFolder,
                                        int showMode)
{
    // A desktop program has no window show mode to pass on; its window manager places it.
    Q_UNUSED(showMode);
    QStringList args = splitCommandLine(commandLine);
    if (args.isEmpty() || args.first().isEmpty()) return false;
    const QString program = args.takeFirst();
    return QProcess::startDetached(program, args, workingFolder);
}

ProcessLauncher &defaultProcessLauncher()
{
    static HostProcessLauncher launcher;
    return launcher;
}

} // namespace platform
