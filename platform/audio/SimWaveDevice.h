// A wave device on a virtual clock, for tests: sound moves only when the test advances time.
#pragma once

#include "platform/audio/WaveDeviceBase.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace platform {

// Behaves like the real device (same elements, states and notification order; notifications
// are posted and reach their objects only when the test lets the event loop run), but playback
// and recording advance only with advance(). The microphone hears setMicrophone's signal.
class SimWaveDevice final : public WaveDeviceBase {
public:
    enum class Command { Open, SetFormat, Record, Play, Pause, Resume, Stop, Save, Close, PlaySound };

    SimWaveDevice();
    ~SimWaveDevice() override;

    // Moves the virtual clock on: running playbacks progress (and end), recordings capture.
    void advance(qint64 milliseconds);
    qint64 nowUs() const { return FNowUs; }

    // What the microphone hears at a virtual time in seconds, from -1 to 1 (silence by default).
    void setMicrophone(std::function<double(double seconds)> signal);
    // Without a server every open and playSound fails with WaveDeviceNotReady.
    void setServerAvailable(bool available) { FServerAvailable = available; }
    // Makes every later command of that kind fail with `code` before it is carried out;
    // 0 lets them run again.
    void failCommand(Command command, quint32 code);

    // The commands received, one line each: "open <element>", "set <id> <tag> <channels>
    // <rate> <bytes/s> <align> <bits>", "record <id>", "play <id>[ notify]", "pause <id>[ notify]",
    // "resume <id>", "stop <id>[ notify]", "save <id> <file>", "close <id>", "sound <bytes>".
    QStringList log() const { return FLog; }
    void clearLog() { FLog.clear(); }
    // The images given to playSound, in order.
    QList<QByteArray> sounds() const { return FSounds; }
    // How many elements are open.
    int openElements();

    quint32 open(const QString &element, quint32 &deviceId) override;
    quint32 setFormat(quint32 deviceId, const WaveFormat &format) override;
    quint32 record(quint32 deviceId) override;
    quint32 play(quint32 deviceId, QObject *notify) override;
    quint32 pause(quint32 deviceId, QObject *notify) override;
    quint32 resume(quint32 deviceId) override;
    quint32 stop(quint32 deviceId, QObject *notify) override;
    quint32 save(quint32 deviceId, const QString &fileName) override;
    quint32 close(quint32 deviceId) override;
    quint32 playSound(const QByteArray &waveImage) override;

protected:
    void lock() override {}
    void unlock() override {}
    quint32 connectDevice() override;
    std::unique_ptr<Element> newElement() override;
    quint32 startPlayback(Element &element) override;
    void pausePlayback(Element &element) override;
    quint32 continuePlayback(Element &element) override;
    void stopPlayback(Element &element) override;
    quint32 startCapture(Element &element) override;
    void pauseCapture(Element &element) override;
    quint32 continueCapture(Element &element) override;
    void stopCapture(Element &element) override;

private:
    struct Run;
    quint32 failure(Command command) const;
    void catchUp(Element &element);

    qint64 FNowUs = 0;
    std::function<double(double)> FMicrophone;
    bool FServerAvailable = true;
    std::map<Command, quint32> FFailures;
    QStringList FLog;
    QList<QByteArray> FSounds;
};

} // namespace platform
