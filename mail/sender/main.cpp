// SendMail, Chirpel's mail sender: "SendMail HAND-OFF-FILE".
#include "mail/sender/Notify.h"
#include "mail/sender/SendMail.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    sender::TSenderContext context;
    context.Notify = sender::NotifyDesktop;
    return sender::RunSender(QCoreApplication::arguments().mid(1), context);
}
