// A GSM 06.10 full-rate speech encoder, and the 65-byte WAVE packing of two of its frames.
#pragma once

#include <cstdint>

namespace platform {

// The parameters of one 20 ms frame (160 samples at 8000 Hz), each in its coded range.
struct Gsm610Frame {
    struct Subframe {
        uint8_t Nc = 40;      // long-term lag, 40..120
        uint8_t bc = 0;       // long-term gain, 0..3
        uint8_t Mc = 0;       // grid position, 0..3
        uint8_t xmaxc = 0;    // block maximum, 0..63
        uint8_t xMc[13] = {}; // pulses, 0..7

        bool operator==(const Subframe &) const = default;
    };
    uint8_t LARc[8] = {}; // log area ratios, 6, 6, 5, 5, 4, 4, 3 and 3 bits
    Subframe sub[4];

    bool operator==(const Gsm610Frame &) const = default;
};

// Encodes 13-bit speech into frames any GSM 06.10 decoder reads. The analysis runs in floating
// point, and the pulses and their scale are chosen by the error they leave rather than by rounding
// down; the encoder keeps the decoder's own copy of the reconstructed excitation, computed exactly as
// every decoder computes it, so that its long-term predictions stay in step with the decoder's.
class Gsm610Encoder {
public:
    Gsm610Encoder() { reset(); }

    // Forgets everything: the next frame starts a new signal.
    void reset();

    // Encodes 160 samples of 16-bit PCM.
    void encode(const int16_t *samples, Gsm610Frame &frame);

private:
    void preprocess(const int16_t *samples, float *s);
    void shortTermAnalysis(float *s, Gsm610Frame &frame);
    void encodeSubframe(const float *d, Gsm610Frame::Subframe &sub);

    // Offset compensation and pre-emphasis.
    double FZ1 = 0, FSof = 0;
    // Short-term analysis: last frame's decoded log area ratios and the lattice's memory.
    int16_t FLARppPrevious[8] = {};
    float FU[8] = {};
    // The synthesis filter's impulse response over one subframe, after 40 zeros.
    float FH[80] = {};
    // The reconstructed short-term residual of the last 120 samples, as the decoder has it.
    int16_t FDp[120] = {};
};

// Packs two frames into 65 bytes as RIFF WAVE's GSM 6.10 (format 49) stores them: one bit stream,
// each field from its lowest bit up.
void packWav49(const Gsm610Frame &first, const Gsm610Frame &second, uint8_t *block);
void unpackWav49(const uint8_t *block, Gsm610Frame &first, Gsm610Frame &second);

} // namespace platform
