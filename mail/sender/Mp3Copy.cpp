// An MP3 copy of a voice message, for the phones and web mail that play no GSM wave files.
#include "mail/sender/Mp3Copy.h"

#include "platform/audio/WaveFile.h"

#include <QFileInfo>
#include <QtEndian>

#include <lame/lame.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace sender {

namespace {

// Mono 16-bit samples of any PCM the wave reader gives: channels averaged, 8-bit lifted.
std::vector<short> MonoSamples(const platform::WaveImage &image)
{
    const auto &f = image.format;
    const int bytes = f.bitsPerSample / 8;
    const int frame = bytes * f.channels;
    std::vector<short> out;
    if (frame <= 0 || f.formatTag != 1 || (bytes != 1 && bytes != 2)) return out;
    const qsizetype frames = image.data.size() / frame;
    out.reserve(static_cast<std::size_t>(frames));
    const char *p = image.data.constData();
    for (qsizetype i = 0; i < frames; ++i, p += frame) {
        int sum = 0;
        for (int c = 0; c < f.channels; ++c)
            sum += bytes == 2 ? qFromLittleEndian<qint16>(p + 2 * c)
                              : (static_cast<int>(static_cast<unsigned char>(p[c])) - 128) * 256;
        out.push_back(static_cast<short>(sum / f.channels));
    }
    return out;
}

} // namespace

QString Mp3Name(const QString &waveName)
{
    const QFileInfo info(waveName);
    const QString base = info.completeBaseName();
    return (base.isEmpty() ? waveName : base) + QStringLiteral(".mp3");
}

bool Mp3Copy(const QByteArray &wave, QByteArray &mp3, QString &error)
{
    platform::WaveImage image;
    if (platform::parseWaveImage(wave, image) != platform::WaveNoError) {
        error = QStringLiteral("the message is not a wave file the sender can read");
        return false;
    }
    const std::vector<short> samples = MonoSamples(image);
    if (samples.empty() || image.format.samplesPerSec == 0) {
        error = QStringLiteral("the message holds no sound the sender can read");
        return false;
    }
    std::unique_ptr<lame_global_flags, int (*)(lame_global_flags *)> lame(lame_init(), lame_close);
    if (!lame) {
        error = QStringLiteral("the MP3 encoder did not start");
        return false;
    }
    lame_set_num_channels(lame.get(), 1);
    lame_set_in_samplerate(lame.get(), static_cast<int>(image.format.samplesPerSec));
    lame_set_mode(lame.get(), MONO);
    lame_set_brate(lame.get(), 24);
    lame_set_quality(lame.get(), 5);
    // The first frame carries the encoder's delay and padding, so that players trim them and the
    // copy lasts exactly as long as the message.
    lame_set_bWriteVbrTag(lame.get(), 1);
    if (lame_init_params(lame.get()) < 0) {
        error = QStringLiteral("the MP3 encoder refused the message's format");
        return false;
    }
    constexpr int kChunk = 8192;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(kChunk * 5 / 4 + 7200));
    mp3.clear();
    for (std::size_t at = 0; at < samples.size(); at += kChunk) {
        const int n = static_cast<int>(std::min<std::size_t>(kChunk, samples.size() - at));
        const int got = lame_encode_buffer(lame.get(), samples.data() + at, nullptr, n, buffer.data(),
                                           static_cast<int>(buffer.size()));
        if (got < 0) {
            error = QStringLiteral("the MP3 encoder failed");
            return false;
        }
        mp3.append(reinterpret_cast<const char *>(buffer.data()), got);
    }
    const int tail = lame_encode_flush(lame.get(), buffer.data(), static_cast<int>(buffer.size()));
    if (tail < 0) {
        error = QStringLiteral("the MP3 encoder failed");
        return false;
    }
    mp3.append(reinterpret_cast<const char *>(buffer.data()), tail);
    const std::size_t tag = lame_get_lametag_frame(lame.get(), buffer.data(), buffer.size());
    if (tag > 0 && tag <= static_cast<std::size_t>(mp3.size()))
        std::copy_n(buffer.data(), tag, reinterpret_cast<unsigned char *>(mp3.data()));
    return true;
}

} // namespace sender
