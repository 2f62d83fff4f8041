// RIFF WAVE images: reading any common PCM file for playback, writing recordings.
#include "platform/audio/WaveFile.h"

#include "platform/PlatformLog.h"
#include "platform/codecs/WaveTags.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/SafeRead.h"

#include <QFile>
#include <QtEndian>

#include <gsm/gsm.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace platform {

namespace {

constexpr int GsmBlockBytes = 65;
constexpr int GsmBlockSamples = 320;

quint16 le16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// WAV49 blocks: two GSM frames of 160 samples packed into 65 bytes (33 + 32).
bool decodeGsm610(const QByteArray &blocks, QByteArray &pcm)
{
    std::unique_ptr<gsm_state, void (*)(gsm)> codec(gsm_create(), gsm_destroy);
    if (!codec) return false;
    int one = 1;
    gsm_option(codec.get(), GSM_OPT_WAV49, &one);
    const qsizetype count = blocks.size() / GsmBlockBytes;
    pcm.resize(count * GsmBlockSamples * 2);
    auto *out = reinterpret_cast<gsm_signal *>(pcm.data());
    auto *in = reinterpret_cast<gsm_byte *>(const_cast<char *>(blocks.constData()));
    for (qsizetype i = 0; i < count; ++i) {
        gsm_byte *block = in + i * GsmBlockBytes;
        if (gsm_decode(codec.get(), block, out) < 0 || gsm_decode(codec.get(), block + 33, out + 160) < 0)
            return false;
        for (int s = 0; s < GsmBlockSamples; ++s)
            out[s] = qToLittleEndian(out[s]);
        out += GsmBlockSamples;
    }
    return true;
}

} // namespace

WaveFormat pcmFormat(quint16 channels, quint32 samplesPerSec, quint16 bitsPerSample)
{
    WaveFormat f;
    f.formatTag = WaveFormatPcm;
    f.channels = channels;
    f.samplesPerSec = samplesPerSec;
    f.bitsPerSample = bitsPerSample;
    f.blockAlign = static_cast<quint16>(channels * bitsPerSample / 8);
    f.avgBytesPerSec = f.blockAlign * samplesPerSec;
    return f;
}

bool isRecordableFormat(const WaveFormat &f)
{
    return f.formatTag == WaveFormatPcm && (f.channels == 1 || f.channels == 2) &&
           (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec >= 1000 &&
           f.samplesPerSec <= 192000 && f.blockAlign == f.channels * f.bitsPerSample / 8 &&
           f.avgBytesPerSec == f.blockAlign * f.samplesPerSec;
}

bool isPlayableFormat(const WaveFormat &f)
{
    const bool integer = f.formatTag == WaveFormatPcm && (f.bitsPerSample == 8 || f.bitsPerSample == 16 ||
                                                          f.bitsPerSample == 24 || f.bitsPerSample == 32);
    const bool real = f.formatTag == WaveFormatIeeeFloat && f.bitsPerSample == 32;
    return (integer || real) && f.channels >= 1 && f.channels <= 8 && f.samplesPerSec >= 1 &&
           f.samplesPerSec <= 384000 && f.blockAlign == f.channels * f.bitsPerSample / 8;
}

quint32 parseWaveImage(const QByteArray &bytes, WaveImage &image)
{
    const char *p = bytes.constData();
    const qsizetype size = bytes.size();
    if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return WaveInvalidFile;

    WaveFormat format;
    bool haveFormat = false;
    quint16 gsmSamplesPerBlock = 0;
    QByteArray data;
    bool haveData = false;
    qsizetype pos = 12;
    while (pos + 8 <= size && !haveData) {
        const char *id = p + pos;
        const qsizetype chunkSize = le32(p + pos + 4);
        const qsizetype body = pos + 8;
        const qsizetype available = qMin(chunkSize, size - body);
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (available < 16) return WaveInvalidFile;
            format.formatTag = le16(p + body);
            format.channels = le16(p + body + 2);
            format.samplesPerSec = le32(p + body + 4);
            format.avgBytesPerSec = le32(p + body + 8);
            format.blockAlign = le16(p + body + 12);
            format.bitsPerSample = le16(p + body + 14);
            if (format.formatTag == WaveFormatExtensible && available >= 26)
                format.formatTag = le16(p + body + 24);
            if (format.formatTag == WaveFormatGsm610 && available >= 22)
                gsmSamplesPerBlock = le16(p + body + 18);
            haveFormat = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            data = bytes.mid(body, available);
            haveData = true;
        }
        pos = body + chunkSize + (chunkSize & 1);
    }
    if (!haveFormat || !haveData) return WaveInvalidFile;

    if (format.formatTag == WaveFormatGsm610) {
        if (format.channels != 1 || format.blockAlign != GsmBlockBytes || format.samplesPerSec == 0 ||
            (gsmSamplesPerBlock != 0 && gsmSamplesPerBlock != GsmBlockSamples))
            return WaveInvalidFile;
        const WaveFormat decoded = pcmFormat(1, format.samplesPerSec, 16);
        QByteArray pcm;
        if (!isPlayableFormat(decoded) || !decodeGsm610(data, pcm)) return WaveInvalidFile;
        image.format = decoded;
        image.data = pcm;
        return WaveNoError;
    }
    if (!isPlayableFormat(format)) return WaveInvalidFile;
    format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
    data.truncate(data.size() - data.size() % format.blockAlign);
    image.format = format;
    image.data = data;
    return WaveNoError;
}

quint32 readWaveFile(const QString &fileName, WaveImage &image)
{
    if (fileName.isEmpty()) return WaveFileNotFound;
    // A FIFO or a device in the message's place is refused at once rather than waited on or read
    // without end.
    std::string bytes;
    const SafeReadResult read =
        ReadRegularFile(QFile::encodeName(fileName).toStdString(), MaxWaveFileBytes, bytes);
    if (read.error == ENOENT) return WaveFileNotFound;
    if (!read) {
        qCWarning(lcPlatform, "cannot play %s", read.what.c_str());
        return WaveFileRead;
    }
    return parseWaveImage(QByteArray::fromStdString(bytes), image);
}

QByteArray waveFileImage(const WaveFormat &format, const QByteArray &data)
{
    const quint32 pad = data.size() & 1;
    QByteArray out;
    out.reserve(44 + data.size() + pad);
    out.append("RIFF", 4);
    put32(out, static_cast<quint32>(36 + data.size() + pad));
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    put32(out, 16);
    put16(out, format.formatTag);
    put16(out, format.channels);
    put32(out, format.samplesPerSec);
    put32(out, format.avgBytesPerSec);
    put16(out, format.blockAlign);
    put16(out, format.bitsPerSample);
    out.append("data", 4);
    put32(out, static_cast<quint32>(data.size()));
    out.append(data);
    if (pad) out.append('\0');
    return out;
}

quint32 writeWaveFile(const QString &fileName, const WaveFormat &format, const QByteArray &data)
{
    if (fileName.isEmpty() || data.size() > qsizetype(0xFFFFFFFFu) - 44) return WaveFileNotSaved;
    // The new file is complete and on disk before it takes the old one's name; until then the
    // previous message stays as it was, whatever happens to this write.
    const QByteArray image = waveFileImage(format, data);
    const ReplaceResult result = ReplaceFileAtomically(QFile::encodeName(fileName).toStdString(),
                                                       image.constData(), size_t(image.size()));
    return result ? WaveNoError : WaveFileNotSaved;
}

qint64 waveDurationUs(const WaveFormat &format, qint64 bytes)
{
    if (format.blockAlign == 0 || format.samplesPerSec == 0) return 0;
    return bytes / format.blockAlign * 1000000 / format.samplesPerSec;
}

} // namespace platform
