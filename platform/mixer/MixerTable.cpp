// A mixer whose lines and controls are a fixed table; back ends supply the controls' values.
#include "platform/mixer/MixerTable.h"

#include <algorithm>
#include <vector>

namespace platform {

namespace {
quint32 lineIdOf(quint32 destination, qint32 source)
{
    return quint32(source + 1) << 16 | destination;
}
} // namespace

MixerTable::MixerTable(QString name, std::vector<Line> destinations)
    : FName(std::move(name)), FDestinations(std::move(destinations))
{
    quint32 next = 1;
    const auto enter = [&](const Line &line, quint32 lineId) {
        auto &ids = FLineControls[lineId];
        for (const Control &control : line.controls) {
            FControls[next] = Entry{&control, line.channels};
            ids.push_back(next++);
        }
    };
    for (quint32 d = 0; d < FDestinations.size(); ++d) {
        enter(FDestinations[d], lineIdOf(d, -1));
        for (quint32 s = 0; s < FDestinations[d].sources.size(); ++s)
            enter(FDestinations[d].sources[s], lineIdOf(d, qint32(s)));
    }
}

MixerTable::~MixerTable() = default;

std::vector<MixerTable::Line> MixerTable::standardLines()
{
    const Control volume{mixer::Volume, QStringLiteral("Volume"), 0, 65535, 0};
    const Control peak{mixer::PeakMeter, QStringLiteral("Peak Meter"), -32768, 32767, 0};
    Line waveOut{mixer::SrcWaveOut, 1, QStringLiteral("Wave"), {peak}, {}};
    Line speakers{mixer::DstSpeakers, 1, QStringLiteral("Speakers"), {volume}, {waveOut}};
    Line microphone{mixer::SrcMicrophone, 1, QStringLiteral("Microphone"), {peak, volume}, {}};
    Line waveIn{mixer::DstWaveIn, 1, QStringLiteral("Recording"), {}, {microphone}};
    return {speakers, waveIn};
}

bool MixerTable::validHandle(quint32 handle) const
{
    QMutexLocker lock(&FHandlesLock);
    return FHandles.count(handle) != 0;
}

int MixerTable::openHandles() const
{
    QMutexLocker lock(&FHandlesLock);
    return int(FHandles.size());
}

quint32 MixerTable::open(QObject *callback, quint32 &handle)
{
    handle = 0;
    if (const quint32 result = connectMixer()) return result;
    QMutexLocker lock(&FHandlesLock);
    handle = FNextHandle++;
    FHandles[handle] = QPointer<QObject>(callback);
    return MixerNoError;
}

quint32 MixerTable::close(quint32 handle)
{
    QMutexLocker lock(&FHandlesLock);
    return FHandles.erase(handle) ? MixerNoError : MixerInvalidHandle;
}

quint32 MixerTable::caps(quint32 handle, MixerCaps &caps)
{
    if (!validHandle(handle)) return MixerInvalidHandle;
    caps.name = FName;
    caps.destinations = quint32(FDestinations.size());
    return MixerNoError;
}

MixerLine MixerTable::describe(quint32 destination, qint32 source) const
{
    const Line &dst = FDestinations[destination];
    const Line &line = source < 0 ? dst : dst.sources[std::size_t(source)];
    MixerLine out;
    out.destination = destination;
    out.source = source;
    out.lineId = lineIdOf(destination, source);
    out.componentType = line.componentType;
    out.channels = line.channels;
    out.connections = source < 0 ? quint32(dst.sources.size()) : 0;
    out.controls = quint32(line.controls.size());
    out.name = line.name;
    return out;
}

quint32 MixerTable::destinationLine(quint32 handle, quint32 destination, MixerLine &line)
{
    if (!validHandle(handle)) return MixerInvalidHandle;
    if (destination >= FDestinations.size()) return MixerInvalidLine;
    line = describe(destination, -1);
    return MixerNoError;
}

quint32 MixerTable::sourceLine(quint32 handle, quint32 destination, quint32 source, MixerLine &line)
{
    if (!validHandle(handle)) return MixerInvalidHandle;
    if (destination >= FDestinations.size() || source >= FDestinations[destination].sources.size())
        return MixerInvalidLine;
    line = describe(destination, qint32(source));
    return MixerNoError;
}

quint32 MixerTable::lineControls(quint32 handle, quint32 lineId, std::span<MixerControl> controls,
                                 quint32 &count)
{
    count = 0;
    if (!validHandle(handle)) return MixerInvalidHandle;
    const auto it = FLineControls.find(lineId);
    if (it == FLineControls.end()) return MixerInvalidLine;
    for (quint32 id : it->second) {
        if (count == controls.size()) break;
        const Control &c = *FControls.at(id).control;
        controls[count++] = MixerControl{id, c.controlType, c.multipleItems, c.minimum, c.maximum, c.name};
    }
    return MixerNoError;
}

quint32 MixerTable::controlType(quint32 controlId) const
{
    const auto it = FControls.find(controlId);
    return it == FControls.end() ? 0 : it->second.control->controlType;
}

quint32 MixerTable::checkValues(quint32 handle, quint32 controlId, std::size_t count,
                                const Entry *&entry) const
{
    if (!validHandle(handle)) return MixerInvalidHandle;
    const auto it = FControls.find(controlId);
    if (it == FControls.end()) return MixerInvalidControl;
    if (count == 0 || (count != 1 && count != it->second.channels)) return MixerInvalidParam;
    entry = &it->second;
    return MixerNoError;
}

quint32 MixerTable::controlValues(quint32 handle, quint32 controlId, std::span<qint32> values)
{
    const Entry *entry = nullptr;
    if (const quint32 result = checkValues(handle, controlId, values.size(), entry)) return result;
    return readControl(controlId, values);
}

quint32 MixerTable::setControlValues(quint32 handle, quint32 controlId, std::span<const qint32> values)
{
    const Entry *entry = nullptr;
    if (const quint32 result = checkValues(handle, controlId, values.size(), entry)) return result;
    if (entry->control->controlType == mixer::PeakMeter) return MixerInvalidControl;
    for (qint32 v : values)
        if (v < entry->control->minimum || v > entry->control->maximum) return MixerInvalidValue;
    // Every handle hears of a set, also one that leaves the value as it was; the back ends
    // themselves report only real changes.
    std::vector<qint32> before(values.size());
    const bool known = readControl(controlId, before) == MixerNoError;
    const quint32 result = writeControl(controlId, values);
    if (result == MixerNoError && known && std::equal(before.begin(), before.end(), values.begin()))
        notifyChange(controlId);
    return result;
}

void MixerTable::notifyChange(quint32 controlId)
{
    QMutexLocker lock(&FHandlesLock);
    for (const auto &[handle, callback] : FHandles)
        if (!callback.isNull()) FQueue.post(callback, std::make_unique<MixerChangeEvent>(controlId));
}

} // namespace platform
