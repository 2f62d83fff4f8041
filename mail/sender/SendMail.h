// The mail sender's work from its command line to its exit status.
#pragma once

#include <QProcessEnvironment>
#include <QStringList>

#include <functional>

namespace sender {

enum TExitStatus : int {
    ExitHandedOver = 0, // the agent took the mail, or the composer opened
    ExitRefused = 1,    // the hand-off or what it names cannot be sent
    ExitKept = 2,       // kept in the outbox for the next start
};

// The world the sender runs in: its environment and how it tells a parent of a failure.
struct TSenderContext {
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    std::function<bool(const QString &Summary, const QString &Body)> Notify;
    int AgentTimeoutMs = 120000;
};

// Hands the outbox's mail to the agent, oldest first, removing each once the agent took it;
// stops at the first it refuses (the rest waits for the next start). The count delivered.
int RetryOutbox(const TSenderContext &context);

// The whole run: the outbox first, then the hand-off named by the one argument.
int RunSender(const QStringList &arguments, const TSenderContext &context);

} // namespace sender
