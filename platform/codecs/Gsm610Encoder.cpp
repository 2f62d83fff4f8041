// A GSM 06.10 full-rate speech encoder, and the 65-byte WAVE packing of two of its frames.
//
// The frame structure, the tables and the decoder's fixed-point arithmetic follow ETSI GSM 06.10.
// What the decoder computes (decoded log area ratios, the pulses' levels, the long-term synthesis)
// is reproduced here exactly, in 16-bit arithmetic with saturation; what only the encoder
// computes (preprocessing, autocorrelation, reflection coefficients, the residuals, the searches)
// is done in floating point.
#include "platform/codecs/Gsm610Encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

using word = int16_t;

word saturate(int32_t v)
{
    return word(std::clamp<int32_t>(v, -32768, 32767));
}

word add(word a, word b)
{
    return saturate(int32_t(a) + b);
}

word sub(word a, word b)
{
    return saturate(int32_t(a) - b);
}

// Fractional multiplication with rounding. No operand here is ever -32768 twice over.
word multR(word a, word b)
{
    return word((int32_t(a) * b + 16384) >> 15);
}

word shiftRight(word a, int n);

word shiftLeft(word a, int n)
{
    if (n >= 16) return 0;
    if (n <= -16) return word(-(a < 0));
    if (n < 0) return shiftRight(a, -n);
    return word(a << n);
}

word shiftRight(word a, int n)
{
    if (n >= 16) return word(-(a < 0));
    if (n <= -16) return 0;
    if (n < 0) return word(a << -n);
    return word(a >> n);
}

constexpr int BitsLAR[8] = {6, 6, 5, 5, 4, 4, 3, 3};
constexpr word MIC[8] = {-32, -32, -16, -16, -8, -8, -4, -4};
constexpr word MAC[8] = {31, 31, 15, 15, 7, 7, 3, 3};
constexpr word A[8] = {20480, 20480, 20480, 20480, 13964, 15360, 8534, 9036};
constexpr word B[8] = {0, 0, 2048, -2560, 94, -1792, -341, -1144};
constexpr word INVA[8] = {13107, 13107, 13107, 13107, 19223, 17476, 31454, 29708};
// Long-term gains and the weighting filter.
constexpr word QLB[4] = {3277, 11469, 21299, 32767};
constexpr float H[11] = {-134, -374, 0, 2054, 5741, 8192, 5741, 2054, 0, -374, -134};
constexpr word FAC[8] = {18431, 20479, 22527, 24575, 26623, 28671, 30719, 32767};

// The decoder's log area ratios from their codes.
void decodeLAR(const uint8_t *LARc, word *LARpp)
{
    for (int i = 0; i < 8; ++i) {
        word temp1 = word(add(word(LARc[i]), MIC[i]) << 10);
        temp1 = sub(temp1, word(B[i] * 2));
        temp1 = multR(INVA[i], temp1);
        LARpp[i] = add(temp1, temp1);
    }
}

// The decoder's reflection coefficients for one stretch of the frame, interpolated between the
// last frame's log area ratios and this one's.
void interpolatedRp(const word *previous, const word *current, int stretch, float *rp)
{
    for (int i = 0; i < 8; ++i) {
        word LARp;
        switch (stretch) {
        case 0:
            LARp = add(add(word(previous[i] >> 2), word(current[i] >> 2)), word(previous[i] >> 1));
            break;
        case 1:
            LARp = add(word(previous[i] >> 1), word(current[i] >> 1));
            break;
        case 2:
            LARp = add(add(word(previous[i] >> 2), word(current[i] >> 2)), word(current[i] >> 1));
            break;
        default:
            LARp = current[i];
            break;
        }
        const word magnitude = LARp == -32768 ? word(32767) : word(std::abs(LARp));
        const word temp = magnitude < 11059   ? word(magnitude << 1)
                          : magnitude < 20070 ? word(magnitude + 11059)
                                              : add(word(magnitude >> 2), 26112);
        rp[i] = float(LARp < 0 ? -temp : temp) * (1.0f / 32768.0f);
    }
}

// The exponent and mantissa the decoder takes from a block maximum's code.
void exponentAndMantissa(int xmaxc, int &exp, int &mant)
{
    exp = xmaxc > 15 ? (xmaxc >> 3) - 1 : 0;
    mant = xmaxc - (exp << 3);
    if (mant == 0) {
        exp = -4;
        mant = 7;
        return;
    }
    while (mant <= 7) {
        mant = mant << 1 | 1;
        --exp;
    }
    mant -= 8;
}

// The eight pulse levels the decoder gives the codes 0..7 under the block maximum `xmaxc`.
void pulseLevels(int xmaxc, word *levels)
{
    int exp = 0, mant = 0;
    exponentAndMantissa(xmaxc, exp, mant);
    const int temp2 = 6 - exp;
    const word temp3 = shiftLeft(1, temp2 - 1);
    for (int code = 0; code < 8; ++code) {
        word temp = word(((code << 1) - 7) << 12);
        temp = multR(FAC[mant], temp);
        temp = add(temp, temp3);
        levels[code] = shiftRight(temp, temp2);
    }
}

// The standard's code for a block maximum: three bits of exponent, three of mantissa.
int blockMaximumCode(int xmax)
{
    int exp = 0;
    int temp = xmax >> 9;
    bool small = false;
    for (int i = 0; i <= 5; ++i) {
        small |= temp <= 0;
        temp >>= 1;
        if (!small) ++exp;
    }
    return std::min(63, (xmax >> (exp + 5)) + (exp << 3));
}

// The codes of the levels nearest to the 13 pulses `x`, and those levels. The levels rise with
// their codes, so a pulse's code is the count of midpoints below it.
void quantizePulses(const float *x, const word *levels, uint8_t *codes, float *chosen)
{
    float middle[7];
    for (int c = 0; c < 7; ++c)
        middle[c] = 0.5f * (float(levels[c]) + float(levels[c + 1]));
    for (int i = 0; i < 13; ++i) {
        int code = 0;
        for (int c = 0; c < 7; ++c)
            code += x[i] > middle[c];
        codes[i] = uint8_t(code);
        chosen[i] = float(levels[code]);
    }
}

// The energy of 40 samples, summed in eight lanes.
float energyOf(const float *y)
{
    float lanes[8] = {};
    for (int k = 0; k < 40; k += 8)
        for (int l = 0; l < 8; ++l)
            lanes[l] += y[k + l] * y[k + l];
    return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) + ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

} // namespace

void Gsm610Encoder::reset()
{
    FZ1 = FSof = 0;
    std::memset(FLARppPrevious, 0, sizeof FLARppPrevious);
    std::memset(FU, 0, sizeof FU);
    std::memset(FDp, 0, sizeof FDp);
}

void Gsm610Encoder::encode(const int16_t *samples, Gsm610Frame &frame)
{
    float s[160];
    preprocess(samples, s);
    shortTermAnalysis(s, frame);
    for (int j = 0; j < 4; ++j)
        encodeSubframe(s + 40 * j, frame.sub[j]);
}

// Scales to the codec's 13-bit range, removes any offset and emphasizes the highs.
void Gsm610Encoder::preprocess(const int16_t *samples, float *s)
{
    constexpr double Alpha = 32735.0 / 32768.0, Beta = 28180.0 / 32768.0;
    for (int k = 0; k < 160; ++k) {
        const double so = samples[k] * 0.5;
        const double sof = so - FZ1 + Alpha * FSof;
        FZ1 = so;
        s[k] = float(sof - Beta * FSof);
        FSof = sof;
    }
}

// Finds and codes the frame's log area ratios, then replaces `s` with its short-term residual
// under the coefficients the decoder will use.
void Gsm610Encoder::shortTermAnalysis(float *s, Gsm610Frame &frame)
{
    // Autocorrelation, all lags summed at once over the frame with eight zeros before it.
    double padded[168] = {};
    for (int k = 0; k < 160; ++k)
        padded[8 + k] = s[k];
    double acf[9] = {};
    for (int k = 8; k < 168; ++k) {
        const double sk = padded[k];
        for (int lag = 0; lag <= 8; ++lag)
            acf[lag] += sk * padded[k - lag];
    }

    // Reflection coefficients by Schur's recursion.
    double r[8] = {};
    if (acf[0] > 0) {
        double P[9], K[9];
        for (int i = 0; i <= 8; ++i)
            P[i] = K[i] = acf[i];
        for (int n = 0; n < 8; ++n) {
            if (P[0] <= std::abs(P[1])) break;
            r[n] = -P[1] / P[0];
            if (n == 7) break;
            P[0] += P[1] * r[n];
            for (int m = 1; m <= 7 - n; ++m) {
                const double pm = P[m + 1] + K[m] * r[n];
                K[m] += P[m + 1] * r[n];
                P[m] = pm;
            }
        }
    }

    // Log area ratios, coded.
    for (int i = 0; i < 8; ++i) {
        const double magnitude = std::min(std::abs(r[i]) * 32768.0, 32767.0);
        double LAR = magnitude < 22118   ? magnitude / 2
                     : magnitude < 31130 ? magnitude - 11059
                                         : (magnitude - 26112) * 4;
        if (r[i] < 0) LAR = -LAR;
        const double scaled = (A[i] * LAR / 32768.0 + B[i] + 256) / 512;
        const int code = std::clamp(int(std::floor(scaled)), int(MIC[i]), int(MAC[i]));
        frame.LARc[i] = uint8_t(code - MIC[i]);
    }

    word LARpp[8];
    decodeLAR(frame.LARc, LARpp);
    static constexpr int StretchEnd[4] = {13, 27, 40, 160};
    int k = 0;
    for (int stretch = 0; stretch < 4; ++stretch) {
        float rp[8];
        interpolatedRp(FLARppPrevious, LARpp, stretch, rp);
        for (; k < StretchEnd[stretch]; ++k) {
            float di = s[k], sav = di;
            for (int i = 0; i < 8; ++i) {
                const float ui = FU[i];
                FU[i] = sav;
                sav = ui + rp[i] * di;
                di += rp[i] * ui;
            }
            s[k] = di;
        }
    }
    std::memcpy(FLARppPrevious, LARpp, sizeof LARpp);

    // The impulse response of the decoder's synthesis filter under this frame's coefficients,
    // for weighing the pulses' error as it will be heard.
    float rp[8];
    interpolatedRp(LARpp, LARpp, 3, rp);
    float v[9] = {};
    for (int n = 0; n < 40; ++n) {
        float sri = n == 0 ? 1.0f : 0.0f;
        for (int i = 7; i >= 0; --i) {
            sri -= rp[i] * v[i];
            v[i + 1] = v[i] + rp[i] * sri;
        }
        v[0] = sri;
        FH[40 + n] = sri;
    }
}

// Long-term prediction and the regular pulse excitation of 40 samples of residual `d`.
void Gsm610Encoder::encodeSubframe(const float *d, Gsm610Frame::Subframe &sub)
{
    float dp[120];
    for (int k = 0; k < 120; ++k)
        dp[k] = FDp[k];

    // The lag whose past excitation matches the residual best. The correlations are summed for all
    // lags at once, lag 120 - j at corr[j], which keeps the sums in step for vector arithmetic.
    float corr[81] = {};
    for (int k = 0; k < 40; ++k) {
        const float dk = d[k];
        for (int j = 0; j < 81; ++j)
            corr[j] += dk * dp[j + k];
    }
    int Nc = 40;
    float best = -INFINITY;
    for (int j = 80; j >= 0; --j) {
        if (corr[j] > best) {
            best = corr[j];
            Nc = 120 - j;
        }
    }
    int bc = 0;
    if (best > 0) {
        float energy = 0;
        for (int k = 0; k < 40; ++k)
            energy += dp[120 - Nc + k] * dp[120 - Nc + k];
        const float gain = best / energy;
        // The coded gain nearest to the best one.
        bc = gain <= 0.225f ? 0 : gain <= 0.5f ? 1 : gain <= 0.825f ? 2 : 3;
    }
    sub.Nc = uint8_t(Nc);
    sub.bc = uint8_t(bc);

    // The prediction as the decoder makes it, and what is left of the residual.
    word dpp[40];
    float e[40];
    for (int k = 0; k < 40; ++k) {
        dpp[k] = multR(QLB[bc], FDp[120 - Nc + k]);
        e[k] = d[k] - float(dpp[k]);
    }

    // Weighted, then every third sample on the grid with the most energy.
    float padded[50] = {};
    std::memcpy(padded + 5, e, sizeof e);
    float x[40] = {};
    for (int i = 0; i < 11; ++i)
        for (int k = 0; k < 40; ++k)
            x[k] += H[i] * padded[k + i];
    for (float &v : x)
        v = std::clamp(v * (1.0f / 8192.0f), -32768.0f, 32767.0f);
    // The pulses: of the candidate grids and block maxima below, each pulse at its nearest level,
    // the one whose excitation, once through the synthesis filter, comes nearest to the residual's
    // own.
    // FH has 40 zeros before the response: every sum runs over whole subframes, in fixed steps.
    const float *h = FH + 40;
    float target[40] = {};
    for (int n = 0; n < 40; ++n)
        for (int k = 0; k < 40; ++k)
            target[k] += e[n] * h[k - n];
    float leastError = INFINITY;
    int Mc = 0;
    word xMp[13] = {};
    auto consider = [&](int m, int xmaxc) {
        float xM[13];
        for (int i = 0; i < 13; ++i)
            xM[i] = x[m + 3 * i];
        word levels[8];
        pulseLevels(xmaxc, levels);
        uint8_t codes[13];
        float pulses[13];
        quantizePulses(xM, levels, codes, pulses);
        float y[40];
        std::memcpy(y, target, sizeof y);
        for (int i = 0; i < 13; ++i) {
            const float *shifted = h - (m + 3 * i);
            for (int k = 0; k < 40; ++k)
                y[k] -= pulses[i] * shifted[k];
        }
        const float error = energyOf(y);
        if (error < leastError) {
            leastError = error;
            Mc = m;
            sub.xmaxc = uint8_t(xmaxc);
            std::memcpy(sub.xMc, codes, sizeof codes);
            for (int i = 0; i < 13; ++i)
                xMp[i] = levels[codes[i]];
        }
    };
    // The two grids with the most energy at the standard's block maximum, then the better of them
    // at the neighbouring maxima: as good as trying all four grids at three maxima each, at less
    // than half the cost.
    float energy[4] = {};
    for (int m = 0; m < 4; ++m)
        for (int i = 0; i < 13; ++i)
            energy[m] += x[m + 3 * i] * x[m + 3 * i];
    int first = 0;
    for (int m = 1; m < 4; ++m)
        if (energy[m] > energy[first]) first = m;
    int second = first == 0 ? 1 : 0;
    for (int m = 0; m < 4; ++m)
        if (m != first && energy[m] > energy[second]) second = m;
    for (int m : {first, second}) {
        float xmax = 0;
        for (int i = 0; i < 13; ++i)
            xmax = std::max(xmax, std::abs(x[m + 3 * i]));
        consider(m, blockMaximumCode(std::min(32767, int(xmax + 0.5f))));
    }
    const int standard = sub.xmaxc;
    if (standard > 0) consider(Mc, standard - 1);
    if (standard < 63) consider(Mc, standard + 1);
    sub.Mc = uint8_t(Mc);

    // The excitation the decoder rebuilds, kept for the next predictions.
    std::memmove(FDp, FDp + 40, 80 * sizeof(word));
    for (int k = 0; k < 40; ++k)
        FDp[80 + k] = dpp[k];
    for (int i = 0; i < 13; ++i)
        FDp[80 + Mc + 3 * i] = add(xMp[i], dpp[Mc + 3 * i]);
}

namespace {

// A bit stream written and read from each byte's lowest bit up, a byte at a time.
class BitWriter {
public:
    explicit BitWriter(uint8_t *bytes) : FBytes(bytes) {}
    void put(unsigned value, int bits)
    {
        FPending |= uint32_t(value) << FCount;
        FCount += bits;
        while (FCount >= 8) {
            *FBytes++ = uint8_t(FPending);
            FPending >>= 8;
            FCount -= 8;
        }
    }
    // Writes out a last part of a byte.
    void flush()
    {
        if (FCount > 0) *FBytes++ = uint8_t(FPending);
        FPending = 0;
        FCount = 0;
    }

private:
    uint8_t *FBytes;
    uint32_t FPending = 0;
    int FCount = 0;
};

class BitReader {
public:
    explicit BitReader(const uint8_t *bytes) : FBytes(bytes) {}
    uint8_t get(int bits)
    {
        while (FCount < bits) {
            FPending |= uint32_t(*FBytes++) << FCount;
            FCount += 8;
        }
        const auto value = uint8_t(FPending & ((1u << bits) - 1));
        FPending >>= bits;
        FCount -= bits;
        return value;
    }

private:
    const uint8_t *FBytes;
    uint32_t FPending = 0;
    int FCount = 0;
};

void put(BitWriter &out, const Gsm610Frame &frame)
{
    for (int i = 0; i < 8; ++i)
        out.put(frame.LARc[i], BitsLAR[i]);
    for (const Gsm610Frame::Subframe &sub : frame.sub) {
        out.put(sub.Nc, 7);
        out.put(sub.bc, 2);
        out.put(sub.Mc, 2);
        out.put(sub.xmaxc, 6);
        for (uint8_t code : sub.xMc)
            out.put(code, 3);
    }
}

void get(BitReader &in, Gsm610Frame &frame)
{
    for (int i = 0; i < 8; ++i)
        frame.LARc[i] = in.get(BitsLAR[i]);
    for (Gsm610Frame::Subframe &sub : frame.sub) {
        sub.Nc = in.get(7);
        sub.bc = in.get(2);
        sub.Mc = in.get(2);
        sub.xmaxc = in.get(6);
        for (uint8_t &code : sub.xMc)
            code = in.get(3);
    }
}

} // namespace

void packWav49(const Gsm610Frame &first, const Gsm610Frame &second, uint8_t *block)
{
    BitWriter out(block);
    put(out, first);
    put(out, second);
    out.flush();
}

void unpackWav49(const uint8_t *block, Gsm610Frame &first, Gsm610Frame &second)
{
    BitReader in(block);
    get(in, first);
    get(in, second);
}

} // namespace platform
