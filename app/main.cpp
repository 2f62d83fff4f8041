// The program's entry: start-up, the message loop, and the settings written at a normal end.
#include "app/ExitAfterFirstPaint.h"
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

int main(int argc, char **argv)
{
    // Shaped windows, the shield's stacking and the key capture need X11, also on Wayland.
    const QByteArray platformName = platform::preferredQpaPlatform(QProcessEnvironment::systemEnvironment());
    if (!platformName.isEmpty()) qputenv("QT_QPA_PLATFORM", platformName);

    // Qt's application object must exist before any picture (the cursors) can be made, so it is
    // built ahead of the unit initialisations; it is set up for this program only after them.
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("chirpel"));

    try {
        InitializeStringModules();
    } catch (const std::exception &error) {
        // The modules exist with what could be read; the program runs on with empty texts.
        std::fprintf(stderr, "chirpel: %s\n", error.what());
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
    exitAfterFirstPaint.WatchIfAsked(*voiceMail);
    voiceMail->show();

    const int result = app.exec();

    voiceMail.reset();
    DesktopWindow = nullptr;
    desktop.reset();
    const bool saved = FinalizeTolvyOptions();
    FinalizeStringModules();
    return result != 0 ? result : (saved ? 0 : 1);
}
