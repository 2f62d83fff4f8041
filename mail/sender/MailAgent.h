// The system's mail agent (a sendmail-compatible program) and the desktop's mail composer.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace sender {

// Splits a command into words as a POSIX shell would (blanks, single and double quotes,
// backslashes), without expanding anything. False for an unterminated quote or escape.
bool SplitShellWords(const QString &command, QStringList &words);

// The agent's command: $CHIRPEL_SENDMAIL split into words, or /usr/sbin/sendmail; then "-t -i".
QStringList MailAgentCommand(const QProcessEnvironment &environment);

// Gives the whole message on standard input to the agent and waits for it (at most
// timeoutMs). True when it exited with status 0; else false with a one-line reason.
bool RunMailAgent(const QStringList &command, const QByteArray &message, QString &error,
                  int timeoutMs = 120000);

// Opens the desktop's mail composer: xdg-email --utf8 --subject S --body B --attach FILE
// [ADDRESS], without a shell. True when xdg-email exited with status 0.
bool OpenComposer(const QString &subject, const QString &body, const QStringList &files,
                  const QString &address, QString &error);

} // namespace sender
