// Sample wave files for the sound tests: written byte by byte, or made and measured with sox.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <vector>

namespace samples {

// A RIFF WAVE file to write; every field can be made wrong on purpose.
struct WaveSpec {
    uint16_t tag = 1, channels = 1;
    uint32_t rate = 8000;
    uint16_t bits = 16;
    std::optional<uint16_t> blockAlign = {}; // default: channels x bits / 8
    std::optional<uint32_t> avgBytes = {};   // default: rate x block alignment
    uint32_t formatSize = 16;                // bytes of format body written (16, 18, 20, ...)
    QByteArray between = {};                 // whole chunks written between "fmt " and "data"
    std::optional<uint32_t> dataSize = {};   // size in the data header; default: the data's length
};

// Appends `v` little-endian (uint32_t unless told otherwise).
template <typename T = uint32_t> void put(QByteArray &b, T v)
{
    v = qToLittleEndian(v);
    b.append(reinterpret_cast<const char *>(&v), sizeof v);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray chunk(const char *id, const QByteArray &body)
{
    QByteArray b(id, 4);
    put(b, uint32_t(body.size()));
    return b + body;
}

inline QByteArray waveFile(const WaveSpec &spec, const QByteArray &data)
{
    const uint16_t align = spec.blockAlign.value_or(uint16_t(spec.channels * spec.bits / 8));
    QByteArray fmt;
    put(fmt, spec.tag), put(fmt, spec.channels), put(fmt, spec.rate);
    put(fmt, spec.avgBytes.value_or(spec.rate * align)), put(fmt, align), put(fmt, spec.bits);
    fmt = fmt.leftJustified(spec.formatSize, '\0', true);
    QByteArray body = "WAVE" + chunk("fmt ", fmt) + spec.between + QByteArray("data", 4);
    put(body, spec.dataSize.value_or(uint32_t(data.size())));
    return chunk("RIFF", body + data);
}

inline std::vector<uint8_t> bytesOf(const QByteArray &b)
{
    return std::vector<uint8_t>(b.begin(), b.end());
}

// `seconds` of a sine tone as 16-bit PCM, the same in every channel.
inline QByteArray tone16(double seconds, uint32_t rate, uint16_t channels, double hz, double amplitude)
{
    QByteArray data;
    for (uint32_t i = 0, frames = uint32_t(std::lround(seconds * rate)); i < frames; ++i)
        for (uint16_t c = 0; c < channels; ++c)
            put(data,
                int16_t(std::lround(amplitude * 32767 * std::sin(2 * std::numbers::pi * hz * i / rate))));
    return data;
}

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

inline Run run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted(10000)) return {};
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// A file decoded by sox to mono float samples, at its own rate or through sox's `effects`.
inline std::vector<float> decodedBySox(const QString &file, const QStringList &effects = {})
{
    const QByteArray raw = run("sox", QStringList{file, "-t", "f32", "-c", "1", "-"} + effects).out;
    std::vector<float> v(size_t(raw.size()) / 4);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = qFromLittleEndian<float>(raw.constData() + 4 * i);
    return v;
}

// The source as the packed result should sound: mixed to mono and resampled to 8000 Hz in
// floating point by sox's very-high-quality resampler.
inline std::vector<float> referenceOf(const QString &source)
{
    return decodedBySox(source, {"rate", "-v", "8000"});
}

// Signal-to-noise ratio in dB of `dec` against `ref`, after lining them up within +-maxLag samples.
inline double snrDb(const std::vector<float> &ref, const std::vector<float> &dec, long maxLag = 40)
{
    double bestError = INFINITY, signal = 0;
    for (long lag = -maxLag; lag <= maxLag; ++lag) {
        double e = 0;
        for (size_t i = 0; i < ref.size(); ++i) {
            const long j = long(i) + lag;
            const double d = ref[i] - (j >= 0 && j < long(dec.size()) ? dec[size_t(j)] : 0.0f);
            e += d * d;
        }
        bestError = std::min(bestError, e);
    }
    for (float x : ref)
        signal += double(x) * x;
    return 10 * std::log10(signal / bestError);
}

// Root mean square of `v` from sample `from` for `count` samples, in dB below full scale.
inline double rmsDbfs(const std::vector<float> &v, size_t from, size_t count)
{
    double e = 0;
    for (size_t i = from; i < from + count && i < v.size(); ++i)
        e += double(v[i]) * v[i];
    return 10 * std::log10(e / double(count) + 1e-20);
}

} // namespace samples
