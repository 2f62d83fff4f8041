// The registry: typed values under keys by path, stored in REGEDIT4 files (QtCore only).
#pragma once

#include "platform/store/RegFile.h"

#include <QString>

#include <memory>
#include <optional>

namespace platform {

enum class RootKey { CurrentUser, LocalMachine };

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
QString rootKeyName(RootKey root);

// Where the hives live. A missing or unreadable hive loads empty; saving stores a hive whole.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    virtual RegHive load(RootKey root) = 0;
    // False when the hive could not be stored; the store has then said why on standard error.
    virtual bool save(RootKey root, const RegHive &hive) = 0;
    virtual bool isWritable(RootKey root) const = 0;
    // How many saves have failed so far.
    virtual int failedSaves() const = 0;
};

// HKEY_CURRENT_USER in userFile (written whole and atomically), HKEY_LOCAL_MACHINE read from
// machineFile. Files are read without blocking, only when they are regular files of at most
// 16 MiB. A damaged user file is set aside as "<userFile>.bad" before the first save (the five
// latest damaged files are kept: ".bad", ".bad.1" ... ".bad.4"), so it is never silently
// replaced; one that may not be read (permission, not a regular file) loads empty, is reported
// once, and is never replaced.
class RegFileStore final : public RegistryStore {
public:
    RegFileStore(QString userFile, QString machineFile);

    RegHive load(RootKey root) override;
    bool save(RootKey root, const RegHive &hive) override;
    bool isWritable(RootKey root) const override { return root == RootKey::CurrentUser; }

    QString userFile() const { return FUserFile; }
    QString machineFile() const { return FMachineFile; }
    int failedSaves() const override { return FFailedSaves; }
    // The user file exists but could not be read: it stays as it is.
    bool userFileUnreadable() const { return FUserFileUnreadable; }

private:
    // A file's identity and version: the same file, unchanged since it was last read.
    struct FileStamp {
        unsigned long long device = 0, inode = 0, size = 0;
        long long modifiedNs = 0;
        bool operator==(const FileStamp &) const = default;
    };
    // What was read last from one file, kept while the file stays as it was: every key opened at
    // start reads the same file, which is then read and parsed only once.
    struct ReadCache {
        std::optional<FileStamp> stamp;
        RegHive hive;
    };

    bool setAsideDamagedUserFile();
    static std::optional<FileStamp> stampOf(const QString &path);

    QString FUserFile;
    QString FMachineFile;
    int FFailedSaves = 0;
    bool FUserFileUnreadable = false;
    ReadCache FUserRead, FMachineRead;
};

// ${XDG_CONFIG_HOME:-$HOME/.config}/chirpel/user.reg
QString defaultUserRegPath();
// machine.reg beside the executable, else in the installed data folder.
QString defaultMachineRegPath();
// The program's own store over the two default paths, made on first use.
RegFileStore &defaultRegistryStore();

// A handle on one open key at a time, with the registry's read and write rules. Writes collect
// in the handle and reach the store when the key is closed (or another key is opened).
class Registry {
public:
    explicit Registry(RootKey root = RootKey::CurrentUser, RegistryStore &store = defaultRegistryStore());
    virtual ~Registry();
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;

    RootKey rootKey() const;

    // A path is relative to the open key unless it begins with a backslash.
    // canCreate creates a missing key; the key is opened for reading and writing.
    bool openKey(const QString &path, bool canCreate);
    // Opens an existing key for reading only; nothing is created.
    bool openKeyReadOnly(const QString &path);
    // Stores the values written since the key was opened; false when the store refused them.
    bool closeKey();

    bool hasCurrentKey() const;
    QString currentPath() const;

    std::optional<RegValue> value(const QString &name) const;
    // A missing value, or one without data, reads as an empty text; a value of another kind
    // that holds data is a read error (nullopt). Expandable texts come back unexpanded.
    std::optional<QString> readString(const QString &name) const;
    // Only a 32-bit number value reads; a missing value or any other kind is a read error.
    std::optional<qint32> readInteger(const QString &name) const;

    // False when no key is open for writing.
    bool writeString(const QString &name, const QString &text);
    bool writeExpandString(const QString &name, const QString &text);
    bool writeInteger(const QString &name, qint32 number);

protected:
    // Replaces the open key with the key at the full path (from the root), which must exist
    // unless canCreate; currentPath becomes newPath.
    bool changeKey(const QString &fullPath, const QString &newPath, bool writable, bool canCreate);

private:
    bool writeValue(const QString &name, const RegValue &value);

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
