// What the send command of the voice-mail window needs beyond the window: the record it fills,
// where the hand-off file goes, and the start of the mail sender.
#include "mail/SendCommand.h"

#include "settings/vqUtils.h"
#include "sound/WaveConvert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QThread>

#include <chrono>

Q_DECLARE_LOGGING_CATEGORY(lcMail)

const QString ReadyToSendText = QStringLiteral(
    "Voice message is ready to be sent. Please press and hold the Ctrl key, then click here to continue.");

platform::ProcessLauncher &TSendServices::launcher() const
{
    return Launcher ? *Launcher : platform::defaultProcessLauncher();
}
const platform::SystemFolders &TSendServices::folders() const
{
    return Folders ? *Folders : platform::defaultSystemFolders();
}
platform::RegistryStore &TSendServices::registry() const
{
    return Registry ? *Registry : platform::defaultRegistryStore();
}

TSendServices DefaultSendServices()
{
    TSendServices services;
    services.TickCount = [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<quint32>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    };
    services.Sleep = [](quint32 ms) { QThread::msleep(ms); };
    services.PackWaveFile = [](const QString &fileName) {
        return PackWaveFile(QFile::encodeName(fileName).toStdString());
    };
    return services;
}

QString VoiceMessageSubject(const QString &KidName)
{
    return KidName.isEmpty() ? QStringLiteral("Voice message")
                             : QStringLiteral("Voice message from %1").arg(KidName);
}

TSMapiMessage MakeVoiceMessage(const QString &MsgFileName, bool SendWait, const QString &ReciptName,
                               const QString &ReciptAddr, const QString &KidName)
{
    TSMapiMessage message;
    message.ForceNoUI = !SendWait && !ReciptAddr.isEmpty();
    message.ToName = ReciptName;
    message.ToAddr = ReciptAddr;
    message.Text = ExpandLineBreaks(MailBodyText);
    message.Subject = VoiceMessageSubject(KidName);
    message.Files << MsgFileName;
    return message;
}

bool CanHandOff(const QString &MsgFileName)
{
    // A profile key loses blanks at its ends and cannot begin a section or a comment.
    return !MsgFileName.contains(QLatin1Char('\r')) && !MsgFileName.contains(QLatin1Char('\n')) &&
           MsgFileName == MsgFileName.trimmed() && !MsgFileName.startsWith(QLatin1Char('[')) &&
           !MsgFileName.startsWith(QLatin1Char(';'));
}

QString HandOffFileName(const platform::SystemFolders &folders)
{
    const QString program = folders.programFolder();
    const QFileInfo programFolder(program);
    // The folder the program is installed in belongs to the system, even where the user may
    // write there (root): a file left in it would outlive the package.
    const bool installed = programFolder.canonicalFilePath() ==
                           QFileInfo(QStringLiteral(CHIRPEL_INSTALLED_BIN_DIR)).canonicalFilePath();
    if (!program.isEmpty() && programFolder.isDir() && programFolder.isWritable() && !installed)
        return program + QStringLiteral("/eMail.dat");
    // An installed program's folder belongs to the system: the user's state folder takes the file.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    const QString folder = state + QStringLiteral("/chirpel");
    if (!QDir().mkpath(folder)) qCWarning(lcMail) << "cannot make the folder" << folder;
    return folder + QStringLiteral("/eMail.dat");
}

bool HandOffMessage(const TSMapiMessage &Message, const TSendServices &services)
{
    const QString handOff = HandOffFileName(services.folders());
    if (!Message.SaveToFile(handOff)) return false;
    const QString sender = ExpandPathMacros(SendMailExe, services.registry(), services.folders());
    if (!RunProgram(sender, QLatin1Char('"') + handOff + QLatin1Char('"'), QString(), services.launcher(),
                    services.folders()))
        qCWarning(lcMail) << "the mail sender did not start:" << sender;
    return true;
}
