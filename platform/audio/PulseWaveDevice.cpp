// The wave device over libpulse: playback on the default sink, recording from the default source.
#include "platform/audio/PulseWaveDevice.h"

#include "platform/codecs/WaveTags.h"
#include "platform/pulse/PulseContext.h"

#include <QtEndian>

namespace platform {

namespace {

constexpr int StreamReadyMs = 3000;
// The beep waits this long for room in its stream, and for its end this much beyond its length.
constexpr int BeepWritableMs = 2000;
constexpr int BeepDrainSlackMs = 3000;
constexpr int FlushMs = 1000;
constexpr pa_usec_t RecordFragmentUs = 20000;
constexpr pa_usec_t PlaybackBufferUs = 250000;
constexpr int MaxDrainRetries = 5;

bool sampleSpecOf(const WaveFormat &format, pa_sample_spec &spec)
{
    spec.rate = format.samplesPerSec;
    spec.channels = static_cast<uint8_t>(format.channels);
    if (format.formatTag == WaveFormatIeeeFloat && format.bitsPerSample == 32)
        spec.format = PA_SAMPLE_FLOAT32LE;
    else if (format.formatTag != WaveFormatPcm)
        return false;
    else if (format.bitsPerSample == 8)
        spec.format = PA_SAMPLE_U8;
    else if (format.bitsPerSample == 16)
        spec.format = PA_SAMPLE_S16LE;
    else if (format.bitsPerSample == 24)
        spec.format = PA_SAMPLE_S24LE;
    else if (format.bitsPerSample == 32)
        spec.format = PA_SAMPLE_S32LE;
    else
        return false;
    const PulseLibrary *library = LoadPulseLibrary();
    return library && library->pa_sample_spec_valid(&spec) != 0;
}

// 8-bit sound as 16-bit samples: an unsigned 8-bit stream ends in a full-scale click on
// PipeWire (about 5 ms after the sound), which a child would hear before every recording.
void widenTo16Bits(WaveImage &image)
{
    if (image.format.formatTag != WaveFormatPcm || image.format.bitsPerSample != 8) return;
    QByteArray wide(image.data.size() * 2, Qt::Uninitialized);
    auto *out = reinterpret_cast<qint16 *>(wide.data());
    for (qsizetype i = 0; i < image.data.size(); ++i)
        out[i] = qToLittleEndian(qint16((int(quint8(image.data[i])) - 128) << 8));
    image.data = wide;
    image.format = pcmFormat(image.format.channels, image.format.samplesPerSec, 16);
}

bool isReady(pa_stream *stream)
{
    return Pulse().pa_stream_get_state(stream) == PA_STREAM_READY;
}

} // namespace

struct PulseWaveDevice::Impl {
    // An element with the stream that plays or records it.
    struct Item final : Element {
        Impl *impl = nullptr;
        pa_stream *stream = nullptr;
        pa_operation *drain = nullptr;
        pa_sample_spec spec{};
        qsizetype playFrom = 0; // where the running playback stream started
        qsizetype written = 0;  // bytes handed to it since
        bool starting = false;  // the stream is being connected; its command waits for it
        int drainRetries = 0;
    };

    explicit Impl(PulseWaveDevice &owner) : device(owner), pulse("production") {}

    PulseWaveDevice &device;
    PulseContext pulse;

    pa_stream *newStream(Item &item, const char *name)
    {
        if (!sampleSpecOf(item.image.format, item.spec)) return nullptr;
        pa_channel_map map;
        Pulse().pa_channel_map_init_extend(&map, item.spec.channels, PA_CHANNEL_MAP_WAVEEX);
        pa_stream *stream = Pulse().pa_stream_new(pulse.context(), name, &item.spec, &map);
        if (stream) Pulse().pa_stream_set_state_callback(stream, streamStateChanged, &item);
        return stream;
    }

    // Waits for a stream just connected; its failure meanwhile is the command's, not reported.
    bool waitReady(Item &item)
    {
        pa_stream *stream = item.stream;
        item.starting = true;
        pulse.waitUntil(
            [stream] {
                const pa_stream_state_t state = Pulse().pa_stream_get_state(stream);
                return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
            },
            StreamReadyMs);
        item.starting = false;
        return isReady(stream);
    }

    void releaseStream(Item &item)
    {
        if (item.drain) {
            Pulse().pa_operation_cancel(item.drain);
            Pulse().pa_operation_unref(item.drain);
            item.drain = nullptr;
        }
        if (!item.stream) return;
        Pulse().pa_stream_set_state_callback(item.stream, nullptr, nullptr);
        Pulse().pa_stream_set_write_callback(item.stream, nullptr, nullptr);
        Pulse().pa_stream_set_read_callback(item.stream, nullptr, nullptr);
        Pulse().pa_stream_disconnect(item.stream);
        Pulse().pa_stream_unref(item.stream);
        item.stream = nullptr;
    }

    void feed(Item &item, size_t requested)
    {
        const QByteArray &data = item.image.data;
        const qsizetype from = item.playFrom + item.written;
        const qsizetype count = qMin<qsizetype>(qsizetype(requested), data.size() - from);
        if (count > 0) {
            Pulse().pa_stream_write(item.stream, data.constData() + from, size_t(count), nullptr, 0,
                                    PA_SEEK_RELATIVE);
            item.written += count;
        }
        if (item.playFrom + item.written >= data.size() && !item.drain)
            item.drain = Pulse().pa_stream_drain(item.stream, drained, &item);
    }

    void readAvailable(Item &item)
    {
        const char silence = item.spec.format == PA_SAMPLE_U8 ? char(0x80) : char(0);
        for (;;) {
            const void *data = nullptr;
            size_t bytes = 0;
            if (Pulse().pa_stream_peek(item.stream, &data, &bytes) < 0 || bytes == 0) break;
            if (data) {
                device.captured(item, static_cast<const char *>(data), qsizetype(bytes));
            } else {
                // A hole in the stream keeps its length as silence, so later sound stays in time.
                const QByteArray gap(qsizetype(bytes), silence);
                device.captured(item, gap.constData(), gap.size());
            }
            Pulse().pa_stream_drop(item.stream);
        }
    }

    // Corks a recording stream and collects everything it captured until then: the cork's
    // reply comes after all the data the server sent before it.
    void flushCapture(Item &item)
    {
        if (!item.stream) return;
        pa_operation *cork = Pulse().pa_stream_cork(item.stream, 1, nullptr, nullptr);
        if (!pulse.inLoopThread() && isReady(item.stream))
            pulse.waitFor(cork, FlushMs);
        else
            unrefOperation(cork);
        if (item.stream && isReady(item.stream)) readAvailable(item);
    }

    static void streamStateChanged(pa_stream *stream, void *data)
    {
        auto &item = *static_cast<Item *>(data);
        item.impl->pulse.signal();
        const pa_stream_state_t state = Pulse().pa_stream_get_state(stream);
        if (item.starting || item.stream != stream || PA_STREAM_IS_GOOD(state)) return;
        item.impl->device.streamFailed(item);
        item.impl->releaseStream(item);
    }

    static void streamWritable(pa_stream *, size_t bytes, void *data)
    {
        auto &item = *static_cast<Item *>(data);
        item.impl->feed(item, bytes);
    }

    static void streamReadable(pa_stream *, size_t, void *data)
    {
        auto &item = *static_cast<Item *>(data);
        item.impl->readAvailable(item);
    }

    static void drained(pa_stream *stream, int success, void *data)
    {
        auto &item = *static_cast<Item *>(data);
        if (item.drain) {
            Pulse().pa_operation_unref(item.drain);
            item.drain = nullptr;
        }
        if (item.stream != stream) return;
        if (!success) {
            // The server gave up waiting (the stream was moved or flushed) while the sound still
            // plays: wait for its end anew, a few times, before calling the play failed.
            if (isReady(stream) && ++item.drainRetries <= MaxDrainRetries) {
                item.drain = Pulse().pa_stream_drain(stream, drained, &item);
                return;
            }
            item.impl->device.streamFailed(item);
            item.impl->releaseStream(item);
            return;
        }
        item.impl->device.playbackEnded(item);
        item.impl->releaseStream(item);
    }
};

PulseWaveDevice::PulseWaveDevice() : d(std::make_unique<Impl>(*this)) {}

void PulseWaveDevice::connectInBackground()
{
    PulseLock lock(d->pulse);
    d->pulse.connectInBackground();
}

PulseWaveDevice::~PulseWaveDevice()
{
    closeAll();
}

void PulseWaveDevice::lock()
{
    d->pulse.lock();
}

void PulseWaveDevice::unlock()
{
    d->pulse.unlock();
}

quint32 PulseWaveDevice::connectDevice()
{
    return d->pulse.connect() ? WaveNoError : WaveDeviceNotReady;
}

std::unique_ptr<WaveDeviceBase::Element> PulseWaveDevice::newElement()
{
    auto item = std::make_unique<Impl::Item>();
    item->impl = d.get();
    return item;
}

quint32 PulseWaveDevice::startPlayback(Element &element)
{
    auto &item = static_cast<Impl::Item &>(element);
    if (!d->pulse.connect()) return WaveDeviceNotReady;
    item.stream = d->newStream(item, "Message");
    if (!item.stream) return WaveHardware;
    item.playFrom = item.position;
    item.written = 0;
    item.drainRetries = 0;
    Pulse().pa_stream_set_write_callback(item.stream, Impl::streamWritable, &item);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(Pulse().pa_usec_to_bytes(PlaybackBufferUs, &item.spec));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
    if (Pulse().pa_stream_connect_playback(item.stream, nullptr, &attr, flags, nullptr, nullptr) < 0 ||
        !d->waitReady(item)) {
        d->releaseStream(item);
        return WaveHardware;
    }
    return WaveNoError;
}

void PulseWaveDevice::pausePlayback(Element &element)
{
    auto &item = static_cast<Impl::Item &>(element);
    if (item.stream) unrefOperation(Pulse().pa_stream_cork(item.stream, 1, nullptr, nullptr));
}

quint32 PulseWaveDevice::continuePlayback(Element &element)
{
    auto &item = static_cast<Impl::Item &>(element);
    if (!item.stream || !isReady(item.stream)) return WaveHardware;
    unrefOperation(Pulse().pa_stream_cork(item.stream, 0, nullptr, nullptr));
    return WaveNoError;
}

void PulseWaveDevice::stopPlayback(Element &element)
{
    auto &item = static_cast<Impl::Item &>(element);
    if (!item.stream) return;
    // Continue later from what has been heard, as far as the server's clock tells.
    qsizetype played = item.written;
    pa_usec_t time = 0;
    if (isReady(item.stream) && Pulse().pa_stream_get_time(item.stream, &time) == 0)
        played = qMin<qsizetype>(played, qsizetype(Pulse().pa_usec_to_bytes(time, &item.spec)));
    item.position = item.playFrom + played;
    d->releaseStream(item);
}

quint32 PulseWaveDevice::startCapture(Element &element)
{
    auto &item = static_cast<Impl::Item &>(element);
    if (!d->pulse.connect()) return WaveDeviceNotReady;
    item.stream = d->newStream(item, "Recording");
    if (!item.stream) return WaveHardware;
    Pulse().pa_stream_set_read_callback(item.stream, Impl::streamReadable, &item);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(-1);
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(Pulse().pa_usec_to_bytes(RecordFragmentUs, &item.spec));
    if (Pulse().pa_stream_connect_record(item.stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY) < 0 ||
        !d->waitReady(item)) {
        d->releaseStream(item);
        return WaveHardware;
    }
    return WaveNoError;
}

void PulseWaveDevice::pauseCapture(Element &element)
{
    d->flushCapture(static_cast<Impl::Item &>(element));
}

quint32 PulseWaveDevice::continueCapture(Element &element)
{
    auto &item = static_cast<Impl::Item &>(element);
    if (!item.stream || !isReady(item.stream)) return WaveHardware;
    unrefOperation(Pulse().pa_stream_cork(item.stream, 0, nullptr, nullptr));
    return WaveNoError;
}

void PulseWaveDevice::stopCapture(Element &element)
{
    auto &item = static_cast<Impl::Item &>(element);
    d->flushCapture(item);
    d->releaseStream(item);
    // A recording ends on a whole frame, whatever the last fragment held.
    QByteArray &data = item.image.data;
    const int block = qMax<int>(1, item.image.format.blockAlign);
    if (item.position == data.size() && data.size() % block != 0) {
        const qsizetype partial = data.size() % block;
        data.chop(partial);
        item.position -= partial;
    }
}

quint32 PulseWaveDevice::playSound(const QByteArray &waveImage)
{
    WaveImage image;
    pa_sample_spec spec;
    if (parseWaveImage(waveImage, image) != WaveNoError) return WaveInvalidFile;
    widenTo16Bits(image);
    if (!sampleSpecOf(image.format, spec)) return WaveInvalidFile;

    PulseLock lock(d->pulse);
    if (!d->pulse.connect()) return WaveDeviceNotReady;
    pa_channel_map map;
    Pulse().pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_WAVEEX);
    pa_stream *stream = Pulse().pa_stream_new(d->pulse.context(), "Beep", &spec, &map);
    if (!stream) return WaveHardware;
    const auto wake = [](pa_stream *, void *pulse) { static_cast<PulseContext *>(pulse)->signal(); };
    const auto wakeOnRequest = [](pa_stream *, size_t, void *pulse) {
        static_cast<PulseContext *>(pulse)->signal();
    };
    Pulse().pa_stream_set_state_callback(stream, wake, &d->pulse);
    Pulse().pa_stream_set_write_callback(stream, wakeOnRequest, &d->pulse);

    bool heard = false;
    if (Pulse().pa_stream_connect_playback(stream, nullptr, nullptr, pa_stream_flags_t(0), nullptr,
                                           nullptr) == 0) {
        const auto usable = [stream] { return Pulse().pa_stream_get_state(stream) == PA_STREAM_READY; };
        const auto broken = [stream] { return !PA_STREAM_IS_GOOD(Pulse().pa_stream_get_state(stream)); };
        d->pulse.waitUntil([&] { return usable() || broken(); }, StreamReadyMs);
        qsizetype offset = 0;
        const QByteArray &data = image.data;
        while (usable() && offset < data.size()) {
            if (!d->pulse.waitUntil([&] { return broken() || Pulse().pa_stream_writable_size(stream) > 0; },
                                    BeepWritableMs) ||
                broken())
                break;
            const qsizetype count =
                qMin<qsizetype>(qsizetype(Pulse().pa_stream_writable_size(stream)), data.size() - offset);
            Pulse().pa_stream_write(stream, data.constData() + offset, size_t(count), nullptr, 0,
                                    PA_SEEK_RELATIVE);
            offset += count;
        }
        if (usable() && offset == data.size()) {
            const int durationMs = int(waveDurationUs(image.format, data.size()) / 1000);
            heard = d->pulse.waitFor(Pulse().pa_stream_drain(stream, nullptr, nullptr),
                                     durationMs + BeepDrainSlackMs);
        }
    }
    Pulse().pa_stream_set_state_callback(stream, nullptr, nullptr);
    Pulse().pa_stream_set_write_callback(stream, nullptr, nullptr);
    Pulse().pa_stream_disconnect(stream);
    Pulse().pa_stream_unref(stream);
    return heard ? WaveNoError : WaveHardware;
}

} // namespace platform
