// Mail that the agent could not take, kept as .eml files until the next start of the sender.
#include "mail/sender/Outbox.h"

#include "platform/files/AtomicFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace sender {

QString OutboxFolder(const QProcessEnvironment &environment)
{
    QString data = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (!QDir::isAbsolutePath(data))
        data = environment.value(QStringLiteral("HOME"), QDir::homePath()) + QStringLiteral("/.local/share");
    return data + QStringLiteral("/chirpel/outbox");
}

QString KeepInOutbox(const QString &folder, const QByteArray &message, QString &error)
{
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot make the outbox %1").arg(folder);
        return {};
    }
    // UTC time to the millisecond, then the process id and a count: names sort by age and never meet.
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz"));
    for (int n = 0; n < 1000; ++n) {
        const QString path = QStringLiteral("%1/%2-%3-%4.eml")
                                 .arg(folder, stamp)
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(n, 3, 10, QLatin1Char('0'));
        if (QFileInfo::exists(path)) continue;
        const platform::ReplaceResult written = platform::ReplaceFileAtomically(
            QFile::encodeName(path).toStdString(), message.constData(), static_cast<size_t>(message.size()),
            platform::NewFileMode::Private);
        if (!written) {
            error = QStringLiteral("cannot keep the mail in %1: %2")
                        .arg(folder, QString::fromLocal8Bit(std::strerror(written.error)));
            return {};
        }
        return path;
    }
    error = QStringLiteral("cannot name a new file in the outbox %1").arg(folder);
    return {};
}

QStringList OutboxMessages(const QString &folder)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString &name : dir.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

} // namespace sender
