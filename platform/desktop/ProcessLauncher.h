// Starting another program detached, from a command line in the Windows quoting convention.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Splits a command line the way Windows programs read theirs: the program is the first token
// (quoted when it holds blanks, no escapes); then blanks separate arguments, double quotes
// group, 2n backslashes before a quote give n backslashes, 2n+1 give n and a literal quote,
// and "" inside quotes is a literal quote.
QStringList splitCommandLine(const QString &commandLine);

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts the program the command line names, without a shell and without waiting for it.
    // showMode is the window show mode asked for (0 hidden, 1 normal); true when it started.
    virtual bool startDetached(const QString &commandLine, const QString &workingFolder, int showMode) = 0;
};

class HostProcessLauncher final : public ProcessLauncher {
public:
    bool startDetached(const QString &commandLine, const QString &workingFolder, int showMode) override;
};

ProcessLauncher &defaultProcessLauncher();

} // namespace platform
