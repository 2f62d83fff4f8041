// Mixer controls: TMixer finds a control by line and type; TPeakMeter and TFader read and set it.
#include "sound/EMixerUtils.h"

#include <QObject>

#include <limits>

using platform::MixerControl;

namespace {
qint32 absoluteLevel(qint32 v)
{
    return qint32(qMin<qint64>(qAbs(qint64(v)), std::numeric_limits<qint32>::max()));
}
} // namespace

TMixer::TMixer(QObject *CallbackWindow, platform::Mixer &Mixer) : FMixer(Mixer)
{
    FMixer.open(CallbackWindow, FHandle);
}

TMixer::~TMixer()
{
    FMixer.close(FHandle);
}

bool TMixer::FindOnLine(quint32 ControlType, MixerControl &Control, bool &Failed)
{
    // A line with more controls than the array holds is searched in its first ones only.
    const std::size_t Room = qMin<std::size_t>(FLine.controls, FControls.size());
    quint32 Count = 0;
    if (FMixer.lineControls(FHandle, FLine.lineId, std::span(FControls.data(), Room), Count) != 0) {
        Failed = true;
        return false;
    }
    for (quint32 k = 0; k < Count; ++k) {
        if (FControls[k].controlType == ControlType) {
            Control = FControls[k];
            return true;
        }
    }
    return false;
}

bool TMixer::FindControl(quint32 DestinationType, qint64 SourceType, MixerControl &Control,
                         quint32 ControlType)
{
    if (FMixer.caps(FHandle, FCaps) != 0) return false;
    bool Failed = false;
    for (quint32 i = 0; i < FCaps.destinations; ++i) {
        if (SourceType == -1) {
            if (FMixer.destinationLine(FHandle, i, FLine) != 0) return false;
            if (FLine.componentType != DestinationType) continue;
            if (FindOnLine(ControlType, Control, Failed)) return true;
            if (Failed) return false;
            continue;
        }
        if (FMixer.destinationLine(FHandle, i, FLine) != 0 || FLine.componentType != DestinationType)
            continue;
        const quint32 Connections = FLine.connections;
        for (quint32 j = 0; j < Connections; ++j) {
            if (FMixer.sourceLine(FHandle, i, j, FLine) != 0) return false;
            if (FLine.componentType != quint64(SourceType)) continue;
            if (FindOnLine(ControlType, Control, Failed)) return true;
            if (Failed) return false;
        }
    }
    return false;
}

// The hidden object the mixer reports changes to.
class TMixerLineControl::TNotifyWindow : public QObject {
public:
    explicit TNotifyWindow(TMixerLineControl &Owner) : FOwner(Owner) {}

    bool event(QEvent *Event) override
    {
        if (Event->type() == platform::MixerChangeEvent::eventType()) {
            FOwner.Changed();
            return true;
        }
        return QObject::event(Event);
    }

private:
    TMixerLineControl &FOwner;
};

TMixerLineControl::TMixerLineControl(TMixerChangeEvent OnChangeEvent, platform::Mixer &Mixer)
    : OnChange(std::move(OnChangeEvent))
{
    if (OnChange) FNotifyWindow = std::make_unique<TNotifyWindow>(*this);
    FMixer = std::make_unique<TMixer>(FNotifyWindow.get(), Mixer);
}

TMixerLineControl::~TMixerLineControl()
{
    OnChange = nullptr;
    FMixer.reset();
    FNotifyWindow.reset();
}

void TMixerLineControl::Changed()
{
    // Any change of the mixer re-reads this control, whichever control it was.
    Refresh();
    if (OnChange) {
        const TMixerChangeEvent Handler = OnChange;
        Handler(this);
    }
}

bool TPeakMeter::Bind(quint32 DestinationType, quint32 SourceType)
{
    if (!LineMixer().FindControl(DestinationType, SourceType, Control, platform::mixer::PeakMeter))
        return false;
    // Two value slots: a line of more channels is read as one value for all.
    const quint32 LineChannels = LineMixer().Line().channels;
    Details.ControlId = Control.controlId;
    Details.Channels = LineChannels <= 2 ? LineChannels : 1;
    Details.Items = Control.multipleItems;
    return true;
}

bool TPeakMeter::BindPlaybackMeter()
{
    return Bind(platform::mixer::DstSpeakers, platform::mixer::SrcWaveOut);
}

bool TPeakMeter::BindRecordingMeter()
{
    return Bind(platform::mixer::DstWaveIn, platform::mixer::SrcMicrophone);
}

bool TPeakMeter::Refresh()
{
    TMixer &M = LineMixer();
    if (M.Device().controlValues(M.Handle(), Details.ControlId,
                                 std::span(FValues.data(), Details.Channels)) != 0)
        return false;
    Level = absoluteLevel(FValues[0]);
    if (Details.Channels == 2) LevelRight = absoluteLevel(FValues[1]);
    return true;
}

void TFader::SelectLine(int Kind)
{
    using namespace platform::mixer;
    bool Found = false;
    switch (Kind) {
    case 0:
        Found = LineMixer().FindControl(DstSpeakers, SrcWaveOut, Control, Volume);
        break;
    case 1:
        Found = LineMixer().FindControl(DstSpeakers, -1, Control, Volume);
        break;
    case 2:
        Found = LineMixer().FindControl(DstWaveIn, SrcMicrophone, Control, Volume);
        break;
    default:
        return;
    }
    if (!Found) return;
    Details.ControlId = Control.controlId;
    Details.Channels = 1;
    Details.Items = Control.multipleItems;
    Refresh();
}

quint32 TFader::SetValue(qint32 NewValue)
{
    FValue = NewValue;
    TMixer &M = LineMixer();
    return M.Device().setControlValues(M.Handle(), Details.ControlId,
                                       std::span<const qint32>(&FValue, Details.Channels));
}

bool TFader::Refresh()
{
    TMixer &M = LineMixer();
    if (M.Device().controlValues(M.Handle(), Details.ControlId, std::span(&FValue, Details.Channels)) != 0)
        return false;
    Value = absoluteLevel(FValue);
    return true;
}
