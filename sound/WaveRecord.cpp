// TWaveRecorder: records, plays, pauses, stops and saves the message through the wave device.
#include "sound/WaveRecord.h"

#include "platform/codecs/WaveTags.h"

#include <QObject>

// The hidden object that every notifying command names as its call-back.
class TWaveRecorder::TNotifyWindow : public QObject {
public:
    explicit TNotifyWindow(TWaveRecorder &Owner) : FOwner(Owner) {}

    bool event(QEvent *Event) override
    {
        if (Event->type() == platform::WaveNotifyEvent::eventType()) {
            FOwner.Notified(static_cast<platform::WaveNotifyEvent *>(Event)->code());
            return true;
        }
        return QObject::event(Event);
    }

private:
    TWaveRecorder &FOwner;
};

platform::WaveFormat recorderFormat(quint8 Channels, quint32 SamplesPerSec, quint16 BitsPerSample)
{
    platform::WaveFormat format;
    format.formatTag = platform::WaveFormatPcm;
    format.channels = Channels;
    format.samplesPerSec = SamplesPerSec;
    format.blockAlign = quint16((quint32(Channels) * BitsPerSample) >> 3);
    format.avgBytesPerSec = quint32(format.blockAlign) * SamplesPerSec;
    format.bitsPerSample = BitsPerSample;
    return format;
}

TWaveRecorder::TWaveRecorder(platform::WaveDevice &device)
    : FDevice(device), NotifyWindow(std::make_unique<TNotifyWindow>(*this))
{
}

TWaveRecorder::~TWaveRecorder()
{
    FDevice.close(DeviceID);
    NotifyWindow.reset();
}

void TWaveRecorder::Notified(platform::WaveNotifyCode Code)
{
    if (Code == platform::WaveNotifyCode::Failure && OnFailure) {
        const TWaveNotifyEvent Handler = OnFailure;
        Handler(this);
        return;
    }
    if (Code != platform::WaveNotifyCode::Successful || !OnNotify) return;
    // A copy: the handler may install the next one while it runs.
    const TWaveNotifyEvent Handler = OnNotify;
    Handler(this);
}

quint32 TWaveRecorder::Close()
{
    return FDevice.close(DeviceID);
}

QString TWaveRecorder::ErrorMessage() const
{
    return FDevice.errorText(LastError).left(255);
}

bool TWaveRecorder::PlayFile(TWaveNotifyEvent Handler)
{
    Close();
    OnNotify = Handler;
    quint32 Id = 0;
    LastError = FDevice.open(FileName, Id);
    DeviceID = Id;
    if (LastError != 0) return false;
    Play(Handler);
    return true;
}

bool TWaveRecorder::Play(TWaveNotifyEvent Handler)
{
    OnNotify = std::move(Handler);
    LastError = FDevice.play(DeviceID, NotifyWindow.get());
    return LastError == 0;
}

bool TWaveRecorder::Record(TWaveNotifyEvent Handler)
{
    Close();
    OnNotify = std::move(Handler);
    quint32 Id = 0;
    LastError = FDevice.open(QString(), Id);
    DeviceID = Id;
    if (LastError != 0) return false;
    // A format the device refuses leaves it recording in the format it has.
    SetFormat();
    LastError = FDevice.record(DeviceID);
    return LastError == 0;
}

bool TWaveRecorder::Stop(TWaveNotifyEvent Handler)
{
    OnNotify = std::move(Handler);
    LastError = FDevice.stop(DeviceID, NotifyWindow.get());
    return LastError == 0;
}

bool TWaveRecorder::Save()
{
    LastError = FDevice.save(DeviceID, FileName);
    return LastError == 0;
}

bool TWaveRecorder::Pause(TWaveNotifyEvent Handler)
{
    OnNotify = std::move(Handler);
    LastError = FDevice.pause(DeviceID, NotifyWindow.get());
    return LastError == 0;
}

bool TWaveRecorder::Resume()
{
    LastError = FDevice.resume(DeviceID);
    return LastError == 0;
}

qint64 TWaveRecorder::Length() const
{
    qint64 Bytes = 0;
    FDevice.length(DeviceID, Bytes);
    return Bytes;
}

bool TWaveRecorder::SetFormat()
{
    LastError = FDevice.setFormat(DeviceID, recorderFormat(Channels, SamplesPerSec, BitsPerSample));
    return LastError == 0;
}
