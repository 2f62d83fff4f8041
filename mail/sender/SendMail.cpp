// The mail sender's work from its command line to its exit status.
#include "mail/sender/SendMail.h"

#include "mail/sender/HandOff.h"
#include "mail/sender/MailAgent.h"
#include "mail/sender/MailMessage.h"
#include "mail/sender/Mp3Copy.h"
#include "mail/sender/Notify.h"
#include "mail/sender/Outbox.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/SafeRead.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace sender {

namespace {

void Say(const QString &line)
{
    std::fprintf(stderr, "SendMail: %s\n", line.toLocal8Bit().constData());
}

void Tell(const TSenderContext &context, const QString &summary, const QString &reason)
{
    Say(reason);
    if (context.Notify) context.Notify(summary, reason);
}

// The attachments as read, written to a folder of their own, so that the composer attaches what
// was handed over even when a new recording replaces the message meanwhile.
QStringList KeepForComposer(const TSenderContext &context, const QList<TAttachment> &attachments,
                            QString &error)
{
    QString cache = context.Environment.value(QStringLiteral("XDG_CACHE_HOME"));
    if (!QDir::isAbsolutePath(cache))
        cache =
            context.Environment.value(QStringLiteral("HOME"), QDir::homePath()) + QStringLiteral("/.cache");
    const QString compose = cache + QStringLiteral("/chirpel/compose");
    // Copies from earlier runs go once a parent has had a week to send them.
    for (const QFileInfo &old : QDir(compose).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (old.lastModified().daysTo(QDateTime::currentDateTime()) > 7)
            QDir(old.filePath()).removeRecursively();
    const QString folder = compose + QLatin1Char('/') +
                           QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz"));
    QStringList paths;
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot make the folder %1").arg(folder);
        return {};
    }
    for (const TAttachment &attachment : attachments) {
        const QString path = folder + QLatin1Char('/') + attachment.FileName;
        if (!platform::ReplaceFileAtomically(QFile::encodeName(path).toStdString(),
                                             attachment.Data.constData(),
                                             static_cast<size_t>(attachment.Data.size()))) {
            error = QStringLiteral("cannot copy the message to %1").arg(folder);
            return {};
        }
        paths << path;
    }
    return paths;
}

} // namespace

int RetryOutbox(const TSenderContext &context)
{
    const QString folder = OutboxFolder(context.Environment);
    const QStringList agent = MailAgentCommand(context.Environment);
    int delivered = 0;
    for (const QString &path : OutboxMessages(folder)) {
        std::string data;
        const platform::SafeReadResult read = platform::ReadRegularFile(
            QFile::encodeName(path).toStdString(), 2 * kMaxAttachmentBytes + (1 << 20), data);
        if (!read) {
            Say(QStringLiteral("cannot read the kept mail %1: %2")
                    .arg(path, QString::fromStdString(read.what)));
            continue;
        }
        QString error;
        if (!RunMailAgent(agent, QByteArray::fromStdString(data), error, context.AgentTimeoutMs)) {
            Say(QStringLiteral("kept mail stays in the outbox: %1").arg(error));
            break;
        }
        if (!QFile::remove(path)) Say(QStringLiteral("sent, but cannot remove %1 from the outbox").arg(path));
        ++delivered;
    }
    return delivered;
}

int RunSender(const QStringList &arguments, const TSenderContext &context)
{
    RetryOutbox(context);
    if (arguments.size() != 1) {
        Say(QStringLiteral("usage: SendMail HAND-OFF-FILE"));
        return ExitRefused;
    }
    THandOff handOff;
    QString error;
    if (!ReadHandOff(arguments.front(), handOff, error)) {
        Say(error);
        return ExitRefused;
    }
    if (handOff.Files.isEmpty()) {
        Say(QStringLiteral("the hand-off names no file to send"));
        return ExitRefused;
    }
    // Everything is read now: a new recording cannot change what is sent.
    QList<TAttachment> attachments;
    if (!ReadAttachments(handOff.Files, attachments, error)) {
        Say(error);
        return ExitRefused;
    }

    if (!handOff.ForceNoUI) {
        QString address;
        if (!handOff.ToAddr.isEmpty() && !SingleAddress(handOff.ToAddr, address, error)) {
            Say(error);
            return ExitRefused;
        }
        const QStringList files = KeepForComposer(context, attachments, error);
        if (files.isEmpty() || !OpenComposer(handOff.Subject, handOff.Text, files, address, error)) {
            Tell(context, QStringLiteral("The voice message could not be sent"), error);
            return ExitRefused;
        }
        return ExitHandedOver;
    }

    // Phones and web mail seldom play GSM wave files: an MP3 copy rides along.
    QByteArray mp3;
    if (Mp3Copy(attachments.front().Data, mp3, error))
        attachments.insert(1, {Mp3Name(attachments.front().FileName), QByteArrayLiteral("audio/mpeg"), mp3});
    else
        Say(QStringLiteral("no MP3 copy: %1").arg(error));

    QByteArray message;
    if (!BuildMessage(handOff, attachments, message, error)) {
        Say(error);
        return ExitRefused;
    }
    if (RunMailAgent(MailAgentCommand(context.Environment), message, error, context.AgentTimeoutMs))
        return ExitHandedOver;
    QString keepError;
    const QString kept = KeepInOutbox(OutboxFolder(context.Environment), message, keepError);
    if (kept.isEmpty()) {
        Tell(context, QStringLiteral("The voice message could not be sent"),
             error + QStringLiteral("; ") + keepError);
        return ExitRefused;
    }
    Tell(context, QStringLiteral("The voice message is waiting to be sent"),
         QStringLiteral("%1. It is kept in %2 and goes out the next time a message is sent.")
             .arg(error, kept));
    return ExitKept;
}

} // namespace sender
