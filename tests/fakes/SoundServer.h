// Helpers for tests that talk to the private test sound server (tests/soundserver.sh).
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <functional>

namespace soundserver {

// Runs pactl against the test server; its standard output. `exitCode` receives pactl's code.
inline QString pactl(const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess p;
    p.start("pactl", arguments);
    const bool finished = p.waitForFinished(10000);
    if (exitCode) *exitCode = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// True when PULSE_SERVER names a sound server that answers.
inline bool running()
{
    int code = -1;
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) pactl({"info"}, &code);
    return code == 0;
}

// Writes a sine tone as a 16-bit PCM wave file with sox.
inline bool writeTone(const QString &fileName, double frequency, double seconds, int rate = 44100,
                      int channels = 1, double amplitude = 0.5)
{
    const auto n = [](double v) { return QString::number(v); };
    return QProcess::execute("sox",
                             {"-n", "-r", n(rate), "-c", n(channels), "-b", "16", "-e", "signed-integer",
                              fileName, "synth", n(seconds), "sine", n(frequency), "vol", n(amplitude)}) == 0;
}

// Plays a wave file with paplay while it lives: into the microphone ("micfeed") or on another sink.
class Player {
public:
    explicit Player(const QString &fileName, const QString &device = QStringLiteral("micfeed"))
    {
        FProcess.start("paplay", {"-d", device, fileName});
        FProcess.waitForStarted(5000);
    }
    ~Player()
    {
        if (FProcess.state() == QProcess::NotRunning) return;
        FProcess.terminate();
        if (!FProcess.waitForFinished(3000)) FProcess.kill(), FProcess.waitForFinished(3000);
    }
    bool started() const { return FProcess.state() == QProcess::Running; }
    // False when paplay did not finish within `timeoutMs`.
    bool waitForEnd(int timeoutMs)
    {
        return FProcess.state() == QProcess::NotRunning || FProcess.waitForFinished(timeoutMs);
    }

private:
    QProcess FProcess;
};

// Runs the event loop until `done` is true or `timeoutMs` passed; returns `done()`.
inline bool processEventsUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return done();
}
inline void processEventsFor(int ms)
{
    processEventsUntil([] { return false; }, ms);
}

} // namespace soundserver
