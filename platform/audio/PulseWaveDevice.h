// The wave device over libpulse: playback on the default sink, recording from the default source.
#pragma once

#include "platform/audio/WaveDeviceBase.h"

#include <memory>

namespace platform {

// Streams run on libpulse's own thread; their completions reach the UI thread through the
// notification queue. Recording asks for 20 ms fragments so that pausing, stopping and the
// peak display follow closely; the end of a playback is the end of the stream's drain, so it
// is reported once the last sample has been heard; pausing corks the stream. Without a sound
// server, opens fail with WaveDeviceNotReady after at most a few seconds, never hanging.
class PulseWaveDevice final : public WaveDeviceBase {
public:
    PulseWaveDevice();
    ~PulseWaveDevice() override;

    void connectInBackground() override;

    quint32 playSound(const QByteArray &waveImage) override;

protected:
    void lock() override;
    void unlock() override;
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
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
