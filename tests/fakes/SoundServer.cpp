// Helpers for tests that talk to the private test sound server (tests/soundserver.sh).
#include "SoundServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace soundserver {

bool running()
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) return false;
    int code = -1;
    pactl({"info"}, &code);
    return code == 0;
}

QString pactl(const QStringList &arguments, int *exitCode)
{
    QProcess p;
    p.start("pactl", arguments);
    const bool finished = p.waitForFinished(10000);
    if (exitCode) *exitCode = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

bool writeTone(const QString &fileName, double frequency, double seconds, int rate, int channels,
               double amplitude)
{
    return QProcess::execute("sox",
                             {"-n", "-r", QString::number(rate), "-c", QString::number(channels), "-b", "16",
                              "-e", "signed-integer", fileName, "synth", QString::number(seconds), "sine",
                              QString::number(frequency), "vol", QString::number(amplitude)}) == 0;
}

Player::Player(const QString &fileName, const QString &device)
{
    FProcess.start("paplay", {"-d", device, fileName});
    FProcess.waitForStarted(5000);
}

Player::~Player()
{
    if (FProcess.state() == QProcess::NotRunning) return;
    FProcess.terminate();
    if (!FProcess.waitForFinished(3000)) FProcess.kill(), FProcess.waitForFinished(3000);
}

bool processEventsUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return done();
}

void processEventsFor(int ms)
{
    processEventsUntil([] { return false; }, ms);
}

} // namespace soundserver
