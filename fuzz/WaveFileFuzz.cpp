// links: chirpel_platform_audio
// Fuzzes the wave file reader the device plays from: whatever it accepts is whole frames of a
// playable format and survives being written and read again.
#include "platform/audio/WaveFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    platform::WaveImage image;
    if (platform::parseWaveImage(bytes, image) != platform::WaveNoError) return 0;
    if (!platform::isPlayableFormat(image.format) || image.data.size() % image.format.blockAlign != 0)
        std::abort();
    platform::WaveImage again;
    if (platform::parseWaveImage(platform::waveFileImage(image.format, image.data), again) !=
            platform::WaveNoError ||
        !(again.format == image.format) || again.data != image.data)
        std::abort();
    return 0;
}
