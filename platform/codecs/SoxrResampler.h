// Mixing interleaved PCM down to mono and resampling it to 16-bit PCM at another rate, through libsoxr.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// One resampling stream. Its history carries over from one process() to the next, so a signal
// may be fed in pieces of any size and comes out as if fed at once.
class SoxrResampler {
public:
    // `bitsPerSample` is 8 (unsigned) or 16 (signed, little-endian); channels are averaged.
    // High quality, linear phase; the result is rounded to 16 bits with TPDF dither, also when
    // the rates are equal and there is nothing else to do.
    SoxrResampler(unsigned channels, unsigned bitsPerSample, double inputRate, double outputRate);
    ~SoxrResampler();
    SoxrResampler(const SoxrResampler &) = delete;
    SoxrResampler &operator=(const SoxrResampler &) = delete;

    bool valid() const; // false when libsoxr refused the rates

    // Builds libsoxr's shared tables, once for the process: the first resampler would otherwise
    // build them (about half a millisecond), and libsoxr's own first set-up is not safe from two
    // threads at once. Every resampler calls it first; a spare thread may call it ahead of time.
    static void prepareLibrary();

    // Takes up to `frames` whole frames from `input` and writes at most `room` samples to `output`
    // (16-bit little-endian, no alignment needed); `written` returns how many it wrote. Returns the frames it
    // took: fewer than `frames` only when `room` ran out. With `end`, the signal ends after these frames: the
    // resampler's history is given out too and, once all of it fitted, the stream starts afresh on the next
    // call.
    size_t process(const uint8_t *input, size_t frames, uint8_t *output, size_t room, size_t &written,
                   bool end);

    // Forgets the history: the next sample starts a new signal.
    void clear();

    // Samples a single process() of `frames` frames may write, the end included.
    uint64_t maxOutput(uint64_t frames) const;
    // Frames whose single process() writes at most `samples` samples.
    uint64_t maxInput(uint64_t samples) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
