// Helpers for tests that talk to the private test sound server (tests/soundserver.sh).
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

namespace soundserver {

// True when PULSE_SERVER names a sound server that answers.
bool running();
// Runs pactl against the test server; its standard output. `exitCode` receives pactl's code.
QString pactl(const QStringList &arguments, int *exitCode = nullptr);
// Writes a sine tone as a 16-bit PCM wave file with sox.
bool writeTone(const QString &fileName, double frequency, double seconds, int rate = 44100, int channels = 1,
               double amplitude = 0.5);

// Plays a wave file with paplay while it lives: into the virtual microphone by default
// (`device` "micfeed"), or on another sink ("spk" is the default sink, the playback line).
class Player {
public:
    explicit Player(const QString &fileName, const QString &device = QStringLiteral("micfeed"));
    ~Player();
    bool started() const { return FProcess.state() == QProcess::Running; }
    // Waits for paplay to finish; false if it did not within `timeoutMs`.
    bool waitForEnd(int timeoutMs)
    {
        return FProcess.state() == QProcess::NotRunning || FProcess.waitForFinished(timeoutMs);
    }

private:
    QProcess FProcess;
};

// Runs the event loop until `done` is true or `timeoutMs` passed; returns `done()`.
bool processEventsUntil(const std::function<bool()> &done, int timeoutMs);
// Runs the event loop for `ms` milliseconds.
void processEventsFor(int ms);

} // namespace soundserver
