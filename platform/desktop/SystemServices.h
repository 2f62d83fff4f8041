// The desktop's alerts (beep, error box) and the choice of display platform at start-up.
#pragma once

#include <QByteArray>
#include <QString>

class QProcessEnvironment;
class QWidget;

namespace platform {

class SystemServices {
public:
    virtual ~SystemServices() = default;
    // The system's default beep.
    virtual void beep() = 0;
    // A modal message box over owner (may be none): caption "Error", stop icon, one OK button,
    // brought to the front. Returns when it is closed.
    virtual void errorBox(QWidget *owner, const QString &text) = 0;
};

class HostSystemServices final : public SystemServices {
public:
    void beep() override;
    void errorBox(QWidget *owner, const QString &text) override;
};

// The program-wide services: the real ones unless replaced.
SystemServices &defaultSystemServices();
// Replaces the program-wide services (nullptr: the real ones again); returns the one replaced.
SystemServices *setDefaultSystemServices(SystemServices *services);

// The Qt platform to ask for before the application starts: "xcb" on a Wayland session with
// XWayland when QT_QPA_PLATFORM is unset (shaped windows, stacking and key capture need X11);
// empty to leave Qt's own choice.
QByteArray preferredQpaPlatform(const QProcessEnvironment &environment);

// Makes SIGTERM and SIGHUP (what a session sends at logout) end the application's event loop as
// a normal end would, so that what the program writes at its end is written. Call once, with the
// application object made.
void QuitOnTerminationSignals();

// Why the program cannot show a window under `environment` (with QT_QPA_PLATFORM as it will be
// used): one line for a person, or empty. Without `refused` only what the environment alone
// tells (no DISPLAY for X11); with it, the window system refused the connection, and the line
// names the display. Qt itself would abort with advice that does not help here.
QString displayUnavailable(const QProcessEnvironment &environment, bool refused = false);

} // namespace platform
