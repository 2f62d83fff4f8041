// The hand-off record a message travels in to the mail sender, its profile-file writer, and the
// sender's path.
#pragma once

#include <QString>
#include <QStringList>

// What the mail sender is told: recipient, sender, subject, body and the files to attach.
class TSMapiMessage {
public:
    TSMapiMessage() = default;

    // The sender may send without involving the person at the computer.
    bool ForceNoUI = false;
    QString ToName;
    QString ToAddr;
    QString SenderAddr;
    QString SenderName;
    QString Subject;
    // Lines separated by CR LF.
    QString Text;
    // Full paths of the files to attach, in order.
    QStringList Files;
    // A second list with the same treatment.
    QStringList FileNames;

    // Writes the record into the profile file: "Flags", then "Header", then "Files" and
    // "FileNames" erased and written again (so they end the file); everything else the file holds
    // stays. The file is replaced whole and atomically. False when anything could not be written
    // (a value that would break its line, an unreadable old file, a failed write); the old file
    // then stays as it was.
    bool SaveToFile(const QString &FileName) const;
};

// The mail sender: "<CommonFilesDir>/Vantorq Systems/SendMail".
extern const QString SendMailExe;
// The body of every message, line breaks stored as backslash-n, ending with the download address.
extern const QString MailBodyText;
// The address the body points grown-ups to (a build setting).
QString DownloadAddress();
