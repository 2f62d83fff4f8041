// An in-memory mixer for tests: values are set by the test, changes are posted like the real one's.
#include "platform/mixer/SimMixer.h"

namespace platform {

SimMixer::SimMixer() : SimMixer(standardLines()) {}

SimMixer::SimMixer(std::vector<Line> destinations)
    : MixerTable(QStringLiteral("Simulated Mixer"), destinations)
{
    for (quint32 id = 1; controlType(id) != 0; ++id) {
        const qint32 start = controlType(id) == mixer::Volume ? 65535 : 0;
        FValues[id] = {start, start};
    }
}

quint32 SimMixer::connectMixer()
{
    return FServerAvailable ? MixerNoError : MixerNoDriver;
}

std::array<qint32, 2> SimMixer::values(quint32 controlId) const
{
    const auto it = FValues.find(controlId);
    return it == FValues.end() ? std::array<qint32, 2>{0, 0} : it->second;
}

void SimMixer::store(quint32 controlId, std::array<qint32, 2> v, bool notify)
{
    const bool changed = FValues[controlId] != v;
    FValues[controlId] = v;
    if (changed && notify) notifyChange(controlId);
}

void SimMixer::changeControl(quint32 controlId, qint32 first, qint32 second)
{
    store(controlId, {first, second}, true);
}

void SimMixer::setPeak(quint32 controlId, qint32 first, qint32 second)
{
    store(controlId, {first, second}, false);
}

quint32 SimMixer::readControl(quint32 controlId, std::span<qint32> values)
{
    ++FReads;
    if (FReadFailure) return FReadFailure;
    const std::array<qint32, 2> v = FValues[controlId];
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = v[qMin<std::size_t>(i, 1)];
    return MixerNoError;
}

quint32 SimMixer::writeControl(quint32 controlId, std::span<const qint32> values)
{
    if (FWriteFailure) return FWriteFailure;
    // One value stands for every channel.
    store(controlId, {values[0], values.size() > 1 ? values[1] : values[0]}, true);
    return MixerNoError;
}

} // namespace platform
