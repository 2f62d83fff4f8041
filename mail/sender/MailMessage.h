// The mail the sender builds from a hand-off: checks of its fields, its attachments, its MIME text.
#pragma once

#include "mail/sender/HandOff.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace sender {

// The largest file attached: mail systems commonly refuse messages much beyond this.
constexpr qint64 kMaxAttachmentBytes = 25 * 1024 * 1024;

struct TAttachment {
    QString FileName; // the name the recipient sees, without a folder
    QByteArray MimeType;
    QByteArray Data;
};

// The bare address of a recipient field that names exactly one mailbox ("a@b" or "Name <a@b>"),
// or false with a one-line reason. An address cannot begin with "-", so it never reads as an option.
bool SingleAddress(const QString &field, QString &address, QString &error);

// Checks what goes into the mail's header: one recipient address, a sender address that is
// empty or one address, and no CR or LF in any name or the subject (nothing can add a header).
bool CheckHeaderFields(const THandOff &handOff, QString &error);

// Reads each file whole, now: a regular file of at most kMaxAttachmentBytes, as audio/wav under
// its own name. False with a one-line reason for the first file that does not qualify.
bool ReadAttachments(const QStringList &files, QList<TAttachment> &attachments, QString &error);

// The complete mail: To, From (when the hand-off names a sender), Subject, Date, Message-ID, a
// UTF-8 text body and the attachments in base64, non-ASCII names and subject encoded. Lines end
// with LF, as a sendmail-compatible agent expects on its input. Checks the header fields first.
bool BuildMessage(const THandOff &handOff, const QList<TAttachment> &attachments, QByteArray &message,
                  QString &error);

} // namespace sender
