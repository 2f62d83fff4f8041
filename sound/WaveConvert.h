// Compressing the message file to GSM 6.10: the two-stage conversion and packing a file in place.
#pragma once

#include "platform/codecs/AudioCompression.h"
#include "sound/WavFormatUtils.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// One chunk of source data, as the first stage took it.
struct TChunkInfo {
    uint32_t Index;     // from 0
    uint32_t Requested; // bytes asked of the source: the chunk size, or what remains of the data size
    uint32_t Read;      // bytes the source gave: fewer when its data chunk is shorter than it says
};
using TChunkEvent = std::function<void(const TChunkInfo &)>;

// The largest amount of source data converted at a time.
constexpr uint32_t ConversionChunkLimit = 0x100000;

// The chunk size for `dataSize` bytes of source data: all of it below ConversionChunkLimit,
// otherwise the limit less its remainder modulo `blockAlign` (above 0), so that a chunk always
// holds whole source blocks.
uint32_t ConversionChunkSize(uint32_t dataSize, uint16_t blockAlign);

// The "fact" value of a compressed file: its count of whole blocks, or `dataBytes` itself when
// the block alignment is 0.
uint32_t CompressedFactValue(uint32_t dataBytes, uint16_t blockAlign);

// Converts a PCM wave file to PCM mono 8000 Hz and that to the codec's format, writing a complete
// RIFF WAVE file. The source is taken in chunks of at most ConversionChunkLimit bytes, read in small
// slices; nothing is lost between them: each stage carries what does not fill a block into the next
// slice, and the resampler's history is given out at the end. A message of more than a few seconds
// is converted by two lanes side by side, each with its own two streams: the first lane converts
// the front half; the second starts a little before the back half and throws away what it
// converts before it, so that its resampler and encoder have settled into the sound by then. A
// final partial block is filled up with silence.
class TLaneWorker;

class TWaveFormatList {
public:
    // Starts the thread for the second lane at once: a thread can take milliseconds to first run
    // on an idle processor, a good part of the time a short message takes.
    explicit TWaveFormatList(platform::AudioCompression &acm = platform::defaultAudioCompression());
    ~TWaveFormatList();
    TWaveFormatList(const TWaveFormatList &) = delete;
    TWaveFormatList &operator=(const TWaveFormatList &) = delete;

    // `Source` stands at a RIFF header; the header and the compressed data are written at
    // `Dest`'s position, after which `Dest` stands at their end. `DestFormat` has the wanted
    // format tag set; on success it holds the format the codec suggested. On failure ErrorText
    // names the failed step and ErrorCode holds its result (1 for a source that is not plain PCM);
    // what was written to `Dest` is then incomplete. Throws EStreamError when `Source` fails.
    bool DoubleConvert(TStream &Source, TStream &Dest, platform::WaveFormatEx &DestFormat);

    uint32_t ErrorCode() const { return FErrorCode; }
    const std::string &ErrorText() const { return FErrorText; }

    // Called for each chunk of the source, in order, once the conversion has been through all of them.
    TChunkEvent OnChunk;

private:
    bool Fail(const std::string &text, uint32_t code);

    platform::AudioCompression &FAcm;
    std::unique_ptr<TLaneWorker> FWorker;
    uint32_t FMaxFormatSize = 0; // the room DoubleConvert gives the suggested destination format
    uint32_t FErrorCode = 0;
    std::string FErrorText;
};

// Rewrites the wave file `FileName` as GSM 6.10 in place. True when the file was rewritten; false
// when the conversion refused it (List's ErrorText and ErrorCode say why), the file untouched.
// The result replaces the file whole or not at all (see TMemoryStream::SaveToFile). Throws
// EStreamError when the file cannot be read or the result cannot be written; the file then stays
// as it was.
bool PackWaveFile(const std::string &FileName, TWaveFormatList &List);
bool PackWaveFile(const std::string &FileName);
