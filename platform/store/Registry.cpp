// The registry over REGEDIT4 files: the file store and the key handle.
#include "platform/store/Registry.h"

#include "platform/files/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

// Settings files are a few kilobytes; anything far larger is not one of ours.
constexpr qint64 kLargestHive = 16 * 1024 * 1024;

void report(const QString &text)
{
    std::fprintf(stderr, "chirpel: %s\n", qPrintable(text));
    std::fflush(stderr);
}

struct ReadResult {
    bool exists = false;
    std::optional<RegHive> hive;
    QString fault;
};

ReadResult readHiveFile(const QString &path, RootKey root)
{
    ReadResult result;
    QFile file(path);
    if (!file.exists()) return result;
    result.exists = true;
    if (!file.open(QIODevice::ReadOnly)) {
        result.fault = file.errorString();
        return result;
    }
    if (file.size() > kLargestHive) {
        result.fault = QStringLiteral("the file is too large to be a settings file");
        return result;
    }
    RegParseError error;
    result.hive = parseRegFile(file.readAll(), rootKeyName(root), &error);
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

RegHive RegFileStore::load(RootKey root)
{
    const QString &path = root == RootKey::CurrentUser ? FUserFile : FMachineFile;
    return readHiveFile(path, root).hive.value_or(RegHive());
}

bool RegFileStore::setAsideDamagedUserFile()
{
    const ReadResult current = readHiveFile(FUserFile, RootKey::CurrentUser);
    if (!current.exists || current.hive) return true;
    const QString bad = FUserFile + QStringLiteral(".bad");
    QFile::remove(bad);
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
    const QString appDir = QCoreApplication::applicationDirPath();
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
