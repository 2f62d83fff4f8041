// Registry values, keys and hives in memory, and their REGEDIT4 text form.
#include "platform/store/RegFile.h"

#include <QStringDecoder>

namespace platform {

namespace {

const QString kHeader = QStringLiteral("REGEDIT4");
constexpr int kHexBytesPerLine = 24;

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

bool allHexDigits(const QString &text)
{
    for (QChar c : text) {
        if (!isHexDigit(c)) return false;
    }
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Text kinds in hex form hold UTF-8 bytes up to a terminating zero byte.
std::optional<QString> textFromBytes(const QByteArray &bytes)
{
    const qsizetype end = bytes.indexOf('\0');
    const QByteArray body = end < 0 ? bytes : bytes.left(end);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder(body);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

QByteArray bytesFromText(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.append('\0');
    return bytes;
}

// A text that a quoted REGEDIT4 string cannot carry on one line goes out in hex form.
bool needsHexForm(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
    }
    return false;
}

QString quoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"')) out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

QString hexForm(const QString &prefix, const QByteArray &bytes)
{
    QString out = prefix;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += QLatin1Char(',');
            if (i % kHexBytesPerLine == 0) out += QStringLiteral("\\\n  ");
        }
        out += QString::asprintf("%02x", static_cast<unsigned char>(bytes[i]));
    }
    return out;
}

// Line-by-line reader; every fault names its line and makes the whole file unreadable.
class Parser {
public:
    Parser(QStringList lines, QString rootName) : FLines(std::move(lines)), FRoot(std::move(rootName)) {}

    std::optional<RegHive> run(RegParseError *error)
    {
        bool headerSeen = false;
        RegKeyValues *current = nullptr;
        for (FIndex = 0; FIndex < FLines.size(); ++FIndex) {
            const QString line = FLines[FIndex].trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
            if (!headerSeen) {
                if (line != kHeader)
                    return fail(error, QStringLiteral("the file does not start with REGEDIT4"));
                headerSeen = true;
                continue;
            }
            if (line.startsWith(QLatin1Char('['))) {
                current = openKey(line);
                if (!current) return fail(error, FReason);
                continue;
            }
            if (!current) return fail(error, QStringLiteral("a value stands before any key"));
            if (!readValue(line, *current)) return fail(error, FReason);
        }
        if (!headerSeen) {
            FIndex = -1;
            return fail(error, QStringLiteral("the file does not start with REGEDIT4"));
        }
        return std::move(FHive);
    }

private:
    std::nullopt_t fail(RegParseError *error, const QString &reason)
    {
        if (error) {
            error->line = static_cast<int>(FIndex) + 1;
            error->reason = reason;
        }
        return std::nullopt;
    }

    RegKeyValues *openKey(const QString &line)
    {
        if (!line.endsWith(QLatin1Char(']'))) {
            FReason = QStringLiteral("a key line lacks its closing bracket");
            return nullptr;
        }
        const QString full = line.mid(1, line.size() - 2);
        if (full.startsWith(QLatin1Char('-'))) {
            FReason = QStringLiteral("key deletions are not settings");
            return nullptr;
        }
        const bool underRoot = full.startsWith(FRoot, Qt::CaseInsensitive) &&
                               (full.size() == FRoot.size() || full[FRoot.size()] == QLatin1Char('\\'));
        if (!underRoot) {
            FReason = QStringLiteral("a key lies outside %1").arg(FRoot);
            return nullptr;
        }
        return &FHive.createKey(full.mid(FRoot.size()));
    }

    // Reads a quoted text starting at pos (on the opening quote); pos ends after the closing quote.
    std::optional<QString> readQuoted(const QString &line, qsizetype &pos)
    {
        QString out;
        for (++pos; pos < line.size(); ++pos) {
            const QChar c = line[pos];
            if (c == QLatin1Char('"')) {
                ++pos;
                return out;
            }
            if (c == QLatin1Char('\\')) {
                if (pos + 1 >= line.size() ||
                    (line[pos + 1] != QLatin1Char('\\') && line[pos + 1] != QLatin1Char('"'))) {
                    FReason = QStringLiteral("a backslash escapes neither a backslash nor a quote");
                    return std::nullopt;
                }
                ++pos;
                out += line[pos];
                continue;
            }
            out += c;
        }
        FReason = QStringLiteral("a quoted text is not closed");
        return std::nullopt;
    }

    bool readValue(const QString &line, RegKeyValues &key)
    {
        qsizetype pos = 0;
        QString name;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (line.startsWith(QLatin1Char('"'))) {
            auto n = readQuoted(line, pos);
            if (!n) return false;
            name = *n;
        } else {
            FReason = QStringLiteral("the line is neither a key nor a value");
            return false;
        }
        if (pos >= line.size() || line[pos] != QLatin1Char('=')) {
            FReason = QStringLiteral("a value name is not followed by =");
            return false;
        }
        ++pos;
        auto value = readData(line, pos);
        if (!value) return false;
        key.set(name, *value);
        return true;
    }

    std::optional<RegValue> readData(const QString &line, qsizetype pos)
    {
        const QString rest = line.mid(pos);
        if (rest.startsWith(QLatin1Char('"'))) {
            qsizetype p = 0;
            auto text = readQuoted(rest, p);
            if (!text) return std::nullopt;
            if (!rest.mid(p).trimmed().isEmpty()) {
                FReason = QStringLiteral("text follows a quoted value");
                return std::nullopt;
            }
            return RegValue::fromText(*text);
        }
        if (rest.startsWith(QLatin1String("dword:"))) {
            const QString digits = rest.mid(6).trimmed();
            if (digits.size() != 8 || !allHexDigits(digits)) {
                FReason = QStringLiteral("a number is not eight hexadecimal digits");
                return std::nullopt;
            }
            return RegValue::fromNumber(digits.toUInt(nullptr, 16));
        }
        if (rest.startsWith(QLatin1String("hex"))) return readHex(rest);
        FReason = QStringLiteral("the value has no known kind");
        return std::nullopt;
    }

    std::optional<RegValue> readHex(const QString &rest)
    {
        quint32 type = RegBinary;
        qsizetype pos = 3;
        if (pos < rest.size() && rest[pos] == QLatin1Char('(')) {
            const qsizetype close = rest.indexOf(QLatin1Char(')'), pos);
            const QString digits = close > pos ? rest.mid(pos + 1, close - pos - 1) : QString();
            if (digits.isEmpty() || digits.size() > 8 || !allHexDigits(digits)) {
                FReason = QStringLiteral("a hex kind is not a hexadecimal number");
                return std::nullopt;
            }
            type = digits.toUInt(nullptr, 16);
            pos = close + 1;
        }
        if (pos >= rest.size() || rest[pos] != QLatin1Char(':')) {
            FReason = QStringLiteral("a hex value lacks its colon");
            return std::nullopt;
        }
        QString data = rest.mid(pos + 1).trimmed();
        // Continuation lines end with a backslash after the comma.
        while (data.endsWith(QLatin1Char('\\'))) {
            data.chop(1);
            if (FIndex + 1 >= FLines.size()) {
                FReason = QStringLiteral("a hex value is cut short");
                return std::nullopt;
            }
            data += FLines[++FIndex].trimmed();
        }
        QByteArray bytes;
        if (!data.isEmpty()) {
            for (const QString &part : data.split(QLatin1Char(','))) {
                const QString b = part.trimmed();
                if (b.size() != 2 || !allHexDigits(b)) {
                    FReason = QStringLiteral("a hex byte is not two hexadecimal digits");
                    return std::nullopt;
                }
                bytes.append(static_cast<char>(b.toUInt(nullptr, 16)));
            }
        }
        if (type == RegSz || type == RegExpandSz) {
            auto text = textFromBytes(bytes);
            if (!text) {
                FReason = QStringLiteral("a hex text is not UTF-8");
                return std::nullopt;
            }
            return type == RegSz ? RegValue::fromText(*text) : RegValue::fromExpandText(*text);
        }
        if (type == RegDword) {
            if (bytes.size() != 4) {
                FReason = QStringLiteral("a hex number is not four bytes");
                return std::nullopt;
            }
            quint32 n = 0;
            for (int i = 3; i >= 0; --i)
                n = (n << 8) | static_cast<unsigned char>(bytes[i]);
            return RegValue::fromNumber(n);
        }
        return RegValue::fromRaw(type, bytes);
    }

    QStringList FLines;
    QString FRoot;
    qsizetype FIndex = 0;
    QString FReason;
    RegHive FHive;
};

} // namespace

RegValue RegValue::fromText(const QString &text)
{
    RegValue v;
    v.type = RegSz;
    v.text = text;
    return v;
}

RegValue RegValue::fromExpandText(const QString &text)
{
    RegValue v;
    v.type = RegExpandSz;
    v.text = text;
    return v;
}

RegValue RegValue::fromNumber(quint32 number)
{
    RegValue v;
    v.type = RegDword;
    v.number = number;
    return v;
}

RegValue RegValue::fromRaw(quint32 type, const QByteArray &bytes)
{
    if (type == RegSz || type == RegExpandSz) {
        const QString text = textFromBytes(bytes).value_or(QString());
        return type == RegSz ? fromText(text) : fromExpandText(text);
    }
    if (type == RegDword && bytes.size() == 4) {
        quint32 n = 0;
        for (int i = 3; i >= 0; --i)
            n = (n << 8) | static_cast<unsigned char>(bytes[i]);
        return fromNumber(n);
    }
    RegValue v;
    v.type = type == RegDword ? RegBinary : type;
    v.raw = bytes;
    return v;
}

bool RegValue::hasData() const
{
    return isText() || type == RegDword || !raw.isEmpty();
}

bool RegValue::operator==(const RegValue &other) const
{
    if (type != other.type) return false;
    if (isText()) return text == other.text;
    if (type == RegDword) return number == other.number;
    return raw == other.raw;
}

const RegValue *RegKeyValues::find(const QString &name) const
{
    for (const auto &[n, v] : FEntries) {
        if (sameName(n, name)) return &v;
    }
    return nullptr;
}

void RegKeyValues::set(const QString &name, const RegValue &value)
{
    for (auto &[n, v] : FEntries) {
        if (sameName(n, name)) {
            v = value;
            return;
        }
    }
    FEntries.emplace_back(name, value);
}

bool RegKeyValues::remove(const QString &name)
{
    for (auto it = FEntries.begin(); it != FEntries.end(); ++it) {
        if (sameName(it->first, name)) {
            FEntries.erase(it);
            return true;
        }
    }
    return false;
}

QString RegHive::normalizedPath(const QString &path)
{
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

const RegKeyValues *RegHive::key(const QString &path) const
{
    const QString p = normalizedPath(path);
    for (const auto &[k, values] : FKeys) {
        if (sameName(k, p)) return &values;
    }
    return nullptr;
}

bool RegHive::contains(const QString &path) const
{
    const QString p = normalizedPath(path);
    if (p.isEmpty()) return true;
    const QString below = p + QLatin1Char('\\');
    for (const auto &entry : FKeys) {
        if (sameName(entry.first, p) || entry.first.startsWith(below, Qt::CaseInsensitive)) return true;
    }
    return false;
}

RegKeyValues &RegHive::createKey(const QString &path)
{
    const QString p = normalizedPath(path);
    for (auto &[k, values] : FKeys) {
        if (sameName(k, p)) return values;
    }
    FKeys.emplace_back(p, RegKeyValues());
    return FKeys.back().second;
}

QStringList RegHive::keyPaths() const
{
    QStringList out;
    for (const auto &entry : FKeys)
        out << entry.first;
    return out;
}

std::optional<RegHive> parseRegFile(const QByteArray &bytes, const QString &rootName, RegParseError *error)
{
    if (bytes.contains('\0')) {
        if (error) *error = {0, QStringLiteral("the file holds zero bytes: it is not text")};
        return std::nullopt;
    }
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError()) {
        if (error) *error = {0, QStringLiteral("the file is not UTF-8 text")};
        return std::nullopt;
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    }
    return Parser(std::move(lines), rootName).run(error);
}

QByteArray formatRegFile(const RegHive &hive, const QString &rootName)
{
    QString out = kHeader + QStringLiteral("\n\n");
    for (const QString &path : hive.keyPaths()) {
        out += QLatin1Char('[') + rootName;
        if (!path.isEmpty()) out += QLatin1Char('\\') + path;
        out += QStringLiteral("]\n");
        for (const auto &[name, value] : hive.key(path)->entries()) {
            out += name.isEmpty() ? QStringLiteral("@") : quoted(name);
            out += QLatin1Char('=');
            if (value.type == RegSz && !needsHexForm(value.text))
                out += quoted(value.text);
            else if (value.isText())
                out += hexForm(QStringLiteral("hex(%1):").arg(value.type), bytesFromText(value.text));
            else if (value.type == RegDword)
                out += QString::asprintf("dword:%08x", value.number);
            else if (value.type == RegBinary)
                out += hexForm(QStringLiteral("hex:"), value.raw);
            else
                out += hexForm(QStringLiteral("hex(%1):").arg(value.type, 0, 16), value.raw);
            out += QLatin1Char('\n');
        }
        out += QLatin1Char('\n');
    }
    return out.toUtf8();
}

} // namespace platform
