// The registry over REGEDIT4 files: the file store and the key handle.
#include "platform/store/Registry.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/SafeRead.h"
#include "platform/store/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <sys/stat.h>
#include <time.h>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

// Settings files are a few kilobytes; anything far larger is not one of ours.
constexpr std::size_t kLargestHive = 16 * 1024 * 1024;
// How many damaged settings files are kept: "<file>.bad", then ".bad.1" up to ".bad.4".
constexpr int kDamagedCopies = 5;

// Trouble with the settings files goes where a parent looks for the settings' trouble.
const QLoggingCategory &lcSettings()
{
    static const QLoggingCategory category("chirpel.settings", QtWarningMsg);
    return category;
}

void report(const QString &text)
{
    qCWarning(lcSettings, "%s", qPrintable(text));
}

struct ReadResult {
    bool exists = false;
    // The file is there but may not be read (permission, or not a regular file): it is not
    // ours to set aside or replace.
    bool unreadable = false;
    std::optional<RegHive> hive;
    QString fault;
};

ReadResult readHiveFile(const QString &path, RootKey root)
{
    ReadResult result;
    std::string bytes;
    const SafeReadResult read = ReadRegularFile(QFile::encodeName(path).toStdString(), kLargestHive, bytes);
    if (read.error == ENOENT || read.error == ENOTDIR) return result;
    result.exists = true;
    if (read.error == EFBIG) {
        result.fault = QStringLiteral("the file is too large to be a settings file");
        return result;
    }
    if (!read) {
        result.unreadable = true;
        result.fault = QString::fromLocal8Bit(read.what.c_str());
        return result;
    }
    RegParseError error;
    result.hive = parseRegFile(QByteArray::fromStdString(bytes), rootKeyName(root), &error);
    if (!result.hive) {
        result.fault =
            error.line > 0 ? QStringLiteral("line %1: %2").arg(error.line).arg(error.reason) : error.reason;
    }
    return result;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    // QSaveFile is not used: it takes a short write under a size limit for a whole one and renames
    // the cut file into place.
    const ReplaceResult result = ReplaceFileAtomically(
        QFile::encodeName(path).toStdString(), bytes.constData(), size_t(bytes.size()), NewFileMode::Private);
    if (!result) *error = QString::fromLocal8Bit(std::strerror(result.error));
    return bool(result);
}

} // namespace

QString rootKeyName(RootKey root)
{
    return root == RootKey::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER")
                                        : QStringLiteral("HKEY_LOCAL_MACHINE");
}

RegFileStore::RegFileStore(QString userFile, QString machineFile)
    : FUserFile(std::move(userFile)), FMachineFile(std::move(machineFile))
{
}

namespace {

// How long ago a file must have been written for its stamp to tell every later write apart.
constexpr long long kSettledNs = 1000000000LL;

long long nanoseconds(const timespec &time)
{
    return time.tv_sec * 1000000000LL + time.tv_nsec;
}

} // namespace

std::optional<RegFileStore::FileStamp> RegFileStore::stampOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
    return FileStamp{info.st_dev, info.st_ino, static_cast<unsigned long long>(info.st_size),
                     nanoseconds(info.st_mtim)};
}

RegHive RegFileStore::load(RootKey root)
{
    const QString &path = root == RootKey::CurrentUser ? FUserFile : FMachineFile;
    ReadCache &cache = root == RootKey::CurrentUser ? FUserRead : FMachineRead;
    const std::optional<FileStamp> stamp = stampOf(path);
    if (stamp && cache.stamp == stamp) return cache.hive;
    cache.stamp.reset();
    ReadResult read = readHiveFile(path, root);
    // Kept only when the file did not change while it was read, and was last written long enough
    // ago that a write in place within the file system's clock tick cannot hide behind its stamp.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (read.hive && stamp && nanoseconds(now) - stamp->modifiedNs > kSettledNs && stampOf(path) == stamp) {
        cache.stamp = stamp;
        cache.hive = *read.hive;
    }
    if (read.unreadable && root == RootKey::CurrentUser && !FUserFileUnreadable) {
        FUserFileUnreadable = true;
        report(QStringLiteral("the settings file cannot be read: %1; the program runs on the defaults "
                              "and leaves the file as it is")
                   .arg(read.fault));
    } else if (read.unreadable && root == RootKey::LocalMachine) {
        report(QStringLiteral("the machine settings cannot be read: %1").arg(read.fault));
    }
    return read.hive.value_or(RegHive());
}

bool RegFileStore::setAsideDamagedUserFile()
{
    const ReadResult current = readHiveFile(FUserFile, RootKey::CurrentUser);
    if (!current.exists || current.hive) return true;
    if (current.unreadable) {
        // A file this program may not read (another user's, or not a file at all) holds
        // settings it cannot see; replacing it would lose them.
        report(QStringLiteral("the settings file cannot be read: %1; it is left as it is and the "
                              "settings are not saved")
                   .arg(current.fault));
        return false;
    }
    // The older damaged copies move up one place; the oldest of five goes.
    const QString bad = FUserFile + QStringLiteral(".bad");
    const auto copy = [&bad](int n) { return n == 0 ? bad : bad + QLatin1Char('.') + QString::number(n); };
    QFile::remove(copy(kDamagedCopies - 1));
    for (int n = kDamagedCopies - 2; n >= 0; --n)
        if (QFileInfo::exists(copy(n))) QFile::rename(copy(n), copy(n + 1));
    if (!QFile::rename(FUserFile, bad)) {
        report(QStringLiteral("the settings file %1 cannot be read (%2) and cannot be set aside as %3; "
                              "it is left as it is and the settings are not saved")
                   .arg(FUserFile, current.fault, bad));
        return false;
    }
    report(QStringLiteral("the settings file %1 could not be read (%2); it is kept as %3")
               .arg(FUserFile, current.fault, bad));
    return true;
}

bool RegFileStore::save(RootKey root, const RegHive &hive)
{
    if (root != RootKey::CurrentUser) {
        report(QStringLiteral("%1 is read only; nothing was saved").arg(rootKeyName(root)));
        ++FFailedSaves;
        return false;
    }
    if (!setAsideDamagedUserFile()) {
        ++FFailedSaves;
        return false;
    }
    const QString folder = QFileInfo(FUserFile).absolutePath();
    if (!QDir().mkpath(folder)) {
        report(
            QStringLiteral("cannot create the settings folder %1; the settings are not saved").arg(folder));
        ++FFailedSaves;
        return false;
    }
    QString error;
    if (!writeFileAtomically(FUserFile, formatRegFile(hive, rootKeyName(root)), &error)) {
        report(QStringLiteral("cannot write the settings file %1 (%2); the previous file is kept")
                   .arg(FUserFile, error));
        ++FFailedSaves;
        return false;
    }
    return true;
}

QString defaultUserRegPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/chirpel/user.reg");
}

QString defaultMachineRegPath()
{
    const QString appDir = ProgramFolder();
    const QString beside = appDir + QStringLiteral("/machine.reg");
    QStringList candidates{beside};
#ifdef CHIRPEL_INSTALLED_MACHINE_REG
    candidates << QStringLiteral(CHIRPEL_INSTALLED_MACHINE_REG);
#endif
    candidates << appDir + QStringLiteral("/../share/chirpel/machine.reg");
    for (const QString &path : candidates) {
        if (QFileInfo::exists(path)) return QDir::cleanPath(path);
    }
    return beside;
}

RegFileStore &defaultRegistryStore()
{
    static RegFileStore store(defaultUserRegPath(), defaultMachineRegPath());
    return store;
}

struct Registry::Impl {
    Impl(RootKey r, RegistryStore &s) : root(r), store(s) {}
    RootKey root;
    RegistryStore &store;
    bool open = false;
    bool writable = false;
    bool dirty = false;
    QString fullPath;    // from the root, normalised
    QString currentPath; // as the caller named it
    RegKeyValues values;
    QStringList written;
};

Registry::Registry(RootKey root, RegistryStore &store) : d(new Impl(root, store)) {}

Registry::~Registry()
{
    closeKey();
}

RootKey Registry::rootKey() const
{
    return d->root;
}

bool Registry::openKey(const QString &path, bool canCreate)
{
    const bool relative = !path.startsWith(QLatin1Char('\\'));
    const QString given = relative ? path : path.mid(1);
    const QString newPath = relative && d->open ? d->currentPath + QLatin1Char('\\') + given : given;
    return changeKey(newPath, newPath, true, canCreate);
}

bool Registry::openKeyReadOnly(const QString &path)
{
    const bool relative = !path.startsWith(QLatin1Char('\\'));
    const QString given = relative ? path : path.mid(1);
    const QString newPath = relative && d->open ? d->currentPath + QLatin1Char('\\') + given : given;
    return changeKey(newPath, newPath, false, false);
}

bool Registry::changeKey(const QString &fullPath, const QString &newPath, bool writable, bool canCreate)
{
    if (writable && !d->store.isWritable(d->root)) return false;
    if (!canCreate && !d->store.load(d->root).contains(fullPath)) return false;
    // Closing stores what the old key collected, which may be this very key.
    closeKey();
    const RegHive hive = d->store.load(d->root);
    const RegKeyValues *existing = hive.key(fullPath);
    d->open = true;
    d->writable = writable;
    d->dirty = !hive.contains(fullPath);
    d->fullPath = RegHive::normalizedPath(fullPath);
    d->currentPath = newPath;
    d->values = existing ? *existing : RegKeyValues();
    return true;
}

bool Registry::closeKey()
{
    bool ok = true;
    if (d->open && d->dirty) {
        RegHive hive = d->store.load(d->root);
        RegKeyValues &key = hive.createKey(d->fullPath);
        for (const QString &name : std::as_const(d->written))
            key.set(name, *d->values.find(name));
        ok = d->store.save(d->root, hive);
    }
    d->open = false;
    d->writable = false;
    d->dirty = false;
    d->fullPath.clear();
    d->currentPath.clear();
    d->values = RegKeyValues();
    d->written.clear();
    return ok;
}

bool Registry::hasCurrentKey() const
{
    return d->open;
}

QString Registry::currentPath() const
{
    return d->currentPath;
}

std::optional<RegValue> Registry::value(const QString &name) const
{
    const RegValue *v = d->open ? d->values.find(name) : nullptr;
    return v ? std::optional<RegValue>(*v) : std::nullopt;
}

std::optional<QString> Registry::readString(const QString &name) const
{
    const std::optional<RegValue> v = value(name);
    if (!v || !v->hasData()) return QString();
    if (!v->isText()) return std::nullopt;
    return v->text;
}

std::optional<qint32> Registry::readInteger(const QString &name) const
{
    const std::optional<RegValue> v = value(name);
    if (!v || v->type != RegDword) return std::nullopt;
    return static_cast<qint32>(v->number);
}

bool Registry::writeValue(const QString &name, const RegValue &value)
{
    if (!d->open || !d->writable) return false;
    d->values.set(name, value);
    if (!d->written.contains(name, Qt::CaseInsensitive)) d->written << name;
    d->dirty = true;
    return true;
}

bool Registry::writeString(const QString &name, const QString &text)
{
    return writeValue(name, RegValue::fromText(text));
}

bool Registry::writeExpandString(const QString &name, const QString &text)
{
    return writeValue(name, RegValue::fromExpandText(text));
}

bool Registry::writeInteger(const QString &name, qint32 number)
{
    return writeValue(name, RegValue::fromNumber(static_cast<quint32>(number)));
}

} // namespace platform
