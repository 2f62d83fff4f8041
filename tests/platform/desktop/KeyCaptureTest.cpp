// Capturing Alt+Tab and Alt+Esc on a private X server: taken, refused quietly, given back.
#include "platform/desktop/KeyCapture.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <thread>

using namespace platform;

namespace {

// A private X server on a display number of its own choosing, stopped with the test.
struct PrivateXServer {
    PrivateXServer()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) return;
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start(QStringLiteral("Xvfb"),
                     {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "320x240x24"});
        const QDeadlineTimer deadline(10000);
        while (!server.canReadLine() && server.waitForReadyRead(int(deadline.remainingTime()))) {
        }
        if (server.canReadLine()) display = ":" + server.readLine().trimmed();
    }
    ~PrivateXServer()
    {
        server.terminate();
        server.waitForFinished(5000);
    }
    QProcess server;
    QByteArray display;
};

} // namespace

TEST(X11KeyCapture, TakesTheKeysRefusesQuietlyWhenTheyAreHeldAndGivesThemBack)
{
    X11KeyCapture nowhere(":9999");
    nowhere.prepare();
    EXPECT_FALSE(nowhere.captureTaskSwitchKeys()) << "without a display nothing is captured";
    nowhere.releaseTaskSwitchKeys();
    EXPECT_FALSE(defaultKeyCapture().captureTaskSwitchKeys()) << "the offscreen program captures nothing";
    EXPECT_FALSE(NoKeyCapture().captureTaskSwitchKeys());
    PrivateXServer server;
    if (server.display.isEmpty()) GTEST_SKIP() << "no Xvfb to test against";
    X11KeyCapture shield(server.display);
    // Made ready on another thread, as a start with the shield does.
    std::thread([&] { shield.prepare(); }).join();
    X11KeyCapture windowManager(server.display);
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
