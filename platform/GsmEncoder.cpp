// GSM 6.10 encoding through libgsm in the 65-byte, 320-sample block form of RIFF WAVE files.
#include "platform/GsmEncoder.h"

#include <gsm/gsm.h>

#include <new>

namespace platform {

struct GsmEncoder::Impl {
    gsm state = nullptr;

    void create()
    {
        state = gsm_create();
        if (!state) throw std::bad_alloc();
        // The WAV49 packing puts two frames into 65 bytes, the layout sox, ffmpeg and Windows read.
        int on = 1;
        gsm_option(state, GSM_OPT_WAV49, &on);
    }
    ~Impl()
    {
        if (state) gsm_destroy(state);
    }
};

GsmEncoder::GsmEncoder() : d(std::make_unique<Impl>())
{
    d->create();
}

GsmEncoder::~GsmEncoder() = default;

void GsmEncoder::encodeBlock(const int16_t *samples, uint8_t *block)
{
    // libgsm takes its input as writable although it only reads it.
    auto *in = const_cast<gsm_signal *>(samples);
    // With WAV49 the first call of each pair writes 32 bytes and the second 33; blocks are always
    // encoded as whole pairs, so the packing stays in step.
    gsm_encode(d->state, in, block);
    gsm_encode(d->state, in + 160, block + 32);
}

void GsmEncoder::restart()
{
    gsm_destroy(d->state);
    d->state = nullptr;
    d->create();
}

} // namespace platform
