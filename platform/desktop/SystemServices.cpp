// The desktop's alerts (beep, error box) and the choice of display platform at start-up.
#include "platform/desktop/SystemServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcessEnvironment>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

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

QString displayUnavailable(const QProcessEnvironment &environment, bool refused)
{
    const QString platformName = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    const bool x11 = platformName.isEmpty() ? environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty()
                                            : platformName.startsWith(QLatin1String("xcb"));
    const QString display = environment.value(QStringLiteral("DISPLAY"));
    const QString need = QStringLiteral("Chirpel needs a graphical desktop; ");
    if (x11 && display.isEmpty()) return need + QStringLiteral("DISPLAY is not set");
    if (!refused) return QString();
    if (display.isEmpty()) return need + QStringLiteral("its window system cannot be reached");
    return need + QStringLiteral("DISPLAY \"%1\" cannot be opened").arg(display);
}

namespace {

int gSignalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    // Only what is safe inside a signal handler: the event loop reads the byte.
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}

} // namespace

void QuitOnTerminationSignals()
{
    if (gSignalPipe[0] >= 0 || ::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto *notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char bytes[16];
        while (::read(gSignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

} // namespace platform
