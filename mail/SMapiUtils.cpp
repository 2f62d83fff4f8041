// The hand-off record a message travels in to the mail sender, its profile-file writer, and the
// sender's path.
#include "mail/SMapiUtils.h"

#include "platform/store/ProfileFile.h"
#include "settings/TolvyOptions.h"
#include "settings/vqUtils.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcMail, "chirpel.mail")

const QString SendMailExe = QStringLiteral("<CommonFilesDir>/Vantorq Systems/SendMail");

QString DownloadAddress()
{
    return QStringLiteral(CHIRPEL_DOWNLOAD_URL);
}

const QString MailBodyText =
    QStringLiteral(
        "\\nThis e-mail contains a voice message. Double click the\\nattached file's icon to play it "
        "back.\\n\\nTo create your own voice messages, download your FREE\\nBrimblet VoiceMail or "
        "Chirpel \\nfrom ") +
    DownloadAddress();

namespace {

bool WriteList(platform::TProfileFile &file, const QString &section, const QStringList &entries)
{
    file.EraseSection(section);
    bool ok = true;
    for (const QString &entry : entries)
        ok = file.WriteString(section, entry, QStringLiteral("1")) && ok;
    return ok;
}

} // namespace

bool TSMapiMessage::SaveToFile(const QString &FileName) const
{
    platform::TProfileFile file(FileName);
    const QString header = QStringLiteral("Header");
    bool ok = file.WriteString(QStringLiteral("Flags"), QStringLiteral("ForceNoUI"), BoolToText(ForceNoUI));
    ok = file.WriteString(header, QStringLiteral("ToName"), ToName) && ok;
    ok = file.WriteString(header, QStringLiteral("ToAddr"), ToAddr) && ok;
    ok = file.WriteString(header, QStringLiteral("SenderAddr"), SenderAddr) && ok;
    ok = file.WriteString(header, QStringLiteral("SenderName"), SenderName) && ok;
    ok = file.WriteString(header, QStringLiteral("Subject"), Subject) && ok;
    ok = file.WriteString(header, QStringLiteral("Text"),
                          ReplaceAll(Text, QStringLiteral("\r\n"), QStringLiteral("\\n"))) &&
         ok;
    ok = WriteList(file, QStringLiteral("Files"), Files) && ok;
    ok = WriteList(file, QStringLiteral("FileNames"), FileNames) && ok;
    // A record that could not be written whole is not handed on: the sender would mail half of it.
    if (!ok) {
        qCWarning(lcMail) << "hand-off not written: a value would not fit on its line in" << FileName;
        return false;
    }
    if (!file.UpdateFile()) {
        qCWarning(lcMail) << "hand-off not written:" << file.Error();
        return false;
    }
    return true;
}
