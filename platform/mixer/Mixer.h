// The audio mixer: lines, their controls and the controls' values, with change notification.
#pragma once

#include <QEvent>
#include <QString>
#include <QtGlobal>

#include <span>

class QObject;

namespace platform {

// Results, numbered like the mixer's error codes. 0 is success.
enum MixerError : quint32 {
    MixerNoError = 0,
    MixerFailed = 1,
    MixerInvalidHandle = 5,
    MixerNoDriver = 6,
    MixerInvalidParam = 11,
    MixerInvalidLine = 1024,
    MixerInvalidControl = 1025,
    MixerInvalidValue = 1026,
};

// Line component types and control types, with the mixer's own numbers.
namespace mixer {
constexpr quint32 DstSpeakers = 4;
constexpr quint32 DstWaveIn = 7;
constexpr quint32 SrcMicrophone = 0x1003;
constexpr quint32 SrcWaveOut = 0x1008;
constexpr quint32 PeakMeter = 0x10020001;
constexpr quint32 Volume = 0x50030001;
} // namespace mixer

struct MixerCaps {
    QString name;
    quint32 destinations = 0;
};

// A destination line (source = -1) or one of its sources.
struct MixerLine {
    quint32 destination = 0;
    qint32 source = -1;
    quint32 lineId = 0;
    quint32 componentType = 0;
    quint32 channels = 0;
    quint32 connections = 0; // sources of a destination; 0 for a source
    quint32 controls = 0;
    QString name;
};

struct MixerControl {
    quint32 controlId = 0;
    quint32 controlType = 0;
    quint32 multipleItems = 0;
    qint32 minimum = 0;
    qint32 maximum = 0;
    QString name;
};

// Delivered on the UI thread to every call-back object opened on the mixer when a control's
// value changed, whoever changed it (this program included).
class MixerChangeEvent : public QEvent {
public:
    explicit MixerChangeEvent(quint32 controlId);
    static QEvent::Type eventType();
    quint32 controlId() const { return FControlId; }

private:
    quint32 FControlId;
};

// The first mixer device. A handle from open() names the caller in the other calls; a handle
// of 0 (a failed open) makes every call fail with MixerInvalidHandle. Peak meters read
// 0..32768, the highest level since the previous read; volumes read and take 0..65535.
class Mixer {
public:
    virtual ~Mixer();

    // Starts connecting to the sound server without waiting, so that the first call finds it
    // connected; the program calls it once its first window is up. Nothing to do by default.
    virtual void connectInBackground() {}

    // `callback` (may be null) receives MixerChangeEvent until the handle is closed.
    virtual quint32 open(QObject *callback, quint32 &handle) = 0;
    virtual quint32 close(quint32 handle) = 0;
    virtual quint32 caps(quint32 handle, MixerCaps &caps) = 0;
    virtual quint32 destinationLine(quint32 handle, quint32 destination, MixerLine &line) = 0;
    virtual quint32 sourceLine(quint32 handle, quint32 destination, quint32 source, MixerLine &line) = 0;
    // Fills the line's first controls.size() controls (fewer if it has fewer; `count` says how
    // many), so a caller with a fixed array never receives more than it holds.
    virtual quint32 lineControls(quint32 handle, quint32 lineId, std::span<MixerControl> controls,
                                 quint32 &count) = 0;
    // One value per channel; a single value stands for all channels.
    virtual quint32 controlValues(quint32 handle, quint32 controlId, std::span<qint32> values) = 0;
    virtual quint32 setControlValues(quint32 handle, quint32 controlId, std::span<const qint32> values) = 0;
};

// The program's mixer: libpulse's default sink and source. Without a sound server every open
// fails with MixerNoDriver.
Mixer &defaultMixer();

} // namespace platform
