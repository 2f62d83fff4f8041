// The mixer over libpulse: the default sink's and source's volumes and peak levels.
#include "platform/mixer/PulseMixer.h"

#include "platform/pulse/PulseContext.h"

#include <cmath>
#include <string>

namespace platform {

namespace {

constexpr int QueryMs = 2000;
constexpr pa_usec_t PeakIdleUs = 3 * PA_USEC_PER_SEC;
constexpr uint32_t PeakRate = 40; // each value is the peak of 25 ms

qint32 toMixerVolume(pa_volume_t v)
{
    const quint64 scaled = (quint64(v) * 65535 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM;
    return qint32(qMin<quint64>(scaled, 65535));
}

pa_volume_t toPulseVolume(qint32 v)
{
    return pa_volume_t((quint64(v) * PA_VOLUME_NORM + 32767) / 65535);
}

} // namespace

struct PulseMixer::Impl {
    struct Volume {
        Impl *impl;
        const char *name;
        bool sink;
        quint32 controlId;
        pa_cvolume channels{};
        bool known = false;
        qint32 value = 0;
    };
    struct Peak {
        Impl *impl;
        std::string source;
        pa_stream *stream = nullptr;
        float highest = 0;
        pa_usec_t lastRead = 0;
    };

    explicit Impl(PulseMixer &owner) : mixer(owner), pulse("production") {}

    PulseMixer &mixer;
    PulseContext pulse;
    Volume master{this, "@DEFAULT_SINK@", true, MasterVolumeId};
    Volume microphone{this, "@DEFAULT_SOURCE@", false, MicrophoneLevelId};
    // The default sink's monitor, by its own name: pipewire-pulse takes "@DEFAULT_MONITOR@" for
    // the default source, which would show the microphone while a message plays.
    Peak playbackPeak{this, "@DEFAULT_MONITOR@"};
    Peak microphonePeak{this, "@DEFAULT_SOURCE@"};
    int subscribedGeneration = 0;
    pa_time_event *idleTimer = nullptr;

    Volume *volumeOf(quint32 controlId)
    {
        return controlId == MasterVolumeId ? &master : controlId == MicrophoneLevelId ? &microphone : nullptr;
    }
    Peak *peakOf(quint32 controlId)
    {
        return controlId == PlaybackPeakId     ? &playbackPeak
               : controlId == MicrophonePeakId ? &microphonePeak
                                               : nullptr;
    }

    // Values differ or not: only a change is worth telling, and the server also reports a
    // sink as changed when a stream starts on it.
    void update(Volume &volume, const pa_cvolume &channels)
    {
        volume.channels = channels;
        const qint32 value = toMixerVolume(Pulse().pa_cvolume_max(&channels));
        const bool changed = volume.known && value != volume.value;
        volume.value = value;
        volume.known = true;
        if (changed) mixer.notifyChange(volume.controlId);
    }

    static void sinkInfo(pa_context *, const pa_sink_info *info, int eol, void *data)
    {
        auto &volume = *static_cast<Volume *>(data);
        if (!eol && info) volume.impl->update(volume, info->volume);
    }

    static void sourceInfo(pa_context *, const pa_source_info *info, int eol, void *data)
    {
        auto &volume = *static_cast<Volume *>(data);
        if (!eol && info) volume.impl->update(volume, info->volume);
    }

    pa_operation *query(Volume &volume)
    {
        return volume.sink
                   ? Pulse().pa_context_get_sink_info_by_name(pulse.context(), volume.name, sinkInfo, &volume)
                   : Pulse().pa_context_get_source_info_by_name(pulse.context(), volume.name, sourceInfo,
                                                                &volume);
    }

    static void monitorOfSink(pa_context *, const pa_sink_info *info, int eol, void *data)
    {
        auto &impl = *static_cast<Impl *>(data);
        if (eol || !info || !info->monitor_source_name) return;
        impl.followMonitor(info->monitor_source_name);
    }

    static void serverInfo(pa_context *context, const pa_server_info *info, void *data)
    {
        if (!info || !info->default_sink_name) return;
        unrefOperation(
            Pulse().pa_context_get_sink_info_by_name(context, info->default_sink_name, monitorOfSink, data));
    }

    // A new default sink (or its first naming) moves the playback meter to that sink's monitor.
    void followMonitor(const std::string &monitor)
    {
        if (monitor == playbackPeak.source) return;
        releasePeak(playbackPeak);
        playbackPeak.source = monitor;
    }

    pa_operation *findMonitor()
    {
        return Pulse().pa_context_get_server_info(pulse.context(), serverInfo, this);
    }

    static void subscription(pa_context *, pa_subscription_event_type_t type, uint32_t, void *data)
    {
        auto &impl = *static_cast<Impl *>(data);
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER) unrefOperation(impl.findMonitor());
        if (facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SERVER)
            unrefOperation(impl.query(impl.master));
        if (facility == PA_SUBSCRIPTION_EVENT_SOURCE || facility == PA_SUBSCRIPTION_EVENT_SERVER)
            unrefOperation(impl.query(impl.microphone));
    }

    bool connect()
    {
        if (!pulse.connect()) return false;
        if (subscribedGeneration == pulse.generation()) return true;
        // A new connection: the old one's streams are gone and the values must be read afresh.
        releasePeak(playbackPeak);
        releasePeak(microphonePeak);
        master.known = microphone.known = false;
        Pulse().pa_context_set_subscribe_callback(pulse.context(), subscription, this);
        const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE |
                                                 PA_SUBSCRIPTION_MASK_SERVER);
        if (!pulse.waitFor(Pulse().pa_context_subscribe(pulse.context(), mask, nullptr, nullptr), QueryMs))
            return false;
        pulse.waitFor(query(master), QueryMs);
        pulse.waitFor(query(microphone), QueryMs);
        // The server answers in order: once this reply is in, the sink's (asked by the server
        // info callback) comes before any later request's.
        pulse.waitFor(findMonitor(), QueryMs);
        pulse.waitFor(Pulse().pa_context_get_server_info(
                          pulse.context(), [](pa_context *, const pa_server_info *, void *) {}, nullptr),
                      QueryMs);
        subscribedGeneration = pulse.generation();
        startIdleTimer();
        return true;
    }

    quint32 readVolume(Volume &volume, std::span<qint32> values)
    {
        if (!connect()) return MixerNoDriver;
        if (!pulse.waitFor(query(volume), QueryMs) || !volume.known) return MixerFailed;
        for (qint32 &v : values)
            v = volume.value;
        return MixerNoError;
    }

    quint32 writeVolume(Volume &volume, qint32 value)
    {
        if (!connect()) return MixerNoDriver;
        if (!volume.known && (!pulse.waitFor(query(volume), QueryMs) || !volume.known)) return MixerFailed;
        // Scaling keeps the balance between the channels.
        pa_cvolume channels = volume.channels;
        Pulse().pa_cvolume_scale(&channels, toPulseVolume(value));
        bool accepted = false;
        const auto done = [](pa_context *, int success, void *data) { *static_cast<bool *>(data) = success; };
        pa_operation *set = volume.sink
                                ? Pulse().pa_context_set_sink_volume_by_name(pulse.context(), volume.name,
                                                                             &channels, done, &accepted)
                                : Pulse().pa_context_set_source_volume_by_name(pulse.context(), volume.name,
                                                                               &channels, done, &accepted);
        if (!pulse.waitFor(set, QueryMs) || !accepted) return MixerFailed;
        // Reading the value back tells every call-back object, this one's owner included.
        pulse.waitFor(query(volume), QueryMs);
        return MixerNoError;
    }

    static void peakReadable(pa_stream *stream, size_t, void *data)
    {
        auto &peak = *static_cast<Peak *>(data);
        for (;;) {
            const void *samples = nullptr;
            size_t bytes = 0;
            if (Pulse().pa_stream_peek(stream, &samples, &bytes) < 0 || bytes == 0) break;
            if (samples) {
                const auto *v = static_cast<const float *>(samples);
                for (size_t i = 0; i < bytes / sizeof(float); ++i)
                    peak.highest = qMax(peak.highest, std::fabs(v[i]));
            }
            Pulse().pa_stream_drop(stream);
        }
    }

    static void peakStateChanged(pa_stream *stream, void *data)
    {
        auto &peak = *static_cast<Peak *>(data);
        if (!PA_STREAM_IS_GOOD(Pulse().pa_stream_get_state(stream)) && peak.stream == stream)
            peak.impl->releasePeak(peak);
    }

    void startPeak(Peak &peak)
    {
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, PeakRate, 1};
        peak.stream = Pulse().pa_stream_new(pulse.context(), "Peak", &spec, nullptr);
        if (!peak.stream) return;
        peak.highest = 0;
        Pulse().pa_stream_set_read_callback(peak.stream, peakReadable, &peak);
        Pulse().pa_stream_set_state_callback(peak.stream, peakStateChanged, &peak);
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
        attr.fragsize = sizeof(float);
        const auto flags = pa_stream_flags_t(PA_STREAM_PEAK_DETECT | PA_STREAM_ADJUST_LATENCY |
                                             PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND);
        if (Pulse().pa_stream_connect_record(peak.stream, peak.source.c_str(), &attr, flags) < 0)
            releasePeak(peak);
    }

    void releasePeak(Peak &peak)
    {
        if (!peak.stream) return;
        Pulse().pa_stream_set_read_callback(peak.stream, nullptr, nullptr);
        Pulse().pa_stream_set_state_callback(peak.stream, nullptr, nullptr);
        Pulse().pa_stream_disconnect(peak.stream);
        Pulse().pa_stream_unref(peak.stream);
        peak.stream = nullptr;
        peak.highest = 0;
    }

    quint32 readPeak(Peak &peak, std::span<qint32> values)
    {
        if (!connect()) return MixerNoDriver;
        if (!peak.stream) startPeak(peak);
        if (!peak.stream) return MixerFailed;
        const qint32 level = qint32(std::lround(qMin(peak.highest, 1.0f) * 32768));
        peak.highest = 0;
        peak.lastRead = Pulse().pa_rtclock_now();
        for (qint32 &v : values)
            v = level;
        return MixerNoError;
    }

    // Peak streams cost a wake-up every few milliseconds: end those nobody reads any more.
    void startIdleTimer()
    {
        if (idleTimer) return;
        pa_mainloop_api *api = pulse.api();
        if (!api) return;
        timeval when;
        Pulse().pa_timeval_add(Pulse().pa_gettimeofday(&when), PA_USEC_PER_SEC);
        idleTimer = api->time_new(api, &when, idleTick, this);
    }

    static void idleTick(pa_mainloop_api *api, pa_time_event *timer, const timeval *, void *data)
    {
        auto &impl = *static_cast<Impl *>(data);
        const pa_usec_t now = Pulse().pa_rtclock_now();
        for (Peak *peak : {&impl.playbackPeak, &impl.microphonePeak})
            if (peak->stream && now - peak->lastRead > PeakIdleUs) impl.releasePeak(*peak);
        timeval when;
        Pulse().pa_timeval_add(Pulse().pa_gettimeofday(&when), PA_USEC_PER_SEC);
        api->time_restart(timer, &when);
    }
};

PulseMixer::PulseMixer()
    : MixerTable(QStringLiteral("PulseAudio Mixer"), standardLines()), d(std::make_unique<Impl>(*this))
{
}

void PulseMixer::connectInBackground()
{
    PulseLock lock(d->pulse);
    d->pulse.connectInBackground();
}

PulseMixer::~PulseMixer()
{
    PulseLock lock(d->pulse);
    d->releasePeak(d->playbackPeak);
    d->releasePeak(d->microphonePeak);
    if (d->idleTimer) d->pulse.api()->time_free(d->idleTimer);
    d->idleTimer = nullptr;
}

quint32 PulseMixer::connectMixer()
{
    PulseLock lock(d->pulse);
    return d->connect() ? MixerNoError : MixerNoDriver;
}

quint32 PulseMixer::readControl(quint32 controlId, std::span<qint32> values)
{
    PulseLock lock(d->pulse);
    if (Impl::Volume *volume = d->volumeOf(controlId)) return d->readVolume(*volume, values);
    if (Impl::Peak *peak = d->peakOf(controlId)) return d->readPeak(*peak, values);
    return MixerInvalidControl;
}

quint32 PulseMixer::writeControl(quint32 controlId, std::span<const qint32> values)
{
    PulseLock lock(d->pulse);
    if (Impl::Volume *volume = d->volumeOf(controlId)) return d->writeVolume(*volume, values[0]);
    return MixerInvalidControl;
}

} // namespace platform
