// Building module images: the readable text sources and the binary image the reader takes.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The image layout, little-endian: "MLS", version 1, 16-bit language index, 16-bit description
// length and the description, 32-bit entry count, one 16-bit length per entry, the entry texts
// back to back, "MLS".
QByteArray BuildMLSImage(quint16 languageIndex, const QByteArray &description,
                         const QList<QByteArray> &entries);

// The description of the program's images: the module name, the language name and a line naming
// the generator and the build time (UTC), each ended by CR LF.
QByteArray MLSImageDescription(const QString &moduleName, const QString &languageName,
                               const QDateTime &built);

// A text source, UTF-8: one entry a line as "<number>=<text>", the text verbatim to the end of the
// line (a trailing CR is dropped), numbers counting up from 0 without gaps; empty lines and lines
// starting with '#' are skipped. Returns the entries, or nothing with *error saying which line is wrong.
std::optional<QStringList> ParseMLSSource(const QByteArray &source, QString *error);

// The whole step from source to image: exactly expectedCount entries, each encodable in
// Windows-1252 and at most 65535 bytes long.
std::optional<QByteArray> CompileMLSSource(const QByteArray &source, int expectedCount, quint16 languageIndex,
                                           const QByteArray &description, QString *error);
