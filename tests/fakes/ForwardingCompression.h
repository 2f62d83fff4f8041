// Audio compression that hands every call on to other services (the real ones by default): test
// doubles derive from it and override only the calls they watch or break.
#pragma once

#include "platform/codecs/AudioCompression.h"

class ForwardingCompression : public platform::AudioCompression {
    using Format = platform::WaveFormatEx;
    using Stream = platform::AcmStream;
    using Header = platform::AcmStreamHeader;

public:
    explicit ForwardingCompression(platform::AudioCompression &real = platform::defaultAudioCompression())
        : FReal(real)
    {
    }

    uint32_t metricsMaxFormatSize(uint32_t &size) override { return FReal.metricsMaxFormatSize(size); }
    uint32_t formatSuggest(const Format &from, Format &to, uint32_t room, uint32_t flags) override
    {
        return FReal.formatSuggest(from, to, room, flags);
    }
    uint32_t streamOpen(Stream &s, const Format &from, const Format &to, uint32_t flags) override
    {
        return FReal.streamOpen(s, from, to, flags);
    }
    uint32_t streamClose(Stream s) override { return FReal.streamClose(s); }
    uint32_t streamSize(Stream s, uint32_t length, uint32_t &other, uint32_t flags) override
    {
        return FReal.streamSize(s, length, other, flags);
    }
    uint32_t streamPrepareHeader(Stream s, Header &h) override { return FReal.streamPrepareHeader(s, h); }
    uint32_t streamUnprepareHeader(Stream s, Header &h) override { return FReal.streamUnprepareHeader(s, h); }
    uint32_t streamConvert(Stream s, Header &h, uint32_t flags) override
    {
        return FReal.streamConvert(s, h, flags);
    }
    uint32_t streamReset(Stream s) override { return FReal.streamReset(s); }
    void warmUp() override { FReal.warmUp(); }

protected:
    platform::AudioCompression &FReal;
};
