// Shared utility routines: error box, window centring, program start, folders and folder macros.
// Folders are separated by "/": it stands wherever a folder backslash would on Windows.
#pragma once

#include "platform/desktop/ProcessLauncher.h"
#include "platform/desktop/SystemServices.h"
#include "platform/store/Folders.h"
#include "platform/store/Registry.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <stdexcept>

class QWidget;

// A general error; Message() is its text as raised (backslash-n pairs not yet line breaks).
class EGeneralError : public std::runtime_error {
public:
    explicit EGeneralError(const QString &text);
    QString Message() const { return FMessage; }

private:
    QString FMessage;
};

// Stop beep, then a modal box with caption "Error", the stop icon and OK, showing the text with
// its line breaks expanded. owner may be null.
void ShowErrorBox(QWidget *owner, const QString &text,
                  platform::SystemServices &services = platform::defaultSystemServices());
void ShowError(const QString &text, platform::SystemServices &services = platform::defaultSystemServices());

// Where a window of the given size goes: centred over reference, kept inside the full-screen
// client area (0, 0, fullScreen), never left of or above 0.
QPoint CenteredPosition(const QRect &reference, const QSize &window, const QSize &fullScreen);
// Moves window to its centred position over reference (null: the screen), without resizing,
// restacking or activating it.
void CenterWindow(QWidget *reference, QWidget *window);

// Whether the path names an existing folder; one trailing "/" is ignored. "/" is a folder.
bool IsDirectory(const QString &path,
                 const platform::SystemFolders &folders = platform::defaultSystemFolders());

// Every occurrence of oldText, left to right, without overlap; inserted text is not scanned
// again. An empty oldText leaves the text as it is.
QString ReplaceAll(const QString &text, const QString &oldText, const QString &newText);

// The path and one blank; in double quotes when it holds a blank.
QString QuoteArg(const QString &path);

// The folder part of a path, up to and including its last "/"; empty when it has none.
QString ExtractFilePath(const QString &path);

struct TLaunch {
    QString WorkingFolder;
    QString CommandLine;
};

// Working folder: the given one, else the program file's folder, else the parameters' folder;
// the process's current folder when that is no folder. Command line: QuoteArg(program file)
// followed directly by the parameters.
TLaunch PrepareLaunch(const QString &programFile, const QString &parameters, const QString &workingFolder,
                      const platform::SystemFolders &folders = platform::defaultSystemFolders());

// Starts the program and does not wait for it; true when it was started.
bool StartProgram(const QString &programFile, const QString &parameters, const QString &workingFolder,
                  int showMode, platform::ProcessLauncher &launcher = platform::defaultProcessLauncher(),
                  const platform::SystemFolders &folders = platform::defaultSystemFolders());
// StartProgram with the show mode of a normal window (1).
bool RunProgram(const QString &programFile, const QString &parameters, const QString &workingFolder,
                platform::ProcessLauncher &launcher = platform::defaultProcessLauncher(),
                const platform::SystemFolders &folders = platform::defaultSystemFolders());

// The system's temporary folder, always ending with "/"; "/tmp/" when the system knows none.
QString GetTempFolder(const platform::SystemFolders &folders = platform::defaultSystemFolders());

// Each backslash-n pair becomes CR LF, left to right.
QString ExpandLineBreaks(const QString &text);

// Removes one folder separator "/" at the end, when there is one.
QString StripTrailingBackslash(const QString &path);

// ReplaceAll of the macro by the value, then every doubled "/" in the whole result becomes one.
QString ReplaceMacro(const QString &text, const QString &macro, const QString &value);

// Expands "<ProgramFilesDir>", "<CommonFilesDir>", "<WindowsDir>", "<SystemDir>", "<TempDir>"
// and "<ThisDir>": one macro kind per pass, the first of that order found in the path, until no
// "<" is left or no macro is found. Raises EGeneralError when the machine's folders cannot be read.
QString ExpandPathMacros(const QString &path,
                         platform::RegistryStore &store = platform::defaultRegistryStore(),
                         const platform::SystemFolders &folders = platform::defaultSystemFolders());

// The registry with one more way to open a key: for reading only, never creating it.
class TRegistryEx : public platform::Registry {
public:
    using platform::Registry::Registry;
    // A path is relative to the open key unless it begins with a backslash.
    bool OpenKeyRead(const QString &path);
};

// A text value under HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion (empty when
// missing); raises EGeneralError when that key cannot be opened.
QString ReadSystemFolder(const QString &valueName,
                         platform::RegistryStore &store = platform::defaultRegistryStore());
QString GetProgramFilesDir(platform::RegistryStore &store = platform::defaultRegistryStore());
QString GetCommonFilesDir(platform::RegistryStore &store = platform::defaultRegistryStore());
