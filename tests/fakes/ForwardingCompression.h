// Audio compression that hands every call on to other services (the real ones by default): test
// doubles derive from it and override only the calls they watch or break.
#pragma once

#include "platform/codecs/AudioCompression.h"

class ForwardingCompression : public platform::AudioCompression {
public:
    explicit ForwardingCompression(platform::AudioCompression &real = platform::defaultAudioCompression())
        : FReal(real)
    {
    }

    uint32_t metricsMaxFormatSize(uint32_t &size) override { return FReal.metricsMaxFormatSize(size); }
    uint32_t formatSuggest(const platform::WaveFormatEx &source, platform::WaveFormatEx &destination,
                           uint32_t room, uint32_t flags) override
    {
        return FReal.formatSuggest(source, destination, room, flags);
    }
    uint32_t streamOpen(platform::AcmStream &stream, const platform::WaveFormatEx &source,
                        const platform::WaveFormatEx &destination, uint32_t flags) override
    {
        return FReal.streamOpen(stream, source, destination, flags);
    }
    uint32_t streamClose(platform::AcmStream stream) override { return FReal.streamClose(stream); }
    uint32_t streamSize(platform::AcmStream stream, uint32_t length, uint32_t &otherLength,
                        uint32_t flags) override
    {
        return FReal.streamSize(stream, length, otherLength, flags);
    }
    uint32_t streamPrepareHeader(platform::AcmStream stream, platform::AcmStreamHeader &header) override
    {
        return FReal.streamPrepareHeader(stream, header);
    }
    uint32_t streamUnprepareHeader(platform::AcmStream stream, platform::AcmStreamHeader &header) override
    {
        return FReal.streamUnprepareHeader(stream, header);
    }
    uint32_t streamConvert(platform::AcmStream stream, platform::AcmStreamHeader &header,
                           uint32_t flags) override
    {
        return FReal.streamConvert(stream, header, flags);
    }
    uint32_t streamReset(platform::AcmStream stream) override { return FReal.streamReset(stream); }
    void warmUp() override { FReal.warmUp(); }

protected:
    platform::AudioCompression &FReal;
};
