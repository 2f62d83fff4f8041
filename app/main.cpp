// The program's entry: start-up, the message loop, and the settings written at a normal end.
#include "app/AfterFirstPaint.h"
#include "app/AppLog.h"
#include "app/Fonts.h"
#include "app/fDesktopBkg.h"
#include "app/fVoiceMail.h"
#include "controls/Preload.h"
#include "platform/audio/WaveDevice.h"
#include "platform/desktop/FontConfiguration.h"
#include "platform/desktop/KeyCapture.h"
#include "platform/desktop/SystemServices.h"
#include "platform/mixer/Mixer.h"
#include "settings/TolvyOptions.h"
#include "strings/vqMLS.h"

#include <QApplication>
#include <QDBusConnection>
#include <QEventLoop>
#include <QIcon>
#include <QList>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>

namespace {

// While the application object connects to the window system: the toolkit ends the program when
// it cannot, with advice to reinstall after a few lines of its own. Probing the display first
// would cost every start a second connection; instead that failure becomes one plain line, and
// the toolkit's messages are held back and passed on only when it succeeds.
QtMessageHandler gPreviousHandler = nullptr;
QList<std::tuple<QtMsgType, QString, QString>> gHeldMessages;

void HoldOrExplain(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        const QString line = platform::displayUnavailable(QProcessEnvironment::systemEnvironment(), true);
        std::fprintf(stderr, "chirpel: %s\n", qPrintable(line));
        std::_Exit(1);
    }
    gHeldMessages.append({type, QString::fromLatin1(context.category), message});
}

// How long the rest of the start waits at most for the first paint.
constexpr int kRestOfStartLatestMs = 500;
// How long the child's window waits at most for the shield's first paint.
constexpr int kShieldPaintLatestMs = 250;

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

    // The child's window's outlines, read on the other processor while this one connects to the
    // window system and builds the windows (a name missing here is only read later, when drawn).
    preload::Start(
        {QStringLiteral(":/chirpel/shapes/body.bin"), QStringLiteral(":/chirpel/shapes/dashboard.bin")});

    // The texts and the settings need no window system: they are read before connecting to it.
    try {
        InitializeStringModules();
    } catch (const std::exception &error) {
        // The modules exist with what could be read; the program runs on with empty texts.
        qCWarning(lcApp, "%s", error.what());
    }
    InitializeTolvyOptions();
    // The shield's text is the first laid out: the font configuration is read while the window
    // system connects.
    const bool shieldFirst = TolvyProperties->ShowShield;
    if (shieldFirst) preload::RunAhead(platform::LoadFontConfiguration);

    gPreviousHandler = qInstallMessageHandler(HoldOrExplain);
    QApplication app(argc, argv);
    qInstallMessageHandler(gPreviousHandler);
    for (const auto &[type, category, message] : std::as_const(gHeldMessages)) {
        const QByteArray name = category.toLatin1();
        qt_message_output(type, QMessageLogContext(nullptr, 0, nullptr, name.constData()), message);
    }
    gHeldMessages.clear();
    QCoreApplication::setApplicationName(QStringLiteral("chirpel"));
    platform::QuitOnTerminationSignals();

    // The toolkit's accessibility bridge connects to the session bus at the first window and
    // waits for the connection: it is opened meanwhile, while the window is built.
    preload::RunAhead([] { QDBusConnection::sessionBus(); });
    InstallFontSubstitutes();
    if (shieldFirst) {
        // Made ready on other threads while the shield is built: the font list and the shield's
        // face, its picture stretched to the screen, and the keyboard lock's connection.
        preload::RunAhead(TDesktopWindow::PrepareFonts);
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            preload::RunAhead([size = screen->geometry().size()] { FittedBackdrop(size); });
        preload::RunAhead([] { platform::defaultKeyCapture().prepare(); });
    }

    // The program ends when its main window, the shield, closes; not when its last window hides.
    QApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<TDesktopWindow> desktop;
    std::unique_ptr<TVoiceMailForm> voiceMail;
    const auto makeShield = [&] {
        desktop = std::make_unique<TDesktopWindow>();
        DesktopWindow = desktop.get();
        QObject::connect(desktop.get(), &TDesktopWindow::closed, &app, &QCoreApplication::quit);
    };
    const auto linkWindows = [&] {
        voiceMail->SetDesktopWindow(desktop.get());
        desktop->SetVoiceMailForm(voiceMail.get());
    };
    TExitAfterFirstPaint exitAfterFirstPaint;
    if (shieldFirst) {
        // The child's window is made and shown once the shield has been painted: done before,
        // that work would hold up the paint whenever the window system's answer came during it.
        makeShield();
        QEventLoop shieldPainted;
        TAfterFirstPaint endWait([&] { shieldPainted.quit(); });
        desktop->installEventFilter(&endWait);
        exitAfterFirstPaint.WatchIfAsked(*desktop);
        desktop->show();
        // Its words drawn off the screen while the window system puts it there: its first paint
        // finds their faces and glyphs made.
        desktop->PrepareText();
        QTimer::singleShot(kShieldPaintLatestMs, &shieldPainted, &QEventLoop::quit);
        shieldPainted.exec();
        desktop->removeEventFilter(&endWait);
    }
    voiceMail = std::make_unique<TVoiceMailForm>();
    VoiceMailForm = voiceMail.get();
    if (desktop) linkWindows();
    // What the child's first window does not show waits until it has been painted: the hidden
    // shield (with its fonts and pictures) and the windows' icon. A window that is never painted
    // (mapped where nobody sees it) gets them a moment later all the same.
    bool rest = false;
    const auto finishStart = [&] {
        if (rest) return;
        rest = true;
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/chirpel/art/icon.png")));
        // The sound library and the server's connection: the first press then finds them ready.
        platform::defaultWaveDevice().connectInBackground();
        platform::defaultMixer().connectInBackground();
        if (!desktop) {
            makeShield();
            linkWindows();
            // Closed before the shield existed: end as the close would have.
            if (!voiceMail->isVisible()) desktop->close();
        }
    };
    TAfterFirstPaint afterFirstPaint(finishStart);
    voiceMail->installEventFilter(&afterFirstPaint);
    QTimer::singleShot(kRestOfStartLatestMs, &app, finishStart);
    exitAfterFirstPaint.WatchIfAsked(*voiceMail, "child");
    voiceMail->show();

    const int result = app.exec();
    preload::Stop();

    voiceMail.reset();
    DesktopWindow = nullptr;
    desktop.reset();
    const bool saved = FinalizeTolvyOptions();
    if (!saved) qCWarning(lcApp, "the settings of this session were not saved");
    FinalizeStringModules();
    return result != 0 ? result : (saved ? 0 : 1);
}
