// The wave device's elements and their states, shared by the real and the simulated back end.
#include "platform/audio/WaveDeviceBase.h"

namespace platform {

class WaveDeviceBase::Guard {
public:
    explicit Guard(WaveDeviceBase &device) : FDevice(device) { FDevice.lock(); }
    ~Guard() { FDevice.unlock(); }
    Guard(const Guard &) = delete;
    Guard &operator=(const Guard &) = delete;

private:
    WaveDeviceBase &FDevice;
};

WaveDeviceBase::WaveDeviceBase() = default;

WaveDeviceBase::~WaveDeviceBase() = default;

WaveFormat WaveDeviceBase::defaultRecordFormat()
{
    return pcmFormat(1, 11025, 8);
}

WaveDeviceBase::Element *WaveDeviceBase::find(quint32 deviceId)
{
    const auto it = FElements.find(deviceId);
    return it == FElements.end() ? nullptr : it->second.get();
}

void WaveDeviceBase::post(const QPointer<QObject> &target, quint32 deviceId, WaveNotifyCode code)
{
    FQueue.post(target, std::make_unique<WaveNotifyEvent>(deviceId, code));
}

void WaveDeviceBase::settlePending(Element &element, WaveNotifyCode code)
{
    if (!element.notifyPending) return;
    post(element.pendingNotify, element.id, code);
    element.notifyPending = false;
    element.pendingNotify.clear();
}

quint32 WaveDeviceBase::open(const QString &element, quint32 &deviceId)
{
    deviceId = 0;
    WaveImage image;
    if (element.isEmpty())
        image.format = defaultRecordFormat();
    else if (const quint32 result = readWaveFile(element, image))
        return result;

    Guard guard(*this);
    if (const quint32 result = connectDevice()) return result;
    std::unique_ptr<Element> opened = newElement();
    opened->id = FNextId++;
    opened->image = std::move(image);
    deviceId = opened->id;
    FElements.emplace(deviceId, std::move(opened));
    return WaveNoError;
}

quint32 WaveDeviceBase::setFormat(quint32 deviceId, const WaveFormat &format)
{
    Guard guard(*this);
    Element *e = find(deviceId);
    if (!e) return WaveInvalidDeviceId;
    if (e->state != State::Stopped || !e->image.data.isEmpty()) return WaveNonapplicableFunction;
    if (!isRecordableFormat(format)) return WaveOutOfRange;
    e->image.format = format;
    return WaveNoError;
}

quint32 WaveDeviceBase::beginTake(Element &element, State running)
{
    // The state is settled before the stream starts: the back end may wait for the server, and
    // its callbacks then see the take as running.
    element.state = running;
    const quint32 result = running == State::Playing ? startPlayback(element) : startCapture(element);
    if (result) element.state = State::Stopped;
    return result;
}

quint32 WaveDeviceBase::continueTake(Element &element)
{
    const State paused = element.state;
    const bool playback = paused == State::PlayPaused;
    element.state = playback ? State::Playing : State::Recording;
    const quint32 result = playback ? continuePlayback(element) : continueCapture(element);
    if (result) element.state = paused;
    return result;
}

quint32 WaveDeviceBase::record(quint32 deviceId)
{
    Guard guard(*this);
    Element *e = find(deviceId);
    if (!e) return WaveInvalidDeviceId;
    switch (e->state) {
    case State::Recording:
        return WaveNoError;
    case State::RecordPaused:
        return continueTake(*e);
    case State::Playing:
    case State::PlayPaused:
        settlePending(*e, WaveNotifyCode::Aborted);
        endStreams(*e);
        break;
    case State::Stopped:
        break;
    }
    if (!isRecordableFormat(e->image.format)) return WaveNonapplicableFunction;
    return beginTake(*e, State::Recording);
}

quint32 WaveDeviceBase::play(quint32 deviceId, QObject *notify)
{
    Guard guard(*this);
    Element *e = find(deviceId);
    if (!e) return WaveInvalidDeviceId;
    const QPointer<QObject> target(notify);
    const auto install = [&] {
        settlePending(*e, WaveNotifyCode::Superseded);
        e->pendingNotify = target;
        e->notifyPending = notify != nullptr;
    };
    const auto uninstall = [&] {
        e->notifyPending = false;
        e->pendingNotify.clear();
    };
    switch (e->state) {
    case State::Playing:
        install();
        return WaveNoError;
    case State::PlayPaused:
        install();
        if (const quint32 result = continueTake(*e)) {
            uninstall();
            return result;
        }
        return WaveNoError;
    case State::Recording:
    case State::RecordPaused:
        endStreams(*e);
        break;
    case State::Stopped:
        break;
    }
    if (e->position >= e->image.data.size()) {
        // Nothing left to play: the play is complete at once, but still reported later.
        if (notify) post(target, e->id, WaveNotifyCode::Successful);
        return WaveNoError;
    }
    install();
    if (const quint32 result = beginTake(*e, State::Playing)) {
        uninstall();
        return result;
    }
    return WaveNoError;
}

quint32 WaveDeviceBase::pause(quint32 deviceId, QObject *notify)
{
    Guard guard(*this);
    Element *e = find(deviceId);
    if (!e) return WaveInvalidDeviceId;
    const QPointer<QObject> target(notify);
    switch (e->state) {
    case State::Playing:
        settlePending(*e, WaveNotifyCode::Aborted);
        e->state = State::PlayPaused;
        pausePlayback(*e);
        break;
    case State::Recording:
        e->state = State::RecordPaused;
        pauseCapture(*e);
        break;
    default:
        break;
    }
    if (notify) post(target, e->id, WaveNotifyCode::Successful);
    return WaveNoError;
}

quint32 WaveDeviceBase::resume(quint32 deviceId)
{
    Guard guard(*this);
    Element *e = find(deviceId);
    if (!e) return WaveInvalidDeviceId;
    switch (e->state) {
    case State::PlayPaused:
    case State::RecordPaused:
        return continueTake(*e);
    case State::Playing:
    case State::Recording:
        return WaveNoError;
    case State::Stopped:
        break;
    }
    return WaveNonapplicableFunction;
}

void WaveDeviceBase::endStreams(Element &element)
{
    const State was = element.state;
    element.state = State::Stopped;
    if (was == State::Playing || was == State::PlayPaused)
        stopPlayback(element);
    else if (was == State::Recording || was == State::RecordPaused)
        stopCapture(element);
}

quint32 WaveDeviceBase::stop(quint32 deviceId, QObject *notify)
{
    Guard guard(*this);
    Element *e = find(deviceId);
    if (!e) return WaveInvalidDeviceId;
    const QPointer<QObject> target(notify);
    settlePending(*e, WaveNotifyCode::Aborted);
    endStreams(*e);
    if (notify) post(target, e->id, WaveNotifyCode::Successful);
    return WaveNoError;
}

quint32 WaveDeviceBase::save(quint32 deviceId, const QString &fileName)
{
    WaveImage image;
    {
        Guard guard(*this);
        Element *e = find(deviceId);
        if (!e) return WaveInvalidDeviceId;
        image = e->image; // shared until a recording still running appends to it
    }
    return writeWaveFile(fileName, image.format, image.data);
}

quint32 WaveDeviceBase::close(quint32 deviceId)
{
    Guard guard(*this);
    Element *e = find(deviceId);
    if (!e) return WaveInvalidDeviceId;
    settlePending(*e, WaveNotifyCode::Aborted);
    endStreams(*e);
    FElements.erase(deviceId);
    return WaveNoError;
}

quint32 WaveDeviceBase::length(quint32 deviceId, qint64 &bytes)
{
    Guard guard(*this);
    bytes = 0;
    Element *e = find(deviceId);
    if (!e) return WaveInvalidDeviceId;
    bytes = e->image.data.size();
    return WaveNoError;
}

void WaveDeviceBase::closeAll()
{
    Guard guard(*this);
    for (auto &[id, element] : FElements)
        endStreams(*element);
    FElements.clear();
}

void WaveDeviceBase::captured(Element &element, const char *data, qsizetype bytes)
{
    if (element.position >= element.image.data.size())
        element.image.data.append(data, bytes);
    else
        element.image.data.insert(element.position, data, bytes);
    element.position += bytes;
}

void WaveDeviceBase::playbackEnded(Element &element)
{
    if (element.state != State::Playing && element.state != State::PlayPaused) return;
    element.state = State::Stopped;
    element.position = element.image.data.size();
    settlePending(element, WaveNotifyCode::Successful);
}

void WaveDeviceBase::streamFailed(Element &element)
{
    settlePending(element, WaveNotifyCode::Failure);
    endStreams(element);
}

} // namespace platform
