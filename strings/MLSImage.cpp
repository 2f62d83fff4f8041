// Module-image writer and the parser of the numbered text sources the build compiles into images.
#include "strings/MLSImage.h"

#include "strings/AnsiCodePage.h"

#include <QtEndian>

namespace {

template <typename T> void appendLittleEndian(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian<T>(value, bytes);
    out.append(bytes, sizeof(T));
}

} // namespace

QByteArray BuildMLSImage(quint16 languageIndex, const QByteArray &description,
                         const QList<QByteArray> &entries)
{
    QByteArray image("MLS");
    appendLittleEndian<quint8>(image, 1);
    appendLittleEndian<quint16>(image, languageIndex);
    appendLittleEndian<quint16>(image, quint16(description.size()));
    image.append(description);
    appendLittleEndian<quint32>(image, quint32(entries.size()));
    for (const QByteArray &entry : entries)
        appendLittleEndian<quint16>(image, quint16(entry.size()));
    for (const QByteArray &entry : entries)
        image.append(entry);
    image.append("MLS");
    return image;
}

QByteArray MLSImageDescription(const QString &moduleName, const QString &languageName, const QDateTime &built)
{
    // The tool line has a fixed width, so every image of a module has the same layout.
    const QString toolLine =
        QStringLiteral("Built by mlsgen, the Chirpel string-module generator, on %1 UTC.")
            .arg(built.toUTC().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    return EncodeAnsiText(moduleName + QStringLiteral("\r\n") + languageName + QStringLiteral("\r\n") +
                          toolLine + QStringLiteral("\r\n"));
}

std::optional<QStringList> ParseMLSSource(const QByteArray &source, QString *error)
{
    const auto fail = [error](int lineNo, const QString &why) -> std::optional<QStringList> {
        if (error) *error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
        return std::nullopt;
    };
    QStringList entries;
    const QList<QByteArray> lines = source.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = QString::fromUtf8(lines[i]);
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) return fail(i + 1, QStringLiteral("expected <number>=<text>"));
        bool isNumber = false;
        const int number = line.left(eq).toInt(&isNumber);
        if (!isNumber || line.left(eq).trimmed() != line.left(eq))
            return fail(i + 1, QStringLiteral("\"%1\" is not an entry number").arg(line.left(eq)));
        if (number != entries.size())
            return fail(i + 1,
                        QStringLiteral("entry %1 where %2 was expected").arg(number).arg(entries.size()));
        entries.append(line.mid(eq + 1));
    }
    return entries;
}

std::optional<QByteArray> CompileMLSSource(const QByteArray &source, int expectedCount, quint16 languageIndex,
                                           const QByteArray &description, QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<QByteArray> {
        if (error) *error = why;
        return std::nullopt;
    };
    const std::optional<QStringList> texts = ParseMLSSource(source, error);
    if (!texts) return std::nullopt;
    if (texts->size() != expectedCount)
        return fail(QStringLiteral("%1 entries where %2 are needed").arg(texts->size()).arg(expectedCount));
    if (description.size() > 0xFFFF) return fail(QStringLiteral("the description is too long"));

    QList<QByteArray> entries;
    for (int i = 0; i < texts->size(); ++i) {
        bool ok = false;
        QByteArray bytes = EncodeAnsiText(texts->at(i), &ok);
        if (!ok) return fail(QStringLiteral("entry %1 has characters outside Windows-1252").arg(i));
        if (bytes.size() > 0xFFFF) return fail(QStringLiteral("entry %1 is longer than 65535 bytes").arg(i));
        entries.append(bytes);
    }
    return BuildMLSImage(languageIndex, description, entries);
}
