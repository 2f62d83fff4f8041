// GSM 6.10 encoding in the 65-byte, 320-sample block form of RIFF WAVE files.
#include "platform/codecs/GsmEncoder.h"

#include "platform/codecs/Gsm610Encoder.h"

namespace platform {

struct GsmEncoder::Impl {
    Gsm610Encoder encoder;
};

GsmEncoder::GsmEncoder() : d(std::make_unique<Impl>()) {}

GsmEncoder::~GsmEncoder() = default;

void GsmEncoder::encodeBlock(const int16_t *samples, uint8_t *block)
{
    Gsm610Frame first, second;
    d->encoder.encode(samples, first);
    d->encoder.encode(samples + 160, second);
    packWav49(first, second, block);
}

void GsmEncoder::restart()
{
    d->encoder.reset();
}

} // namespace platform
