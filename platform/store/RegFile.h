// Registry values, keys and hives in memory, and their REGEDIT4 text form (QtCore only).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace platform {

// The registry's type codes for the kinds of value the program knows by name.
enum RegType : quint32 {
    RegNone = 0,
    RegSz = 1,       // text
    RegExpandSz = 2, // expandable text (taken literally by the program)
    RegBinary = 3,
    RegDword = 4, // 32-bit number
};

// One value: text kinds carry text, REG_DWORD a number, every other kind its raw bytes.
struct RegValue {
    quint32 type = RegSz;
    QString text;
    quint32 number = 0;
    QByteArray raw;

    static RegValue fromText(const QString &text);
    static RegValue fromExpandText(const QString &text);
    static RegValue fromNumber(quint32 number);
    static RegValue fromRaw(quint32 type, const QByteArray &bytes);

    bool isText() const { return type == RegSz || type == RegExpandSz; }
    // Whether the value carries any data at all (an empty text still carries its terminator).
    bool hasData() const;
    bool operator==(const RegValue &other) const;
};

// The values of one key in the order they were first written; names compare without case.
class RegKeyValues {
public:
    const RegValue *find(const QString &name) const;
    void set(const QString &name, const RegValue &value);
    bool remove(const QString &name);
    const std::vector<std::pair<QString, RegValue>> &entries() const { return FEntries; }
    bool operator==(const RegKeyValues &other) const { return FEntries == other.FEntries; }

private:
    std::vector<std::pair<QString, RegValue>> FEntries;
};

// All keys below one root key, by path relative to the root ("Software\Brimblet\Chirpel").
class RegHive {
public:
    // The values of a key named in the hive; null for keys that only lie above named ones.
    const RegKeyValues *key(const QString &path) const;
    // Whether the key exists: named in the hive, above a named key, or the root itself.
    bool contains(const QString &path) const;
    RegKeyValues &createKey(const QString &path);
    QStringList keyPaths() const;
    bool isEmpty() const { return FKeys.empty(); }
    bool operator==(const RegHive &other) const { return FKeys == other.FKeys; }

    // Keys compare without case and without leading, trailing or doubled backslashes.
    static QString normalizedPath(const QString &path);

private:
    std::vector<std::pair<QString, RegKeyValues>> FKeys;
};

struct RegParseError {
    int line = 0; // 1-based line of the fault; 0 for faults of the whole file
    QString reason;
};

// Reads a REGEDIT4 file whose keys all lie under rootName ("HKEY_CURRENT_USER"). Any line it
// cannot read makes the whole file unreadable: a damaged file is never half taken.
std::optional<RegHive> parseRegFile(const QByteArray &bytes, const QString &rootName,
                                    RegParseError *error = nullptr);

// Writes the hive as REGEDIT4 text in UTF-8; parseRegFile reads it back unchanged.
QByteArray formatRegFile(const RegHive &hive, const QString &rootName);

} // namespace platform
