// Module images for the string-module tests: valid ones to read and damaged ones to refuse.
#pragma once

#include "strings/MLSImage.h"
#include "strings/vqMLS.h"

#include <QBuffer>
#include <QRegularExpression>

#include <span>

namespace mlstest {

// Entries "<prefix>0", "<prefix>1", ...
inline QList<QByteArray> numberedEntries(int count, const QByteArray &prefix)
{
    QList<QByteArray> entries;
    for (int i = 0; i < count; ++i)
        entries.append(prefix + QByteArray::number(i));
    return entries;
}

// The text of the module error the call raises, or an empty string when it raises none.
template <class Call> QString mlsErrorOf(Call &&call)
{
    try {
        call();
    } catch (const EMLSException &e) {
        return e.Message();
    }
    return {};
}

// Reads the image from a stream with `read`; the error text, or an empty string when it read.
template <class Read> QString readImage(const QByteArray &image, Read &&read)
{
    QBuffer stream;
    stream.setData(image);
    stream.open(QIODevice::ReadOnly);
    return mlsErrorOf([&] { read(stream); });
}

inline QString readInto(const QByteArray &image, quint16 languageIndex, std::span<QString> entries)
{
    return readImage(image,
                     [&](QIODevice &stream) { TMLSFile().ReadModule(languageIndex, stream, entries); });
}

// "MLS25x" from an error text, or the whole text when it carries no code.
inline QString errorCode(const QString &text)
{
    const auto m = QRegularExpression(QStringLiteral("\\(Error Code (MLS\\d+)\\)$")).match(text);
    return m.hasMatch() ? m.captured(1) : text;
}

} // namespace mlstest
