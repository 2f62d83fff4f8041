// Mixer controls: TMixer finds a control by line and type; TPeakMeter and TFader read and set it.
#pragma once

#include "platform/mixer/Mixer.h"

#include <array>
#include <functional>
#include <memory>

class QObject;
class TMixerLineControl;

// Called with the control as sender after a change of the mixer, once the value is re-read.
using TMixerChangeEvent = std::function<void(TMixerLineControl *Sender)>;

// The first mixer device, opened with an optional call-back object for change events.
class TMixer {
public:
    static constexpr int MaxLineControls = 65;

    // The open's result is not checked: a failed open makes every later call fail.
    explicit TMixer(QObject *CallbackWindow = nullptr, platform::Mixer &Mixer = platform::defaultMixer());
    ~TMixer();
    TMixer(const TMixer &) = delete;
    TMixer &operator=(const TMixer &) = delete;

    // Searches the destinations in index order for one of DestinationType and, with
    // SourceType -1, takes the destination line itself, else searches its sources in index
    // order for one of SourceType; the first control of ControlType on that line is copied
    // to Control. The first match wins. Of a line, at most MaxLineControls controls are seen.
    bool FindControl(quint32 DestinationType, qint64 SourceType, platform::MixerControl &Control,
                     quint32 ControlType);

    platform::Mixer &Device() const { return FMixer; }
    quint32 Handle() const { return FHandle; }
    // After a successful search: the line on which the control was found.
    const platform::MixerLine &Line() const { return FLine; }

private:
    bool FindOnLine(quint32 ControlType, platform::MixerControl &Control, bool &Failed);

    platform::Mixer &FMixer;
    quint32 FHandle = 0;
    platform::MixerCaps FCaps;
    platform::MixerLine FLine;
    std::array<platform::MixerControl, MaxLineControls> FControls;
};

// What a bound control reads or sets: all zero until a bind succeeds, so reads fail before.
struct TMixerControlDetails {
    quint32 ControlId = 0;
    quint32 Channels = 0;
    quint32 Items = 0;
};

// A control bound to one mixer line, with an optional change event.
class TMixerLineControl {
public:
    explicit TMixerLineControl(TMixerChangeEvent OnChange = {},
                               platform::Mixer &Mixer = platform::defaultMixer());
    virtual ~TMixerLineControl();
    TMixerLineControl(const TMixerLineControl &) = delete;
    TMixerLineControl &operator=(const TMixerLineControl &) = delete;

    // Re-reads the control's value; false when the mixer refused.
    virtual bool Refresh() = 0;

    TMixerChangeEvent OnChange;

protected:
    TMixer &LineMixer() { return *FMixer; }
    platform::MixerControl Control;
    TMixerControlDetails Details;

private:
    class TNotifyWindow;
    void Changed();

    std::unique_ptr<QObject> FNotifyWindow; // only with a change event
    std::unique_ptr<TMixer> FMixer;
};

// A peak meter: Level and LevelRight are the absolute levels of the first and second channel.
class TPeakMeter : public TMixerLineControl {
public:
    using TMixerLineControl::TMixerLineControl;

    // Binds to the wave-out line of the speakers (what is played).
    bool BindPlaybackMeter();
    // Binds to the microphone line of the wave-in destination (what is recorded).
    bool BindRecordingMeter();
    bool Refresh() override;

    qint32 Level = 0;
    qint32 LevelRight = 0; // only written for a two-channel line

private:
    bool Bind(quint32 DestinationType, quint32 SourceType);
    std::array<qint32, 2> FValues{};
};

// A volume: Value is 0..65535, one value for all channels.
class TFader : public TMixerLineControl {
public:
    using TMixerLineControl::TMixerLineControl;

    // 0: wave playback volume, 1: master volume, 2: microphone recording level; any other
    // kind does nothing. A successful selection reads the value at once.
    void SelectLine(int Kind);
    // Sets the control; the mixer's result. Every control with a change event hears of it.
    quint32 SetValue(qint32 NewValue);
    bool Refresh() override;

    qint32 Value = 0;

private:
    qint32 FValue = 0;
};
