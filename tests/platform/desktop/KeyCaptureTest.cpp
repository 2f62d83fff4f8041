// Capturing Alt+Tab and Alt+Esc on a private X server: taken, refused quietly, given back.
#include "platform/desktop/KeyCapture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A private X server on a display number of its own choosing, stopped with the test.
class PrivateXServer {
public:
    PrivateXServer()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) return;
        const QString numberFile = FDir.filePath(QStringLiteral("display"));
        FServer.setProgram(QStringLiteral("/bin/sh"));
        FServer.setArguments(
            {QStringLiteral("-c"),
             QStringLiteral("exec Xvfb -displayfd 3 -nolisten tcp -screen 0 320x240x24 3>\"%1\"")
                 .arg(numberFile)});
        FServer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FServer.start();
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && FServer.state() != QProcess::NotRunning) {
            QFile file(numberFile);
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray number = file.readAll().trimmed();
                if (!number.isEmpty() && file.atEnd()) {
                    FDisplay = ":" + number;
                    return;
                }
            }
            QThread::msleep(20);
        }
    }
    ~PrivateXServer()
    {
        FServer.terminate();
        FServer.waitForFinished(5000);
    }
    QByteArray display() const { return FDisplay; }

private:
    QTemporaryDir FDir;
    QProcess FServer;
    QByteArray FDisplay;
};

} // namespace

TEST(X11KeyCapture, TakesTheKeysRefusesQuietlyWhenTheyAreHeldAndGivesThemBack)
{
    PrivateXServer server;
    if (server.display().isEmpty()) GTEST_SKIP() << "no Xvfb to test against";

    X11KeyCapture shield(server.display());
    X11KeyCapture windowManager(server.display());
    ASSERT_TRUE(windowManager.captureTaskSwitchKeys());

    EXPECT_FALSE(shield.captureTaskSwitchKeys())
        << "held by another client: refused, and the test still runs";

    windowManager.releaseTaskSwitchKeys();
    EXPECT_TRUE(shield.captureTaskSwitchKeys());
    EXPECT_TRUE(shield.captureTaskSwitchKeys()) << "taking them again is harmless";
    EXPECT_FALSE(windowManager.captureTaskSwitchKeys()) << "now the shield holds them";

    shield.releaseTaskSwitchKeys();
    EXPECT_TRUE(windowManager.captureTaskSwitchKeys());
}

TEST(X11KeyCapture, WithoutADisplayNothingIsCaptured)
{
    X11KeyCapture capture(":9999");
    EXPECT_FALSE(capture.captureTaskSwitchKeys());
    capture.releaseTaskSwitchKeys();
    NoKeyCapture none;
    EXPECT_FALSE(none.captureTaskSwitchKeys());
}

TEST(X11KeyCapture, TheOffscreenProgramGetsTheCaptureThatDoesNothing)
{
    EXPECT_NE(dynamic_cast<NoKeyCapture *>(&defaultKeyCapture()), nullptr);
}
