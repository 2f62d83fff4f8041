// The numbers every reader and writer of RIFF WAVE files here shares: format tags and the size limit.
#pragma once

#include <cstdint>

namespace platform {

constexpr uint16_t WaveFormatPcm = 1;
constexpr uint16_t WaveFormatIeeeFloat = 3;
constexpr uint16_t WaveFormatGsm610 = 49;
constexpr uint16_t WaveFormatExtensible = 0xFFFE;

// The largest RIFF file there can be: a 32-bit size after the first eight bytes.
constexpr uint64_t MaxWaveFileBytes = 0xFFFFFFFFull + 8;

} // namespace platform
