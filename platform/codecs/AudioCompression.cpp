// Audio compression services: format suggestion and stream conversion, PCM to PCM mono and PCM to GSM 6.10.
#include "platform/codecs/AudioCompression.h"

#include "platform/codecs/GsmEncoder.h"
#include "platform/codecs/SoxrResampler.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_set>

static_assert(std::endian::native == std::endian::little, "wave data is little-endian");

namespace platform {

AudioCompression::~AudioCompression() = default;

WaveFormatEx gsm610Format()
{
    return WaveFormatEx{WaveFormatGsm610, 1, 8000, 1625, GsmEncoder::BytesPerBlock, 0, {0x40, 0x01}};
}

namespace {

constexpr uint32_t MinRate = 1000;
constexpr uint32_t MaxRate = 768000;
constexpr uint16_t MaxChannels = 64;
constexpr uint32_t GsmRate = 8000;

// PCM the resampler reads: consistent block alignment and byte rate, so that every length
// computed from them means what it says.
bool isSupportedPcm(const WaveFormatEx &f)
{
    return f.formatTag == WaveFormatPcm && f.channels >= 1 && f.channels <= MaxChannels &&
           (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
           f.blockAlign == f.channels * f.bitsPerSample / 8 && f.samplesPerSec >= MinRate &&
           f.samplesPerSec <= MaxRate && f.avgBytesPerSec == f.samplesPerSec * f.blockAlign &&
           f.extra.empty();
}

bool isMonoPcm16(const WaveFormatEx &f)
{
    return isSupportedPcm(f) && f.channels == 1 && f.bitsPerSample == 16;
}

WaveFormatEx monoPcm16(uint32_t rate)
{
    return WaveFormatEx{WaveFormatPcm, 1, rate, rate * 2, 2, 16, {}};
}

uint32_t toLength(uint64_t bytes, uint32_t &length)
{
    if (bytes > std::numeric_limits<uint32_t>::max()) return AcmNotPossible;
    length = uint32_t(bytes);
    return AcmNoError;
}

} // namespace

struct AcmStreamState {
    WaveFormatEx source;
    WaveFormatEx destination;
    std::unique_ptr<SoxrResampler> resampler; // PCM to PCM mono
    std::unique_ptr<GsmEncoder> encoder;      // PCM mono 8000 Hz to GSM 6.10
};

namespace {

class CodecCompression final : public AudioCompression {
public:
    uint32_t metricsMaxFormatSize(uint32_t &size) override
    {
        size = gsm610Format().storedSize();
        return AcmNoError;
    }

    uint32_t formatSuggest(const WaveFormatEx &source, WaveFormatEx &destination, uint32_t room,
                           uint32_t flags) override
    {
        const uint32_t known =
            AcmSuggestFormatTag | AcmSuggestChannels | AcmSuggestSamplesPerSec | AcmSuggestBitsPerSample;
        if (flags & ~known) return AcmInvalidFlag;
        if (!isSupportedPcm(source)) return AcmNotPossible;
        const uint16_t tag = (flags & AcmSuggestFormatTag) ? destination.formatTag : WaveFormatPcm;
        const uint32_t rate = (flags & AcmSuggestSamplesPerSec) ? destination.samplesPerSec
                              : tag == WaveFormatGsm610         ? GsmRate
                                                                : source.samplesPerSec;
        const uint16_t channels = (flags & AcmSuggestChannels) ? destination.channels : 1;
        WaveFormatEx suggested;
        if (tag == WaveFormatPcm) {
            const uint16_t bits = (flags & AcmSuggestBitsPerSample) ? destination.bitsPerSample : 16;
            if (channels != 1 || bits != 16 || rate < MinRate || rate > MaxRate) return AcmNotPossible;
            suggested = monoPcm16(rate);
        } else if (tag == WaveFormatGsm610) {
            const uint16_t bits = (flags & AcmSuggestBitsPerSample) ? destination.bitsPerSample : 0;
            if (!isMonoPcm16(source) || source.samplesPerSec != GsmRate || channels != 1 || rate != GsmRate ||
                bits != 0)
                return AcmNotPossible;
            suggested = gsm610Format();
        } else {
            return AcmNotPossible;
        }
        if (suggested.storedSize() > room) return AcmNotPossible;
        destination = suggested;
        return AcmNoError;
    }

    uint32_t streamOpen(AcmStream &stream, const WaveFormatEx &source, const WaveFormatEx &destination,
                        uint32_t flags) override
    {
        stream = nullptr;
        if (flags & ~(AcmOpenQuery | AcmOpenAsync | AcmOpenNonRealtime)) return AcmInvalidFlag;
        if (flags & AcmOpenAsync) return AcmNotPossible; // every conversion here completes before it returns
        const bool resample = isSupportedPcm(source) && isMonoPcm16(destination);
        const bool encode =
            isMonoPcm16(source) && source.samplesPerSec == GsmRate && destination == gsm610Format();
        if (!resample && !encode) return AcmNotPossible;
        if (flags & AcmOpenQuery) return AcmNoError;

        auto state = std::make_unique<AcmStreamState>();
        state->source = source;
        state->destination = destination;
        try {
            if (resample) {
                state->resampler = std::make_unique<SoxrResampler>(
                    source.channels, source.bitsPerSample, source.samplesPerSec, destination.samplesPerSec);
                if (!state->resampler->valid()) return AcmNotPossible;
            } else {
                state->encoder = std::make_unique<GsmEncoder>();
            }
        } catch (const std::bad_alloc &) {
            return AcmNoMemory;
        }
        std::lock_guard lock(FLock);
        stream = state.release();
        FStreams.insert(stream);
        return AcmNoError;
    }

    uint32_t streamClose(AcmStream stream) override
    {
        {
            std::lock_guard lock(FLock);
            if (FStreams.erase(stream) == 0) return AcmInvalidHandle;
        }
        delete stream;
        return AcmNoError;
    }

    uint32_t streamSize(AcmStream stream, uint32_t length, uint32_t &otherLength, uint32_t flags) override
    {
        otherLength = 0;
        if (!isOpen(stream)) return AcmInvalidHandle;
        if (flags != AcmSizeSource && flags != AcmSizeDestination) return AcmInvalidFlag;
        const bool fromSource = flags == AcmSizeSource;
        if (stream->resampler) {
            const uint32_t frameBytes = stream->source.blockAlign;
            if (fromSource)
                return toLength(stream->resampler->maxOutput(length / frameBytes) * 2, otherLength);
            return toLength(stream->resampler->maxInput(length / 2) * frameBytes, otherLength);
        }
        const uint64_t samples = length / 2;
        if (fromSource)
            return toLength((samples + GsmEncoder::SamplesPerBlock - 1) / GsmEncoder::SamplesPerBlock *
                                GsmEncoder::BytesPerBlock,
                            otherLength);
        return toLength(uint64_t(length / GsmEncoder::BytesPerBlock) * GsmEncoder::SamplesPerBlock * 2,
                        otherLength);
    }

    uint32_t streamPrepareHeader(AcmStream stream, AcmStreamHeader &header) override
    {
        if (!isOpen(stream)) return AcmInvalidHandle;
        if (header.preparedFor || (!header.source && header.sourceLength) ||
            (!header.destination && header.destinationLength))
            return AcmInvalidParam;
        header.preparedFor = stream;
        header.preparedSourceLength = header.sourceLength;
        header.preparedDestinationLength = header.destinationLength;
        header.sourceLengthUsed = 0;
        header.destinationLengthUsed = 0;
        return AcmNoError;
    }

    uint32_t streamUnprepareHeader(AcmStream stream, AcmStreamHeader &header) override
    {
        if (!isOpen(stream)) return AcmInvalidHandle;
        if (header.preparedFor != stream) return AcmUnprepared;
        if (header.sourceLength != header.preparedSourceLength ||
            header.destinationLength != header.preparedDestinationLength)
            return AcmInvalidParam;
        header.preparedFor = nullptr;
        return AcmNoError;
    }

    uint32_t streamConvert(AcmStream stream, AcmStreamHeader &header, uint32_t flags) override
    {
        if (!isOpen(stream)) return AcmInvalidHandle;
        if (flags & ~(AcmConvertBlockAlign | AcmConvertStart | AcmConvertEnd)) return AcmInvalidFlag;
        if (header.preparedFor != stream) return AcmUnprepared;
        if (header.sourceLength > header.preparedSourceLength ||
            header.destinationLength > header.preparedDestinationLength)
            return AcmInvalidParam;
        header.sourceLengthUsed = 0;
        header.destinationLengthUsed = 0;
        const bool start = flags & AcmConvertStart;
        const bool end = flags & AcmConvertEnd;
        if (stream->resampler)
            resample(*stream, header, start, end);
        else
            encode(*stream, header, start, end);
        return AcmNoError;
    }

    uint32_t streamReset(AcmStream stream) override { return isOpen(stream) ? AcmNoError : AcmInvalidHandle; }

    void warmUp() override { SoxrResampler::prepareLibrary(); }

private:
    bool isOpen(AcmStream stream)
    {
        std::lock_guard lock(FLock);
        return FStreams.count(stream) != 0;
    }

    static void resample(AcmStreamState &s, AcmStreamHeader &h, bool start, bool end)
    {
        if (start) s.resampler->clear();
        // Whole frames only, with or without block alignment: a part of a frame is no sample.
        const uint32_t frameBytes = s.source.blockAlign;
        size_t written = 0;
        const size_t taken = s.resampler->process(h.source, h.sourceLength / frameBytes, h.destination,
                                                  h.destinationLength / 2, written, end);
        h.sourceLengthUsed = uint32_t(taken * frameBytes);
        h.destinationLengthUsed = uint32_t(written * 2);
    }

    static void encode(AcmStreamState &s, AcmStreamHeader &h, bool start, bool end)
    {
        constexpr uint32_t BlockSamples = GsmEncoder::SamplesPerBlock;
        constexpr uint32_t BlockBytes = GsmEncoder::BytesPerBlock;
        if (start) s.encoder->restart();
        const uint32_t samples = h.sourceLength / 2;
        const uint32_t room = h.destinationLength / BlockBytes;
        const uint32_t whole = std::min(samples / BlockSamples, room);
        int16_t block[BlockSamples];
        for (uint32_t b = 0; b < whole; ++b) {
            std::memcpy(block, h.source + size_t(b) * BlockSamples * 2, sizeof block);
            s.encoder->encodeBlock(block, h.destination + size_t(b) * BlockBytes);
        }
        uint32_t blocks = whole;
        uint32_t used = whole * BlockSamples;
        // At the end of the signal a last, partial block is filled up with silence rather than lost.
        const uint32_t rest = samples - used;
        if (end && rest > 0 && rest < BlockSamples && blocks < room) {
            std::memset(block, 0, sizeof block);
            std::memcpy(block, h.source + size_t(used) * 2, size_t(rest) * 2);
            s.encoder->encodeBlock(block, h.destination + size_t(blocks) * BlockBytes);
            ++blocks;
            used += rest;
        }
        h.sourceLengthUsed = used * 2;
        h.destinationLengthUsed = blocks * BlockBytes;
    }

    std::mutex FLock;
    std::unordered_set<AcmStream> FStreams;
};

} // namespace

AudioCompression &defaultAudioCompression()
{
    static CodecCompression services;
    return services;
}

} // namespace platform
