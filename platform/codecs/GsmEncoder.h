// GSM 6.10 encoding in the 65-byte, 320-sample block form of RIFF WAVE files.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// One encoder. Its state carries over from block to block, as the codec predicts each frame
// from the ones before.
class GsmEncoder {
public:
    static constexpr unsigned SamplesPerBlock = 320;
    static constexpr unsigned BytesPerBlock = 65;

    GsmEncoder();
    ~GsmEncoder();
    GsmEncoder(const GsmEncoder &) = delete;
    GsmEncoder &operator=(const GsmEncoder &) = delete;

    // Encodes 320 samples of 16-bit PCM (8000 Hz, mono) into 65 bytes: two GSM frames packed
    // as 32 and 33 bytes.
    void encodeBlock(const int16_t *samples, uint8_t *block);

    // Forgets the state: the next block starts a new signal.
    void restart();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
