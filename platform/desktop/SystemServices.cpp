// The desktop's alerts (beep, error box) and the choice of display platform at start-up.
#include "platform/desktop/SystemServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcessEnvironment>

namespace platform {

namespace {

SystemServices *gReplacement = nullptr;

} // namespace

void HostSystemServices::beep()
{
    QApplication::beep();
}

void HostSystemServices::errorBox(QWidget *owner, const QString &text)
{
    // Message texts carry CR LF line breaks; a label shows a line break from LF alone.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), shown, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    // The kid's window stays on top of everything; the box must not end up hidden below it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.show();
    box.raise();
    box.activateWindow();
    box.exec();
}

SystemServices &defaultSystemServices()
{
    static HostSystemServices host;
    return gReplacement ? *gReplacement : host;
}

SystemServices *setDefaultSystemServices(SystemServices *services)
{
    SystemServices *previous = gReplacement ? gReplacement : &defaultSystemServices();
    gReplacement = services;
    return previous;
}

QByteArray preferredQpaPlatform(const QProcessEnvironment &environment)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty()) return QByteArray();
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
                         environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    const bool xwayland = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    return wayland && xwayland ? QByteArrayLiteral("xcb") : QByteArray();
}

} // namespace platform
