// The wave device's elements and their states, shared by the real and the simulated back end.
#pragma once

#include "platform/audio/WaveDevice.h"
#include "platform/audio/WaveDeviceNotify.h"
#include "platform/audio/WaveFile.h"

#include <QPointer>

#include <map>
#include <memory>

namespace platform {

// Keeps the open elements (one per device identifier), carries out the commands on them and
// reports completions through a NotifyQueue; a back end supplies the streams. Every command
// holds the back end's lock; the stream hooks are called with it held and may release it
// while they wait for the sound server (their callbacks then run, the hooks' caller having
// settled the element's state first). The back end's callbacks report through captured(),
// playbackEnded() and streamFailed(), also with the lock held.
class WaveDeviceBase : public WaveDevice {
public:
    WaveDeviceBase();
    ~WaveDeviceBase() override;

    quint32 open(const QString &element, quint32 &deviceId) override;
    quint32 setFormat(quint32 deviceId, const WaveFormat &format) override;
    quint32 record(quint32 deviceId) override;
    quint32 play(quint32 deviceId, QObject *notify) override;
    quint32 pause(quint32 deviceId, QObject *notify) override;
    quint32 resume(quint32 deviceId) override;
    quint32 stop(quint32 deviceId, QObject *notify) override;
    quint32 save(quint32 deviceId, const QString &fileName) override;
    quint32 close(quint32 deviceId) override;
    quint32 length(quint32 deviceId, qint64 &bytes) override;

    // The format of a new, empty element until setFormat changes it.
    static WaveFormat defaultRecordFormat();

protected:
    enum class State { Stopped, Playing, PlayPaused, Recording, RecordPaused };

    struct Element {
        virtual ~Element() = default;
        quint32 id = 0;
        WaveImage image;
        qsizetype position = 0; // byte offset where playback or recording continues
        State state = State::Stopped;
        QPointer<QObject> pendingNotify; // the running play's call-back object
        bool notifyPending = false;
    };

    virtual void lock() = 0;
    virtual void unlock() = 0;
    // Makes sure the sound server can be used; a WaveError.
    virtual quint32 connectDevice() = 0;
    virtual std::unique_ptr<Element> newElement() = 0;

    // Playback from element.position; the back end calls playbackEnded once all has been heard.
    virtual quint32 startPlayback(Element &element) = 0;
    virtual void pausePlayback(Element &element) = 0;
    virtual quint32 continuePlayback(Element &element) = 0;
    // Ends the playback and sets element.position to where it stopped.
    virtual void stopPlayback(Element &element) = 0;

    // Recording at element.position, reported through captured().
    virtual quint32 startCapture(Element &element) = 0;
    // Pausing and stopping hand over every sample captured until then before they return.
    virtual void pauseCapture(Element &element) = 0;
    virtual quint32 continueCapture(Element &element) = 0;
    virtual void stopCapture(Element &element) = 0;

    void captured(Element &element, const char *data, qsizetype bytes);
    void playbackEnded(Element &element);
    void streamFailed(Element &element);

    // With the lock held.
    Element *find(quint32 deviceId);
    template <typename F> void forEachElement(F f)
    {
        for (auto &[id, element] : FElements)
            f(*element);
    }
    // Closes every element; back ends call it in their destructor, before their streams go.
    void closeAll();

private:
    class Guard;
    void post(const QPointer<QObject> &target, quint32 deviceId, WaveNotifyCode code);
    void settlePending(Element &element, WaveNotifyCode code);
    // The one place each state switch of a take is made: start a stopped take, continue a
    // paused one, end whatever runs. A failed start or continuation leaves the state as it was.
    quint32 beginTake(Element &element, State running);
    quint32 continueTake(Element &element);
    void endStreams(Element &element);

    NotifyQueue FQueue;
    std::map<quint32, std::unique_ptr<Element>> FElements;
    quint32 FNextId = 1;
};

} // namespace platform
