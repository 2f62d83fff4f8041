// The waveform-audio device: open, record, play, pause, stop, save and close wave elements.
#pragma once

#include <QByteArray>
#include <QEvent>
#include <QString>
#include <QtGlobal>

class QObject;

namespace platform {

// Command results, numbered like the multimedia device's error codes so that stored and shown
// codes keep their meaning. 0 is success.
enum WaveError : quint32 {
    WaveNoError = 0,
    WaveInvalidDeviceId = 257,
    WaveHardware = 262,
    WaveOutOfMemory = 264,
    WaveUnsupportedFunction = 274,
    WaveFileNotFound = 275,
    WaveDeviceNotReady = 276,
    WaveOutOfRange = 282,
    WaveFileNotSaved = 286,
    WaveInvalidFile = 296,
    WaveNonapplicableFunction = 302,
    WaveFileRead = 348,
};

// The back end's text for a command result.
QString waveErrorText(quint32 code);

// How a command that asked for a notification ended.
enum class WaveNotifyCode : quint32 {
    Successful = 1, // it ran to completion (a play reached the end, a stop or pause took effect)
    Superseded = 2, // a later command on the same device asked for the notification instead
    Aborted = 4,    // a stop, pause or close cut it short
    Failure = 8,    // the device failed while carrying it out
};

// The PCM layout of a wave element, as in a RIFF "fmt " chunk.
struct WaveFormat {
    quint16 formatTag = 1; // PCM
    quint16 channels = 0;
    quint32 samplesPerSec = 0;
    quint32 avgBytesPerSec = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;

    friend bool operator==(const WaveFormat &, const WaveFormat &) = default;
};

// The completion report a device delivers to a command's call-back object on the UI thread,
// from the event loop and never inside the command that asked for it.
class WaveNotifyEvent : public QEvent {
public:
    WaveNotifyEvent(quint32 deviceId, WaveNotifyCode code);
    static QEvent::Type eventType();

    quint32 deviceId() const { return FDeviceId; }
    WaveNotifyCode code() const { return FCode; }

private:
    quint32 FDeviceId;
    WaveNotifyCode FCode;
};

// The device. Each open yields a device identifier (from 1 up); every other command names one.
// Commands run on the UI thread and return at once with a WaveError; the ones that take a
// call-back object report their completion to it later as a WaveNotifyEvent, in the order the
// completions happened. A null call-back object asks for no notification.
class WaveDevice {
public:
    virtual ~WaveDevice();

    // Starts connecting to the sound server without waiting, so that the first command finds it
    // connected; the program calls it once its first window is up. Nothing to do by default.
    virtual void connectInBackground() {}

    // Opens the wave file `element`, or a new empty element for recording when it is empty.
    // `deviceId` is set to the new identifier, or to 0 when the open fails.
    virtual quint32 open(const QString &element, quint32 &deviceId) = 0;
    // Sets the PCM format of an element that holds no sound yet.
    virtual quint32 setFormat(quint32 deviceId, const WaveFormat &format) = 0;
    // Records from the default source at the current position until stopped or paused.
    virtual quint32 record(quint32 deviceId) = 0;
    // Plays from the current position to the end; continues a paused playback.
    virtual quint32 play(quint32 deviceId, QObject *notify) = 0;
    virtual quint32 pause(quint32 deviceId, QObject *notify) = 0;
    // Continues a paused recording or playback; asks for no notification.
    virtual quint32 resume(quint32 deviceId) = 0;
    virtual quint32 stop(quint32 deviceId, QObject *notify) = 0;
    // Writes the element as a RIFF WAVE PCM file. The file is replaced only once it has been
    // written completely: a failed save leaves an existing file as it was.
    virtual quint32 save(quint32 deviceId, const QString &fileName) = 0;
    virtual quint32 close(quint32 deviceId) = 0;
    // The element's length in bytes of sound (what has been recorded so far while recording).
    virtual quint32 length(quint32 deviceId, qint64 &bytes) = 0;
    // Plays a whole RIFF WAVE image and returns once it has been heard.
    virtual quint32 playSound(const QByteArray &waveImage) = 0;

    virtual QString errorText(quint32 code) const { return waveErrorText(code); }
};

// The program's device: libpulse on the default sink and source. It connects to the sound
// server on first use; without one every open fails with WaveDeviceNotReady.
WaveDevice &defaultWaveDevice();

} // namespace platform
