// Private-profile (INI) files: sections of key=value lines, updated in place and replaced whole.
#include "platform/store/ProfileFile.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/SafeRead.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <optional>

namespace platform {

namespace {

// A profile is a few lines of settings; anything larger is not one.
constexpr std::size_t kMaxProfileBytes = 1 << 20;

QString LineText(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).trimmed();
}

// The section a header line opens, or nothing for any other line.
std::optional<QString> HeaderName(const QString &text)
{
    if (!text.startsWith(QLatin1Char('['))) return std::nullopt;
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    return (close < 0 ? text.mid(1) : text.mid(1, close - 1)).trimmed();
}

bool IsEntry(const QString &text)
{
    return !text.isEmpty() && !text.startsWith(QLatin1Char(';')) && !text.startsWith(QLatin1Char('['));
}

bool HoldsLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

} // namespace

TProfileFile::TProfileFile(QString fileName) : FFileName(std::move(fileName))
{
    std::string data;
    const SafeReadResult read =
        ReadRegularFile(QFile::encodeName(FFileName).toStdString(), kMaxProfileBytes, data);
    if (!read) {
        if (read.error != ENOENT) FLoadError = QString::fromStdString(read.what);
        return;
    }
    const QByteArray bytes = QByteArray::fromStdString(data);
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        FLines.append({bytes.mid(start, end - start)});
        start = end;
    }
    // New lines follow the file's own convention.
    if (!FLines.isEmpty() && FLines.front().bytes.endsWith("\r\n")) FNewline = "\r\n";
}

int TProfileFile::FindSection(const QString &section, int from) const
{
    for (int i = from; i < FLines.size(); ++i) {
        const auto name = HeaderName(LineText(FLines[i].bytes));
        if (name && name->compare(section, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

int TProfileFile::SectionEnd(int header) const
{
    int i = header + 1;
    while (i < FLines.size() && !HeaderName(LineText(FLines[i].bytes)))
        ++i;
    return i;
}

int TProfileFile::FindKey(int header, const QString &key) const
{
    // A key may itself hold "=" (a file path): the line must begin with the whole key, then "=".
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const QString text = LineText(FLines[i].bytes);
        if (!IsEntry(text) || !text.startsWith(key, Qt::CaseInsensitive)) continue;
        if (text.mid(key.size()).trimmed().startsWith(QLatin1Char('='))) return i;
    }
    return -1;
}

QString TProfileFile::ReadString(const QString &section, const QString &key,
                                 const QString &defaultValue) const
{
    for (int header = FindSection(section); header >= 0; header = FindSection(section, header + 1)) {
        const int end = SectionEnd(header);
        for (int i = header + 1; i < end; ++i) {
            const QString text = LineText(FLines[i].bytes);
            const qsizetype eq = text.indexOf(QLatin1Char('='));
            if (IsEntry(text) && eq >= 0 && text.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
                return text.mid(eq + 1).trimmed();
        }
    }
    return defaultValue;
}

QStringList TProfileFile::Sections() const
{
    QStringList names;
    for (const Line &line : FLines) {
        if (const auto name = HeaderName(LineText(line.bytes))) names << *name;
    }
    return names;
}

QStringList TProfileFile::SectionEntries(const QString &section) const
{
    QStringList entries;
    for (int header = FindSection(section); header >= 0; header = FindSection(section, header + 1)) {
        const int end = SectionEnd(header);
        for (int i = header + 1; i < end; ++i) {
            const QString text = LineText(FLines[i].bytes);
            if (IsEntry(text)) entries << text;
        }
    }
    return entries;
}

void TProfileFile::EnsureLastLineEnded()
{
    if (!FLines.isEmpty() && !FLines.back().bytes.endsWith('\n')) FLines.back().bytes += FNewline;
}

bool TProfileFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    const QString name = section.trimmed();
    const QString entryKey = key.trimmed();
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value) ||
        name.contains(QLatin1Char(']')) || !IsEntry(entryKey))
        return false;

    const QByteArray entry = entryKey.toUtf8() + '=' + value.toUtf8() + FNewline;
    const int header = FindSection(name);
    if (header < 0) {
        EnsureLastLineEnded();
        // A blank line sets a new section off from the one before it.
        if (!FLines.isEmpty() && !LineText(FLines.back().bytes).isEmpty()) FLines.append({FNewline});
        FLines.append({'[' + name.toUtf8() + ']' + FNewline});
        FLines.append({entry});
        return true;
    }
    const int existing = FindKey(header, entryKey);
    if (existing >= 0) {
        FLines[existing].bytes = entry;
        return true;
    }
    // After the section's last non-blank line, so that blank lines before the next section stay there.
    int at = SectionEnd(header);
    while (at > header + 1 && LineText(FLines[at - 1].bytes).isEmpty())
        --at;
    if (at == FLines.size())
        EnsureLastLineEnded();
    else if (at > 0 && !FLines[at - 1].bytes.endsWith('\n'))
        FLines[at - 1].bytes += FNewline;
    FLines.insert(at, {entry});
    return true;
}

void TProfileFile::EraseSection(const QString &section)
{
    for (int header = FindSection(section.trimmed()); header >= 0;
         header = FindSection(section.trimmed(), header))
        FLines.remove(header, SectionEnd(header) - header);
}

QByteArray TProfileFile::Contents() const
{
    QByteArray bytes;
    for (const Line &line : FLines)
        bytes += line.bytes;
    return bytes;
}

bool TProfileFile::UpdateFile()
{
    FError.clear();
    if (!FLoadError.isEmpty()) {
        // Writing now would throw away whatever the unreadable file holds.
        FError = FLoadError;
        return false;
    }
    const QByteArray bytes = Contents();
    const ReplaceResult result =
        ReplaceFileAtomically(QFile::encodeName(FFileName).toStdString(), bytes.constData(), bytes.size());
    if (!result) {
        FError = QStringLiteral("%1 %2: %3")
                     .arg(QString::fromLatin1(result.step), QString::fromStdString(result.path),
                          QString::fromLocal8Bit(std::strerror(result.error)));
        return false;
    }
    return true;
}

} // namespace platform
