// The system's mail agent (a sendmail-compatible program) and the desktop's mail composer.
#include "mail/sender/MailAgent.h"

#include <QProcess>

namespace sender {

bool SplitShellWords(const QString &command, QStringList &words)
{
    words.clear();
    QString word;
    bool inWord = false;
    enum { Plain, Single, Double } state = Plain;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        switch (state) {
        case Single:
            if (c == QLatin1Char('\''))
                state = Plain;
            else
                word += c;
            break;
        case Double:
            if (c == QLatin1Char('"')) {
                state = Plain;
            } else if (c == QLatin1Char('\\') && i + 1 < command.size() &&
                       QStringLiteral("\"\\$`\n").contains(command[i + 1])) {
                if (command[++i] != QLatin1Char('\n')) word += command[i];
            } else {
                word += c;
            }
            break;
        case Plain:
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
                if (inWord) words << word;
                word.clear();
                inWord = false;
            } else if (c == QLatin1Char('\'')) {
                state = Single;
                inWord = true;
            } else if (c == QLatin1Char('"')) {
                state = Double;
                inWord = true;
            } else if (c == QLatin1Char('\\')) {
                if (++i >= command.size()) return false;
                if (command[i] != QLatin1Char('\n')) word += command[i];
                inWord = true;
            } else {
                word += c;
                inWord = true;
            }
            break;
        }
    }
    if (state != Plain) return false;
    if (inWord) words << word;
    return true;
}

QStringList MailAgentCommand(const QProcessEnvironment &environment)
{
    QStringList command;
    const QString configured = environment.value(QStringLiteral("CHIRPEL_SENDMAIL")).trimmed();
    if (configured.isEmpty() || !SplitShellWords(configured, command) || command.isEmpty())
        command = QStringList{QStringLiteral("/usr/sbin/sendmail")};
    return command << QStringLiteral("-t") << QStringLiteral("-i");
}

bool RunMailAgent(const QStringList &command, const QByteArray &message, QString &error, int timeoutMs)
{
    QProcess agent;
    agent.setProgram(command.front());
    agent.setArguments(command.mid(1));
    agent.setProcessChannelMode(QProcess::SeparateChannels);
    agent.start();
    if (!agent.waitForStarted(10000)) {
        error =
            QStringLiteral("the mail agent %1 did not start: %2").arg(command.front(), agent.errorString());
        return false;
    }
    agent.write(message);
    agent.closeWriteChannel();
    if (!agent.waitForFinished(timeoutMs)) {
        agent.kill();
        agent.waitForFinished(5000);
        error = QStringLiteral("the mail agent %1 did not finish in time").arg(command.front());
        return false;
    }
    if (agent.exitStatus() != QProcess::NormalExit || agent.exitCode() != 0) {
        const QString said =
            QString::fromLocal8Bit(agent.readAllStandardError()).trimmed().section(QLatin1Char('\n'), 0, 0);
        error = QStringLiteral("the mail agent %1 failed (status %2)%3")
                    .arg(command.front())
                    .arg(agent.exitStatus() == QProcess::NormalExit ? agent.exitCode() : -1)
                    .arg(said.isEmpty() ? QString() : QStringLiteral(": ") + said);
        return false;
    }
    return true;
}

bool OpenComposer(const QString &subject, const QString &body, const QStringList &files,
                  const QString &address, QString &error)
{
    QStringList arguments{QStringLiteral("--utf8"), QStringLiteral("--subject"), subject,
                          QStringLiteral("--body"), body};
    for (const QString &file : files)
        arguments << QStringLiteral("--attach") << file;
    if (!address.isEmpty()) arguments << address;
    QProcess composer;
    composer.start(QStringLiteral("xdg-email"), arguments);
    if (!composer.waitForStarted(10000)) {
        error = QStringLiteral("xdg-email did not start: %1").arg(composer.errorString());
        return false;
    }
    composer.closeWriteChannel();
    if (!composer.waitForFinished(60000) || composer.exitStatus() != QProcess::NormalExit ||
        composer.exitCode() != 0) {
        error =
            QStringLiteral("xdg-email could not open a mail composer (status %1)").arg(composer.exitCode());
        return false;
    }
    return true;
}

} // namespace sender
