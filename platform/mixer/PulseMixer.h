// The mixer over libpulse: the default sink's and source's volumes and peak levels.
#pragma once

#include "platform/mixer/MixerTable.h"

#include <memory>

namespace platform {

// Presents MixerTable::standardLines(). Volumes are those of `@DEFAULT_SINK@` (master) and
// `@DEFAULT_SOURCE@` (microphone level), kept current through a subscription: a change made
// anywhere (this program, a desktop mixer, pactl) that alters a value notifies every open
// call-back object once. The peak meters are peak-detecting record streams on
// `@DEFAULT_MONITOR@` (what is played) and `@DEFAULT_SOURCE@`, started by the first read and
// ended after a few seconds without reads; a read returns the highest level since the last.
class PulseMixer final : public MixerTable {
public:
    PulseMixer();

    void connectInBackground() override;
    ~PulseMixer() override;

protected:
    quint32 connectMixer() override;
    quint32 readControl(quint32 controlId, std::span<qint32> values) override;
    quint32 writeControl(quint32 controlId, std::span<const qint32> values) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
