// links: chirpel_platform_codecs chirpel_platform_audio
// Fuzzes the GSM 06.10 encoder with any sound: every frame's fields stay in their coded ranges,
// survive the WAVE packing unchanged, and libgsm's decoder takes them.
#include "platform/codecs/Gsm610Encoder.h"

#include <gsm/gsm.h>

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Two frames' worth of samples at a time, the last ones filled up with the input's first bytes.
    std::vector<int16_t> samples((size / 2 + 319) / 320 * 320);
    if (samples.empty()) return 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const size_t at = (2 * i) % size;
        samples[i] = int16_t(data[at] | (at + 1 < size ? data[at + 1] : 0) << 8);
    }
    static const uint8_t Bits[8] = {6, 6, 5, 5, 4, 4, 3, 3};
    platform::Gsm610Encoder encoder;
    gsm decoder = gsm_create();
    int on = 1;
    gsm_option(decoder, GSM_OPT_WAV49, &on);
    for (size_t b = 0; b < samples.size() / 320; ++b) {
        platform::Gsm610Frame frames[2], again[2];
        encoder.encode(samples.data() + 320 * b, frames[0]);
        encoder.encode(samples.data() + 320 * b + 160, frames[1]);
        for (const platform::Gsm610Frame &f : frames) {
            for (int i = 0; i < 8; ++i)
                if (f.LARc[i] >> Bits[i]) std::abort();
            for (const auto &sub : f.sub) {
                if (sub.Nc < 40 || sub.Nc > 120 || sub.bc > 3 || sub.Mc > 3 || sub.xmaxc > 63) std::abort();
                for (uint8_t code : sub.xMc)
                    if (code > 7) std::abort();
            }
        }
        uint8_t block[65];
        platform::packWav49(frames[0], frames[1], block);
        platform::unpackWav49(block, again[0], again[1]);
        if (!(again[0] == frames[0]) || !(again[1] == frames[1])) std::abort();
        gsm_signal out[320];
        if (gsm_decode(decoder, block, out) != 0 || gsm_decode(decoder, block + 33, out + 160) != 0)
            std::abort();
    }
    gsm_destroy(decoder);
    return 0;
}
