// The program's entry: start-up, the message loop, and the settings written at a normal end.
#include "platform/SystemServices.h"
#include "settings/TolvyOptions.h"
#include "settings/vqUtils.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProcessEnvironment>
#include <QWidget>

namespace {

// Stands where the voice-mail window will be: closing it ends the program normally.
class TVoiceMailStandIn final : public QWidget {
protected:
    void closeEvent(QCloseEvent *event) override
    {
        QWidget::closeEvent(event);
        QCoreApplication::quit();
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Shaped windows, the shield's stacking and the key capture need X11, also on Wayland.
    const QByteArray platformName = platform::preferredQpaPlatform(QProcessEnvironment::systemEnvironment());
    if (!platformName.isEmpty()) qputenv("QT_QPA_PLATFORM", platformName);

    // Qt's application object must exist before any picture (the cursors) can be made, so it is
    // built ahead of the unit initialisations; it is set up for this program only after them.
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("chirpel"));

    InitializeTolvyOptions();

    // The program ends when its main window closes, not when its last window hides.
    QApplication::setQuitOnLastWindowClosed(false);

    TVoiceMailStandIn voiceMailForm;
    voiceMailForm.setWindowTitle(QStringLiteral("VoiceMailForm"));
    voiceMailForm.resize(685, 548);
    CenterWindow(nullptr, &voiceMailForm);
    voiceMailForm.show();

    const int result = app.exec();

    const bool saved = FinalizeTolvyOptions();
    return result != 0 ? result : (saved ? 0 : 1);
}
