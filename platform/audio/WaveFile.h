// RIFF WAVE images: reading any common PCM file for playback, writing recordings.
#pragma once

#include "platform/audio/WaveDevice.h"

#include <QByteArray>
#include <QString>

namespace platform {

// Sound as the device keeps it: a PCM format and whole frames of samples in that format.
struct WaveImage {
    WaveFormat format;
    QByteArray data;
};

// The PCM format with `channels`, `samplesPerSec` and `bitsPerSample`, block alignment and
// average rate derived from them.
WaveFormat pcmFormat(quint16 channels, quint32 samplesPerSec, quint16 bitsPerSample);

// True for the formats the device can record into: PCM, 1 or 2 channels, 8 or 16 bits,
// 1000 to 192000 samples per second, block alignment and average rate consistent.
bool isRecordableFormat(const WaveFormat &format);

// True for the formats the device can play: integer PCM of 8, 16, 24 or 32 bits or 32-bit
// IEEE float, 1 to 8 channels, 1 to 384000 samples per second, consistent block alignment.
bool isPlayableFormat(const WaveFormat &format);

// Reads a RIFF WAVE image: chunks in any order, unknown chunks skipped, a short data chunk
// taken as far as it goes. GSM 6.10 (format 49) is decoded to 16-bit PCM. Returns WaveNoError
// or WaveInvalidFile.
quint32 parseWaveImage(const QByteArray &bytes, WaveImage &image);

// parseWaveImage of a file; WaveFileNotFound when it does not exist, WaveFileRead when it
// cannot be read.
quint32 readWaveFile(const QString &fileName, WaveImage &image);

// "RIFF", size, "WAVE", a 16-byte "fmt " chunk, "data", size, the samples (and a pad byte
// when their count is odd). Nothing else is written between "fmt " and "data".
QByteArray waveFileImage(const WaveFormat &format, const QByteArray &data);

// Writes waveFileImage to a temporary file beside `fileName` and renames it over the target
// only once it is complete, so a failed write keeps the previous file. WaveFileNotSaved on
// failure.
quint32 writeWaveFile(const QString &fileName, const WaveFormat &format, const QByteArray &data);

// Duration of `bytes` of sound in `format`, in microseconds (0 for an invalid format).
qint64 waveDurationUs(const WaveFormat &format, qint64 bytes);

} // namespace platform
