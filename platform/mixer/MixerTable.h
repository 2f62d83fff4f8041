// A mixer whose lines and controls are a fixed table; back ends supply the controls' values.
#pragma once

#include "platform/audio/WaveDeviceNotify.h"
#include "platform/mixer/Mixer.h"

#include <QMutex>
#include <QPointer>

#include <map>
#include <vector>

namespace platform {

class MixerTable : public Mixer {
public:
    struct Control {
        quint32 controlType = 0;
        QString name;
        qint32 minimum = 0;
        qint32 maximum = 65535;
        quint32 multipleItems = 0;
    };
    struct Line {
        quint32 componentType = 0;
        quint32 channels = 1;
        QString name;
        std::vector<Control> controls;
        std::vector<Line> sources; // only for destinations
    };

    // Control identifiers are given from 1 up in table order: each destination's own controls,
    // then its sources' controls, destination after destination.
    MixerTable(QString name, std::vector<Line> destinations);
    ~MixerTable() override;

    // The lines this program uses: speakers with the master volume and the wave-out line with
    // the playback peak meter; wave-in with the microphone line carrying the microphone peak
    // meter and recording level. One channel each: volumes are set for all channels at once.
    static std::vector<Line> standardLines();
    static constexpr quint32 MasterVolumeId = 1;
    static constexpr quint32 PlaybackPeakId = 2;
    static constexpr quint32 MicrophonePeakId = 3;
    static constexpr quint32 MicrophoneLevelId = 4;

    quint32 open(QObject *callback, quint32 &handle) override;
    quint32 close(quint32 handle) override;
    quint32 caps(quint32 handle, MixerCaps &caps) override;
    quint32 destinationLine(quint32 handle, quint32 destination, MixerLine &line) override;
    quint32 sourceLine(quint32 handle, quint32 destination, quint32 source, MixerLine &line) override;
    quint32 lineControls(quint32 handle, quint32 lineId, std::span<MixerControl> controls,
                         quint32 &count) override;
    quint32 controlValues(quint32 handle, quint32 controlId, std::span<qint32> values) override;
    quint32 setControlValues(quint32 handle, quint32 controlId, std::span<const qint32> values) override;

    int openHandles() const;

protected:
    // Makes sure the values can be read; a MixerError. Called by every open.
    virtual quint32 connectMixer() = 0;
    // `values` holds one value or one per channel of the control's line; volumes are in range.
    virtual quint32 readControl(quint32 controlId, std::span<qint32> values) = 0;
    virtual quint32 writeControl(quint32 controlId, std::span<const qint32> values) = 0;

    // Tells every call-back object opened on the mixer; from any thread.
    void notifyChange(quint32 controlId);
    // The control's type, or 0 for an unknown identifier.
    quint32 controlType(quint32 controlId) const;

private:
    struct Entry {
        const Control *control;
        quint32 channels;
    };
    bool validHandle(quint32 handle) const;
    MixerLine describe(quint32 destination, qint32 source) const;
    quint32 checkValues(quint32 handle, quint32 controlId, std::size_t count, const Entry *&entry) const;

    QString FName;
    std::vector<Line> FDestinations;
    std::map<quint32, Entry> FControls;                    // by identifier
    std::map<quint32, std::vector<quint32>> FLineControls; // line identifier -> control identifiers
    mutable QMutex FHandlesLock;
    std::map<quint32, QPointer<QObject>> FHandles;
    quint32 FNextHandle = 1;
    NotifyQueue FQueue;
};

} // namespace platform
