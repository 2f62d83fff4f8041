// The system's folders: temporary, the system's own two, the program's, the current one.
#pragma once

#include <QString>

namespace platform {

// What the system reports; each answer is used as it stands (no separator is added or removed
// unless said so).
class SystemFolders {
public:
    virtual ~SystemFolders() = default;
    // The temporary folder, ending with "/"; empty when the system knows none.
    virtual QString tempFolder() const = 0;
    // Where the operating system itself is installed ("/usr").
    virtual QString windowsFolder() const = 0;
    // Where the system's own programs are ("/usr/bin").
    virtual QString systemFolder() const = 0;
    // The folder of the running program file, without a trailing "/".
    virtual QString programFolder() const = 0;
    // The process's current folder.
    virtual QString currentFolder() const = 0;
    // Whether an entry exists at the path and is a folder.
    virtual bool folderExists(const QString &path) const = 0;
};

// The real folders: $TMPDIR or /tmp, /usr, /usr/bin, the executable's folder.
class HostFolders final : public SystemFolders {
public:
    QString tempFolder() const override;
    QString windowsFolder() const override;
    QString systemFolder() const override;
    QString programFolder() const override;
    QString currentFolder() const override;
    bool folderExists(const QString &path) const override;
};

SystemFolders &defaultSystemFolders();

// The folder of the running program file, without a trailing "/"; also before the application
// object exists, so that the settings can be read while the window system is still connecting.
QString ProgramFolder();

} // namespace platform
