// The system's folders as this machine reports them.
#include "platform/store/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

QString HostFolders::tempFolder() const
{
    QString folder = qEnvironmentVariable("TMPDIR");
    if (folder.isEmpty()) folder = QStringLiteral("/tmp");
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

QString HostFolders::windowsFolder() const
{
    return QStringLiteral("/usr");
}

QString HostFolders::systemFolder() const
{
    return QStringLiteral("/usr/bin");
}

QString HostFolders::programFolder() const
{
    return ProgramFolder();
}

QString ProgramFolder()
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    QString folder = self.exists() ? QFileInfo(self.canonicalFilePath()).absolutePath()
                                   : QCoreApplication::applicationDirPath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString HostFolders::currentFolder() const
{
    return QDir::currentPath();
}

bool HostFolders::folderExists(const QString &path) const
{
    return QFileInfo(path).isDir();
}

SystemFolders &defaultSystemFolders()
{
    static HostFolders folders;
    return folders;
}

} // namespace platform
