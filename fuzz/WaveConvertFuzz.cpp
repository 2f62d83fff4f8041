// links: chirpel_packing
// Fuzzes reading the message file's PCM header and the whole two-stage conversion to GSM 6.10.
#include "sound/WaveConvert.h"

#include <cstdlib>
#include <vector>

namespace {

uint32_t u32At(const std::vector<uint8_t> &b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

void putU32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    platform::WaveFormatEx header;
    {
        TMemoryStream stream(bytes);
        uint32_t dataSize = 0;
        const bool read = ReadPcmWaveHeader(stream, header, dataSize);
        if (read && stream.Position() > size) std::abort(); // the data cannot start beyond the file
        // Designing a resampler for a new pair of rates takes milliseconds, most of a run: the
        // conversion sees one of the common rates instead (the header above saw the real one).
        if (read && IsPlainPcm(header)) {
            static const uint32_t Rates[] = {8000, 11025, 16000, 22050, 44100, 48000};
            const uint32_t rate = Rates[header.samplesPerSec % 6];
            putU32(bytes, 24, rate);
            putU32(bytes, 28, rate * header.blockAlign);
        }
    }

    TMemoryStream source(bytes);
    TMemoryStream dest;
    platform::WaveFormatEx format;
    format.formatTag = platform::WaveFormatGsm610;
    TWaveFormatList list;
    if (!list.DoubleConvert(source, dest, format)) {
        if (list.ErrorText().empty()) std::abort(); // every refusal names its step
        return 0;
    }
    // A written file is complete and says so: sizes, fact value and format as the codec gave them.
    const std::vector<uint8_t> &out = dest.Bytes();
    if (out.size() < 60 || u32At(out, 4) != out.size() - 8 || u32At(out, 56) != out.size() - 60 ||
        u32At(out, 48) != (out.size() - 60) / 65 || out[20] != 49 || (out.size() - 60) % 65 != 0)
        std::abort();
    return 0;
}
