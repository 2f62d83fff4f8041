// Audio compression services: format suggestion and stream conversion, PCM to PCM mono and PCM to GSM 6.10.
#pragma once

#include "platform/codecs/WaveTags.h"

#include <cstdint>
#include <vector>

// Kept free of Qt: the packer tool links only these services and starts in a few milliseconds.
namespace platform {

// Results, numbered like the compression manager's codes so that stored and shown codes keep
// their meaning. 0 is success.
enum AcmResult : uint32_t {
    AcmNoError = 0,
    AcmInvalidHandle = 5,
    AcmNoMemory = 7,
    AcmInvalidFlag = 10,
    AcmInvalidParam = 11,
    AcmNotPossible = 512,
    AcmBusy = 513,
    AcmUnprepared = 514,
};

// Flags of formatSuggest: which fields of the destination the caller has set.
constexpr uint32_t AcmSuggestFormatTag = 0x10000;
constexpr uint32_t AcmSuggestChannels = 0x20000;
constexpr uint32_t AcmSuggestSamplesPerSec = 0x40000;
constexpr uint32_t AcmSuggestBitsPerSample = 0x80000;

// Flags of streamOpen.
constexpr uint32_t AcmOpenQuery = 0x1;
constexpr uint32_t AcmOpenAsync = 0x2;
constexpr uint32_t AcmOpenNonRealtime = 0x4;

// Flags of streamSize.
constexpr uint32_t AcmSizeSource = 0x0;      // the given length is source bytes; the answer destination bytes
constexpr uint32_t AcmSizeDestination = 0x1; // the given length is destination bytes; the answer source bytes

// Flags of streamConvert.
constexpr uint32_t AcmConvertBlockAlign =
    0x4;                                   // convert whole blocks only; the rest of the source stays unused
constexpr uint32_t AcmConvertStart = 0x10; // forget what earlier conversions left in the stream
constexpr uint32_t AcmConvertEnd = 0x20;   // the source ends here: give out everything the stream holds

// A wave format as a RIFF "fmt " chunk stores it: 18 fixed bytes, then `extra` (the codec's
// extra bytes, as many as the stored extra size says).
struct WaveFormatEx {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::vector<uint8_t> extra;

    uint32_t storedSize() const { return 18 + uint32_t(extra.size()); }
    friend bool operator==(const WaveFormatEx &, const WaveFormatEx &) = default;
};

// An open conversion stream; null is no stream.
struct AcmStreamState;
using AcmStream = AcmStreamState *;

// One source buffer and one destination buffer of a stream. The buffers belong to the caller.
// A header is prepared once for a stream with its largest lengths; conversions may then use
// shorter lengths; before unpreparing, the caller restores the lengths it prepared with.
struct AcmStreamHeader {
    uint8_t *source = nullptr;
    uint32_t sourceLength = 0;
    uint32_t sourceLengthUsed = 0; // set by a conversion: source bytes it consumed
    uint8_t *destination = nullptr;
    uint32_t destinationLength = 0;
    uint32_t destinationLengthUsed = 0; // set by a conversion: destination bytes it wrote

    // Kept by the service between prepare and unprepare.
    AcmStream preparedFor = nullptr;
    uint32_t preparedSourceLength = 0;
    uint32_t preparedDestinationLength = 0;
};

// The services. Every operation returns an AcmResult; conversions are synchronous. A stream is
// used by one thread at a time; different streams may be used from different threads at once.
class AudioCompression {
public:
    virtual ~AudioCompression();

    // The largest stored size (18 + extra) of any format these services suggest or accept.
    virtual uint32_t metricsMaxFormatSize(uint32_t &size) = 0;

    // Completes `destination` for a conversion from `source`: the fields named by `flags` are the
    // caller's wishes, the rest are chosen. Fails when no stream can convert between them or when
    // the chosen format's stored size exceeds `room`.
    virtual uint32_t formatSuggest(const WaveFormatEx &source, WaveFormatEx &destination, uint32_t room,
                                   uint32_t flags) = 0;

    // Opens a stream converting `source` to `destination` exactly. With AcmOpenQuery only tells
    // whether it could and leaves `stream` null.
    virtual uint32_t streamOpen(AcmStream &stream, const WaveFormatEx &source,
                                const WaveFormatEx &destination, uint32_t flags) = 0;
    virtual uint32_t streamClose(AcmStream stream) = 0;

    // Room needed on the other side for `length` bytes on the side `flags` names; an upper bound
    // that holds for any single conversion, including the last one with AcmConvertEnd.
    virtual uint32_t streamSize(AcmStream stream, uint32_t length, uint32_t &otherLength, uint32_t flags) = 0;

    virtual uint32_t streamPrepareHeader(AcmStream stream, AcmStreamHeader &header) = 0;
    virtual uint32_t streamUnprepareHeader(AcmStream stream, AcmStreamHeader &header) = 0;
    virtual uint32_t streamConvert(AcmStream stream, AcmStreamHeader &header, uint32_t flags) = 0;
    // Ends conversions in progress. Conversions here are synchronous, so there are none: what the
    // stream carries over to the next conversion (resampler history, a partial block) stays.
    virtual uint32_t streamReset(AcmStream stream) = 0;

    // Does, ahead of any stream, the one-time set-up that the first stream would otherwise do;
    // any thread may call it, at any time, any number of times.
    virtual void warmUp() {}
};

// The real services: PCM (8-bit unsigned or 16-bit signed, any channel count, 1000 to 768000
// samples per second) to PCM mono 16-bit through libsoxr at high quality, and PCM mono 8000 Hz
// 16-bit to GSM 6.10 in the 65-byte, 320-sample block form.
AudioCompression &defaultAudioCompression();

// The GSM 6.10 format the services suggest: mono, 8000 Hz, 1625 bytes per second, 65-byte
// blocks, 0 bits, 2 extra bytes holding the 320 samples per block.
WaveFormatEx gsm610Format();

} // namespace platform
