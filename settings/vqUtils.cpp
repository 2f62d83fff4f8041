// Shared utility routines: error box, window centring, program start, folders and folder macros.
#include "settings/vqUtils.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

const QString kCurrentVersionKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");

// Paths without a stray "<" need one pass per macro kind; a machine folder whose value names
// itself would otherwise keep the expansion going for ever.
constexpr int kMostMacroPasses = 16;

const QString kMacros[] = {
    QStringLiteral("<ProgramFilesDir>"), QStringLiteral("<CommonFilesDir>"), QStringLiteral("<WindowsDir>"),
    QStringLiteral("<SystemDir>"),       QStringLiteral("<TempDir>"),        QStringLiteral("<ThisDir>"),
};

QString MacroValue(int index, platform::RegistryStore &store, const platform::SystemFolders &folders)
{
    switch (index) {
    case 0:
        return GetProgramFilesDir(store);
    case 1:
        return GetCommonFilesDir(store);
    case 2:
        return folders.windowsFolder();
    case 3:
        return folders.systemFolder();
    case 4:
        return folders.tempFolder();
    default:
        return folders.programFolder();
    }
}

} // namespace

EGeneralError::EGeneralError(const QString &text) : std::runtime_error(text.toStdString()), FMessage(text) {}

void ShowErrorBox(QWidget *owner, const QString &text, platform::SystemServices &services)
{
    services.beep();
    services.errorBox(owner, ExpandLineBreaks(text));
}

void ShowError(const QString &text, platform::SystemServices &services)
{
    ShowErrorBox(nullptr, text, services);
}

QPoint CenteredPosition(const QRect &reference, const QSize &window, const QSize &fullScreen)
{
    const int w = window.width();
    const int h = window.height();
    // Division truncates toward zero, also for a window larger than the reference.
    int x = reference.left() + (reference.width() - w) / 2;
    int y = reference.top() + (reference.height() - h) / 2;
    if (x + w > fullScreen.width()) x = fullScreen.width() - w;
    if (y + h > fullScreen.height()) y = fullScreen.height() - h;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    return QPoint(x, y);
}

void CenterWindow(QWidget *reference, QWidget *window)
{
    if (!window) return;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize fullScreen = screen ? screen->availableGeometry().size() : QSize();
    const QRect r = reference ? reference->frameGeometry() : QRect(QPoint(0, 0), fullScreen);
    window->move(CenteredPosition(r, window->frameGeometry().size(), fullScreen));
}

bool IsDirectory(const QString &path, const platform::SystemFolders &folders)
{
    if (path.isEmpty()) return false;
    // The root stands for a drive's root: a folder without asking.
    if (path == QLatin1String("/")) return true;
    if (path.size() == 1) return false;
    return folders.folderExists(StripTrailingBackslash(path));
}

QString ReplaceAll(const QString &text, const QString &oldText, const QString &newText)
{
    if (oldText.isEmpty()) return text;
    QString result = text;
    return result.replace(oldText, newText);
}

QString QuoteArg(const QString &path)
{
    if (path.contains(QLatin1Char(' '))) return QLatin1Char('"') + path + QStringLiteral("\" ");
    return path + QLatin1Char(' ');
}

QString ExtractFilePath(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

TLaunch PrepareLaunch(const QString &programFile, const QString &parameters, const QString &workingFolder,
                      const platform::SystemFolders &folders)
{
    TLaunch launch;
    launch.WorkingFolder = workingFolder;
    if (launch.WorkingFolder.isEmpty()) launch.WorkingFolder = ExtractFilePath(programFile);
    if (launch.WorkingFolder.isEmpty()) launch.WorkingFolder = ExtractFilePath(parameters);
    if (!IsDirectory(launch.WorkingFolder, folders)) launch.WorkingFolder = folders.currentFolder();

    if (!parameters.isEmpty())
        launch.CommandLine = QuoteArg(programFile) + parameters;
    else if (!programFile.isEmpty())
        launch.CommandLine = QuoteArg(programFile);
    return launch;
}

bool StartProgram(const QString &programFile, const QString &parameters, const QString &workingFolder,
                  int showMode, platform::ProcessLauncher &launcher, const platform::SystemFolders &folders)
{
    const TLaunch launch = PrepareLaunch(programFile, parameters, workingFolder, folders);
    return launcher.startDetached(launch.CommandLine, launch.WorkingFolder, showMode);
}

bool RunProgram(const QString &programFile, const QString &parameters, const QString &workingFolder,
                platform::ProcessLauncher &launcher, const platform::SystemFolders &folders)
{
    return StartProgram(programFile, parameters, workingFolder, 1, launcher, folders);
}

QString GetTempFolder(const platform::SystemFolders &folders)
{
    QString folder = folders.tempFolder();
    if (folder.isEmpty()) return QStringLiteral("/tmp/");
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

QString ExpandLineBreaks(const QString &text)
{
    return ReplaceAll(text, QStringLiteral("\\n"), QStringLiteral("\r\n"));
}

QString StripTrailingBackslash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path.left(path.size() - 1) : path;
}

QString ReplaceMacro(const QString &text, const QString &macro, const QString &value)
{
    return ReplaceAll(ReplaceAll(text, macro, value), QStringLiteral("//"), QStringLiteral("/"));
}

QString ExpandPathMacros(const QString &path, platform::RegistryStore &store,
                         const platform::SystemFolders &folders)
{
    QString result = path;
    for (int pass = 0; pass < kMostMacroPasses; ++pass) {
        int found = -1;
        for (int i = 0; i < static_cast<int>(std::size(kMacros)); ++i) {
            if (result.contains(kMacros[i])) {
                found = i;
                break;
            }
        }
        if (found < 0) return result;
        result = ReplaceMacro(result, kMacros[found], MacroValue(found, store, folders));
        if (!result.contains(QLatin1Char('<'))) return result;
    }
    return result;
}

bool TRegistryEx::OpenKeyRead(const QString &path)
{
    const bool relative = !path.startsWith(QLatin1Char('\\'));
    const QString given = relative ? path : path.mid(1);
    const QString newPath = relative && hasCurrentKey() ? currentPath() + QLatin1Char('\\') + given : given;
    return changeKey(newPath, newPath, false, false);
}

QString ReadSystemFolder(const QString &valueName, platform::RegistryStore &store)
{
    TRegistryEx registry(platform::RootKey::LocalMachine, store);
    if (!registry.OpenKeyRead(kCurrentVersionKey)) {
        QString text =
            QStringLiteral("Cannot access system registry infromation in:\\n%s\\n\\nPlease make sure that "
                           "you have a proper access rights to the system.");
        text.replace(QLatin1String("%s"), QStringLiteral("HKEY_LOCAL_MACHINE\\") + kCurrentVersionKey);
        throw EGeneralError(text);
    }
    // A value of another kind names no folder either.
    return registry.readString(valueName).value_or(QString());
}

QString GetProgramFilesDir(platform::RegistryStore &store)
{
    return ReadSystemFolder(QStringLiteral("ProgramFilesDir"), store);
}

QString GetCommonFilesDir(platform::RegistryStore &store)
{
    return ReadSystemFolder(QStringLiteral("CommonFilesDir"), store);
}
