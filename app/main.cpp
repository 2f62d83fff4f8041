// The program's entry: start-up, the message loop, and the settings written at a normal end.
#include "app/AppLog.h"
#include "app/Fonts.h"
#include "app/fDesktopBkg.h"
#include "app/fVoiceMail.h"
#include "platform/desktop/SystemServices.h"
#include "settings/TolvyOptions.h"
#include "strings/vqMLS.h"

#include <QApplication>
#include <QIcon>
#include <QProcessEnvironment>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// For start-up measurements (CHIRPEL_EXIT_AFTER_FIRST_PAINT=1): the program ends as soon as the
// watched window has been painted and shown, without writing the settings or tearing down.
class TExitAfterFirstPaint final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !FDone) {
            FDone = true;
            // Once the paint is over and handed to the window system.
            QTimer::singleShot(0, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool FDone = false;
};

} // namespace

int main(int argc, char **argv)
{
    // Shaped windows, the shield's stacking and the key capture need X11, also on Wayland.
    const QByteArray platformName = platform::preferredQpaPlatform(QProcessEnvironment::systemEnvironment());
    if (!platformName.isEmpty()) qputenv("QT_QPA_PLATFORM", platformName);
    // Without a display Qt would abort with advice to reinstall; one plain line says what is wrong.
    const QString noDisplay = platform::displayUnavailable(QProcessEnvironment::systemEnvironment());
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "chirpel: %s\n", qPrintable(noDisplay));
        return 1;
    }

    // Qt's application object must exist before any picture (the cursors) can be made, so it is
    // built ahead of the unit initialisations; it is set up for this program only after them.
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("chirpel"));
    platform::QuitOnTerminationSignals();

    try {
        InitializeStringModules();
    } catch (const std::exception &error) {
        // The modules exist with what could be read; the program runs on with empty texts.
        qCWarning(lcApp, "%s", error.what());
    }
    InitializeTolvyOptions();

    InstallFontSubstitutes();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/chirpel/art/icon.png")));
    // The program ends when its main window, the shield, closes; not when its last window hides.
    QApplication::setQuitOnLastWindowClosed(false);

    auto desktop = std::make_unique<TDesktopWindow>();
    DesktopWindow = desktop.get();
    QObject::connect(desktop.get(), &TDesktopWindow::closed, &app, &QCoreApplication::quit);
    if (TolvyProperties->ShowShield) {
        desktop->show();
        // The shield is painted before the voice-mail window comes up over it.
        QCoreApplication::processEvents();
    }

    auto voiceMail = std::make_unique<TVoiceMailForm>();
    VoiceMailForm = voiceMail.get();
    voiceMail->SetDesktopWindow(desktop.get());
    desktop->SetVoiceMailForm(voiceMail.get());
    TExitAfterFirstPaint exitAfterFirstPaint;
    if (qEnvironmentVariableIntValue("CHIRPEL_EXIT_AFTER_FIRST_PAINT") == 1)
        voiceMail->installEventFilter(&exitAfterFirstPaint);
    voiceMail->show();

    const int result = app.exec();

    voiceMail.reset();
    DesktopWindow = nullptr;
    desktop.reset();
    const bool saved = FinalizeTolvyOptions();
    if (!saved) qCWarning(lcApp, "the settings of this session were not saved");
    FinalizeStringModules();
    return result != 0 ? result : (saved ? 0 : 1);
}
