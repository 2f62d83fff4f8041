// TWaveRecorder: records, plays, pauses, stops and saves the message through the wave device.
#pragma once

#include "platform/audio/WaveDevice.h"

#include <QString>

#include <functional>
#include <memory>

class TWaveRecorder;
class QObject;

// Called with the recorder as sender when a notifying command has completed successfully.
using TWaveNotifyEvent = std::function<void(TWaveRecorder *Sender)>;

// A thin layer over the wave device: each operation is one command (or a short fixed series),
// returns true on success and keeps the device's result in LastError; nothing is raised or
// shown. Completions of Play, Stop and Pause arrive later from the event loop and call the
// one OnNotify slot as it stands then, only for a successful completion.
class TWaveRecorder {
public:
    explicit TWaveRecorder(platform::WaveDevice &device = platform::defaultWaveDevice());
    // Closes the device; a notification still on its way never reaches the owner.
    ~TWaveRecorder();
    TWaveRecorder(const TWaveRecorder &) = delete;
    TWaveRecorder &operator=(const TWaveRecorder &) = delete;

    // Closes the open element; the device's result. LastError is left alone.
    quint32 Close();
    // The device's text for LastError.
    QString ErrorMessage() const;
    // Closes, opens FileName and plays it; true if the open succeeded.
    bool PlayFile(TWaveNotifyEvent Handler);
    // Plays from the current position to the end (continues a paused playback).
    bool Play(TWaveNotifyEvent Handler);
    // Closes, opens a new element, sets the format (its result is ignored) and records until
    // stopped; true if recording started.
    bool Record(TWaveNotifyEvent Handler = {});
    bool Stop(TWaveNotifyEvent Handler);
    // Writes the element to FileName as RIFF WAVE PCM; the previous file stays until the new
    // one is complete.
    bool Save();
    bool Pause(TWaveNotifyEvent Handler);
    // Continues a paused recording; OnNotify stays as it is.
    bool Resume();
    // Sets Channels, SamplesPerSec and BitsPerSample as the element's PCM format.
    bool SetFormat();
    // Bytes of sound the open element holds (what has been captured so far); 0 when none is open.
    qint64 Length() const;

    quint32 LastError = 0;
    quint32 DeviceID = 0;
    TWaveNotifyEvent OnNotify;
    // Called when the device reports that a play failed or its stream was lost, so that the
    // owner can end the take as if it had run out; the design's recorder ignores these.
    TWaveNotifyEvent OnFailure;
    quint8 Channels = 0;
    quint32 SamplesPerSec = 0;
    quint16 BitsPerSample = 0;
    QString FileName;

private:
    class TNotifyWindow;
    void Notified(platform::WaveNotifyCode Code);

    platform::WaveDevice &FDevice;
    std::unique_ptr<QObject> NotifyWindow;
};

// The PCM format SetFormat asks for: block alignment (Channels x BitsPerSample) / 8 truncated
// to 16 bits, average rate block alignment x SamplesPerSec.
platform::WaveFormat recorderFormat(quint8 Channels, quint32 SamplesPerSec, quint16 BitsPerSample);
