// Mail that the agent could not take, kept as .eml files until the next start of the sender.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace sender {

// ${XDG_DATA_HOME:-$HOME/.local/share}/chirpel/outbox
QString OutboxFolder(const QProcessEnvironment &environment);

// Keeps the message as a new .eml file in the folder (made when missing), written whole and
// atomically; its name sorts after every older one. The file's path, or empty with a reason.
QString KeepInOutbox(const QString &folder, const QByteArray &message, QString &error);

// The .eml files of the folder, oldest first.
QStringList OutboxMessages(const QString &folder);

} // namespace sender
