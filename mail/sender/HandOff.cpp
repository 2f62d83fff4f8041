// The hand-off file as the mail sender reads it.
#include "mail/sender/HandOff.h"

#include "platform/files/SafeRead.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

namespace sender {

namespace {

QString Unescape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size() && text[i + 1] == QLatin1Char('n')) {
            out += QLatin1Char('\n');
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

bool ParseHandOff(const QByteArray &bytes, THandOff &handOff, QString &error)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        error = QStringLiteral("the hand-off file is not UTF-8 text");
        return false;
    }
    handOff = THandOff();
    // The first of a repeated key counts, as the profile functions read it.
    QHash<QString, QString> values;
    QString section;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            section = (close < 0 ? line.mid(1) : line.mid(1, close - 1)).trimmed().toLower();
            continue;
        }
        if (section == QLatin1String("files") || section == QLatin1String("filenames")) {
            const qsizetype eq = line.lastIndexOf(QLatin1Char('='));
            const QString path = (eq < 0 ? line : line.left(eq)).trimmed();
            if (!path.isEmpty()) handOff.Files << path;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString key = section + QLatin1Char('/') + line.left(eq).trimmed().toLower();
        if (!values.contains(key)) values.insert(key, line.mid(eq + 1).trimmed());
    }
    handOff.ForceNoUI = values.value(QStringLiteral("flags/forcenoui")).toInt() != 0;
    handOff.ToName = values.value(QStringLiteral("header/toname"));
    handOff.ToAddr = values.value(QStringLiteral("header/toaddr"));
    handOff.SenderAddr = values.value(QStringLiteral("header/senderaddr"));
    handOff.SenderName = values.value(QStringLiteral("header/sendername"));
    handOff.Subject = values.value(QStringLiteral("header/subject"));
    handOff.Text = Unescape(values.value(QStringLiteral("header/text")));
    return true;
}

bool ReadHandOff(const QString &path, THandOff &handOff, QString &error)
{
    std::string data;
    const platform::SafeReadResult read =
        platform::ReadRegularFile(QFile::encodeName(path).toStdString(), kMaxHandOffBytes, data);
    if (!read) {
        error = QStringLiteral("cannot read the hand-off file %1: %2")
                    .arg(path, QString::fromStdString(read.what));
        return false;
    }
    return ParseHandOff(QByteArray::fromStdString(data), handOff, error);
}

} // namespace sender
