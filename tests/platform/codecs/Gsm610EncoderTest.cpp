// The GSM 06.10 encoder: libgsm's blocks read and written field by field, extremes, reset. How close to
// speech it sounds beside libgsm is checked on the packed message (tests/sound/WaveConvertTest.cpp).
#include "platform/codecs/Gsm610Encoder.h"

#include <gsm/gsm.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

using namespace platform;

namespace {

// libgsm's coder in the WAVE packing; both sides handle a 65-byte block of 320 samples as two frames.
using Libgsm = std::unique_ptr<gsm_state, decltype(&gsm_destroy)>;
Libgsm libgsm()
{
    Libgsm coder(gsm_create(), gsm_destroy);
    int on = 1;
    gsm_option(coder.get(), GSM_OPT_WAV49, &on);
    return coder;
}

std::vector<uint8_t> encode(const std::vector<int16_t> &samples, bool ours)
{
    Libgsm coder = libgsm();
    Gsm610Encoder encoder;
    std::vector<uint8_t> out(samples.size() / 320 * 65);
    for (size_t b = 0; b < samples.size() / 320; ++b) {
        const int16_t *in = samples.data() + 320 * b;
        uint8_t *block = out.data() + 65 * b;
        if (!ours) {
            gsm_encode(coder.get(), const_cast<gsm_signal *>(in), block);
            gsm_encode(coder.get(), const_cast<gsm_signal *>(in + 160), block + 32);
            continue;
        }
        Gsm610Frame first, second;
        encoder.encode(in, first);
        encoder.encode(in + 160, second);
        packWav49(first, second, block);
    }
    return out;
}

std::vector<int16_t> decodeWithLibgsm(std::vector<uint8_t> blocks)
{
    Libgsm coder = libgsm();
    std::vector<int16_t> out(blocks.size() / 65 * 320);
    for (size_t b = 0; b < blocks.size() / 65; ++b) {
        EXPECT_EQ(gsm_decode(coder.get(), blocks.data() + 65 * b, out.data() + 320 * b), 0);
        EXPECT_EQ(gsm_decode(coder.get(), blocks.data() + 65 * b + 33, out.data() + 320 * b + 160), 0);
    }
    return out;
}

double snrDb(const std::vector<int16_t> &reference, const std::vector<int16_t> &decoded)
{
    double signal = 0, noise = 0;
    for (size_t n = 0; n < reference.size(); ++n) {
        signal += double(reference[n]) * reference[n];
        noise += std::pow(double(reference[n]) - decoded[n], 2);
    }
    return 10 * std::log10(signal / noise);
}

} // namespace

TEST(Gsm610Encoder, ReadsAndWritesLibgsmsBlocksFieldByField)
{
    // Two seconds of a rising tone over noise, so that every field of the frames takes many values.
    std::vector<int16_t> sound(16000);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 500);
    for (size_t n = 0; n < sound.size(); ++n)
        sound[n] =
            int16_t(std::clamp(8000 * std::sin(0.05 * n + 2e-6 * n * n) + noise(random), -32768.0, 32767.0));
    const std::vector<uint8_t> theirs = encode(sound, false);
    for (size_t b = 0; b < theirs.size() / 65; ++b) {
        Gsm610Frame first, second;
        unpackWav49(theirs.data() + 65 * b, first, second);
        for (const Gsm610Frame *frame : {&first, &second})
            for (const Gsm610Frame::Subframe &sub : frame->sub)
                ASSERT_TRUE(sub.Nc >= 40 && sub.Nc <= 120) << "block " << b << ": lag " << int(sub.Nc);
        uint8_t again[65];
        packWav49(first, second, again);
        ASSERT_TRUE(std::equal(again, again + 65, theirs.begin() + long(65 * b))) << "block " << b;
    }
}

TEST(Gsm610Encoder, KeepsExtremesInBoundsAndStartsAfreshOnReset)
{
    std::vector<int16_t> loud(1600);
    for (size_t n = 0; n < loud.size(); ++n)
        loud[n] = (n / 20) % 2 ? 32767 : -32768;
    EXPECT_GT(snrDb(loud, decodeWithLibgsm(encode(loud, true))), 3.0);
    // The codec has no level for nothing: the smallest pulses leave a murmur near -66 dBFS.
    for (int16_t v : decodeWithLibgsm(encode(std::vector<int16_t>(1600, 0), true)))
        ASSERT_LE(std::abs(v), 32);
    Gsm610Encoder encoder;
    Gsm610Frame a, b, again;
    encoder.encode(loud.data(), a);
    encoder.encode(loud.data() + 160, b);
    encoder.reset();
    encoder.encode(loud.data(), again);
    EXPECT_EQ(again, a);
    EXPECT_NE(b, a);
}
