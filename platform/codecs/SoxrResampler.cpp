// Mixing interleaved PCM down to mono and resampling it to 16-bit PCM at another rate, through libsoxr.
#include "platform/codecs/SoxrResampler.h"

#include "platform/codecs/ThreadPlacement.h"

#include <soxr.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

namespace platform {

namespace {

// Frames mixed at a time: small enough to stay in the cache, large enough to keep calls few.
constexpr size_t BatchFrames = 2048;
// Room for what the resampler holds back: its filter delay, given out at the end of a signal,
// and the rounding of the rate ratio. Far above libsoxr's delay at high quality.
constexpr uint64_t HistoryMargin = 4096;

// Rounds full-scale floats to 16-bit samples, clipping what lies beyond, after adding triangular
// noise of +-1 step (TPDF dither, as sox does). Besides keeping the rounding error free of the
// signal, the noise spares the GSM codec exact digital silence: where a sound stops dead, its
// decoded "silence" stays near -25 dBFS for half a second, a loud hiss after every word of a
// synthesized or muted recording; with the dither it falls below -50 dBFS at once. The generator
// is seeded per stream: equal input, equal output.
class Requantizer {
public:
    void store(const float *values, size_t count, uint8_t *output)
    {
        // In runs: the noise first, then the rounding in steps the vectorizer takes.
        constexpr size_t Run = 256;
        float dither[Run];
        int16_t samples[Run];
        for (size_t at = 0; at < count; at += Run) {
            const size_t n = std::min(Run, count - at);
            for (size_t i = 0; i < n; ++i) {
                // Two uniform values from one 64-bit draw; their difference is triangular in (-1, 1).
                const uint64_t r = next();
                dither[i] = float(uint32_t(r) >> 8) * (1.0f / 16777216.0f) -
                            float(uint32_t(r >> 32) >> 8) * (1.0f / 16777216.0f);
            }
            for (size_t i = 0; i < n; ++i) {
                const float scaled = std::clamp(values[at + i] * 32768.0f + dither[i], -32768.0f, 32767.0f);
                // Half away from zero, as truncation after adding a half with the value's sign.
                samples[i] = int16_t(scaled + std::copysign(0.5f, scaled));
            }
            std::memcpy(output + 2 * at, samples, 2 * n);
        }
    }

    void restart() { FState = Seed; }

private:
    static constexpr uint64_t Seed = 0x9E3779B97F4A7C15u;

    // xorshift64*.
    uint64_t next()
    {
        FState ^= FState >> 12;
        FState ^= FState << 25;
        FState ^= FState >> 27;
        return FState * 0x2545F4914F6CDD1Du;
    }

    uint64_t FState = Seed;
};

// Averages the channels of `frames` frames into `mono`, full scale being 1.0. The common layouts
// go in runs of a fixed length, which the compiler turns into vector code.
void mixDown(const uint8_t *input, size_t frames, unsigned channels, unsigned bits, float *mono)
{
    constexpr size_t Run = 16;
    size_t i = 0;
    if (bits == 16 && channels <= 2) {
        const float scale = 1.0f / (32768.0f * float(channels));
        int16_t s[2 * Run];
        for (; i + Run <= frames; i += Run) {
            std::memcpy(s, input + 2 * channels * i, 2 * channels * Run);
            if (channels == 1) {
                for (size_t j = 0; j < Run; ++j)
                    mono[i + j] = float(s[j]) * scale;
            } else {
                for (size_t j = 0; j < Run; ++j)
                    mono[i + j] = float(int(s[2 * j]) + int(s[2 * j + 1])) * scale;
            }
        }
    }
    // The rest, and every other layout, sample by sample.
    const float scale = 1.0f / ((bits == 16 ? 32768.0f : 128.0f) * float(channels));
    for (; i < frames; ++i) {
        int sum = 0;
        for (unsigned c = 0; c < channels; ++c) {
            if (bits == 16) {
                int16_t v;
                std::memcpy(&v, input + 2 * (i * channels + c), 2);
                sum += v;
            } else {
                sum += int(input[i * channels + c]) - 128;
            }
        }
        mono[i] = float(sum) * scale;
    }
}

// Resamplers whose streams have ended, kept for the next stream between the same rates: libsoxr
// designs its filter when it creates a resampler, which takes from a tenth of a millisecond to
// several milliseconds depending on the ratio. Cleared when reused, so nothing carries over.
class IdleResamplers {
public:
    soxr_t take(double inputRate, double outputRate)
    {
        soxr_t soxr = nullptr;
        {
            std::lock_guard lock(FLock);
            for (auto it = FIdle.begin(); it != FIdle.end(); ++it) {
                if (it->inputRate == inputRate && it->outputRate == outputRate) {
                    soxr = it->soxr;
                    FIdle.erase(it);
                    break;
                }
            }
        }
        // Cleared here rather than when given back: the end of a stream, which the one who waits
        // for the result waits for, costs nothing.
        if (soxr) soxr_clear(soxr);
        return soxr;
    }

    void give(soxr_t soxr, double inputRate, double outputRate)
    {
        std::lock_guard lock(FLock);
        FIdle.push_front({soxr, inputRate, outputRate});
        if (FIdle.size() > MaxIdle) {
            soxr_delete(FIdle.back().soxr);
            FIdle.pop_back();
        }
    }

    ~IdleResamplers()
    {
        for (const Idle &idle : FIdle)
            soxr_delete(idle.soxr);
    }

private:
    static constexpr size_t MaxIdle = 4;
    struct Idle {
        soxr_t soxr;
        double inputRate;
        double outputRate;
    };
    std::mutex FLock;
    std::deque<Idle> FIdle;
};

IdleResamplers &idleResamplers()
{
    static IdleResamplers idle;
    return idle;
}

} // namespace

void SoxrResampler::prepareLibrary()
{
    // Once, by whichever thread comes first; the others wait for it awake, since a thread asleep
    // on an idle processor takes about a millisecond to wake, twice what this takes.
    enum { NotStarted, Running, Done };
    static std::atomic<int> state = NotStarted;
    int expected = NotStarted;
    if (state.load(std::memory_order_acquire) == Done) return;
    if (!state.compare_exchange_strong(expected, Running, std::memory_order_acq_rel)) {
        while (state.load(std::memory_order_acquire) != Done)
            Relax();
        return;
    }
    // A short stream between the commonest rates of a recording and of the codec.
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, SOXR_LINEAR_PHASE);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    if (soxr_t soxr = soxr_create(44100, 8000, 1, &error, &io, &quality, &runtime)) {
        float in[1024] = {}, out[256];
        size_t inDone = 0, outDone = 0;
        soxr_process(soxr, in, 1024, &inDone, out, 256, &outDone);
        soxr_delete(soxr);
    }
    state.store(Done, std::memory_order_release);
}

struct SoxrResampler::Impl {
    Impl(unsigned channels, unsigned bits, double inputRate, double outputRate)
        : channels(channels), bits(bits), inputRate(inputRate), outputRate(outputRate)
    {
        if (inputRate == outputRate) return;
        prepareLibrary();
        soxr_error_t error = nullptr;
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, SOXR_LINEAR_PHASE);
        // One thread: the caller keeps the other core busy with encoding.
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        soxr = idleResamplers().take(inputRate, outputRate);
        if (soxr) return;
        soxr = soxr_create(inputRate, outputRate, 1, &error, &io, &quality, &runtime);
        ok = soxr && !error;
    }
    ~Impl()
    {
        if (soxr && ok)
            idleResamplers().give(soxr, inputRate, outputRate);
        else if (soxr)
            soxr_delete(soxr);
    }
    Impl(const Impl &) = delete;
    Impl &operator=(const Impl &) = delete;

    size_t frameBytes() const { return size_t(channels) * bits / 8; }

    // Room for one resampler call on `frames` frames (or the history alone), within `room`; the
    // float buffer grows to it.
    size_t outputSpace(size_t room, size_t frames)
    {
        const auto wanted = size_t(double(frames) * outputRate / inputRate) + 256;
        const size_t space = std::min({room, BatchFrames, wanted});
        if (out.size() < space) out.resize(space);
        return space;
    }

    const unsigned channels;
    const unsigned bits;
    const double inputRate;
    const double outputRate;
    soxr_t soxr = nullptr; // null when the rates are equal: mixing is all there is to do
    bool ok = true;
    // Grown to a batch as needed: a short sound needs only a little.
    std::vector<float> mono;
    std::vector<float> out;
    Requantizer requantizer;
};

SoxrResampler::SoxrResampler(unsigned channels, unsigned bitsPerSample, double inputRate, double outputRate)
    : d(std::make_unique<Impl>(channels, bitsPerSample, inputRate, outputRate))
{
}

SoxrResampler::~SoxrResampler() = default;

bool SoxrResampler::valid() const
{
    return d->ok;
}

size_t SoxrResampler::process(const uint8_t *input, size_t frames, uint8_t *output, size_t room,
                              size_t &written, bool end)
{
    written = 0;
    size_t taken = 0;
    while (taken < frames) {
        const size_t batch = std::min(frames - taken, BatchFrames);
        if (d->mono.size() < batch) d->mono.resize(batch);
        mixDown(input + taken * d->frameBytes(), batch, d->channels, d->bits, d->mono.data());
        size_t used = 0;
        while (used < batch) {
            const size_t space = d->outputSpace(room - written, batch - used);
            if (space == 0) return taken + used;
            size_t inDone = 0, outDone = 0;
            if (d->soxr) {
                soxr_process(d->soxr, d->mono.data() + used, batch - used, &inDone, d->out.data(), space,
                             &outDone);
                d->requantizer.store(d->out.data(), outDone, output + 2 * written);
            } else {
                inDone = outDone = std::min(batch - used, space);
                d->requantizer.store(d->mono.data() + used, inDone, output + 2 * written);
            }
            written += outDone;
            used += inDone;
            if (inDone == 0 && outDone == 0)
                return taken + used; // the resampler took nothing: never spin on it
        }
        taken += batch;
    }
    if (end && d->soxr) {
        for (;;) {
            const size_t space = d->outputSpace(room - written, 0);
            if (space == 0) return taken; // the rest of the history comes out on the next call with `end`
            size_t inDone = 0, outDone = 0;
            soxr_process(d->soxr, nullptr, 0, &inDone, d->out.data(), space, &outDone);
            d->requantizer.store(d->out.data(), outDone, output + 2 * written);
            written += outDone;
            if (outDone == 0) {
                clear();
                break;
            }
        }
    }
    return taken;
}

void SoxrResampler::clear()
{
    if (d->soxr) soxr_clear(d->soxr);
    d->requantizer.restart();
}

uint64_t SoxrResampler::maxOutput(uint64_t frames) const
{
    const double exact = std::ceil(double(frames) * d->outputRate / d->inputRate);
    return uint64_t(exact) + HistoryMargin;
}

uint64_t SoxrResampler::maxInput(uint64_t samples) const
{
    if (samples <= HistoryMargin + 1) return 0;
    return uint64_t(std::floor(double(samples - HistoryMargin - 1) * d->inputRate / d->outputRate));
}

} // namespace platform
