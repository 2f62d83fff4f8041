// The screen picture format: "SPIC", width and height as little-endian 32-bit numbers, the kind (0:
// opaque, 1: see-through parts) as one too, then the rows top to bottom, each pixel 0xAARRGGBB in
// the machine's order: AA is ff in an opaque picture, and the colours are premultiplied by it.
#include "controls/ScreenPicture.h"

#include <QFile>
#include <QResource>
#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace {

constexpr char kMagic[4] = {'S', 'P', 'I', 'C'};
constexpr int kHeaderSize = 16;
constexpr uint32_t kLargestSide = 16384;
constexpr uint32_t kOpaque = 0, kSeeThrough = 1;

// The picture the bytes hold; it borrows `data`, which must outlive it, unless `copy` is set.
QImage fromBytes(const char *data, qint64 size, bool copy)
{
    if (size < kHeaderSize || std::memcmp(data, kMagic, sizeof kMagic) != 0) return {};
    const uint32_t width = qFromLittleEndian<uint32_t>(data + 4),
                   height = qFromLittleEndian<uint32_t>(data + 8),
                   kind = qFromLittleEndian<uint32_t>(data + 12);
    if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide ||
        size != kHeaderSize + qint64(width) * height * 4 || (kind != kOpaque && kind != kSeeThrough))
        return {};
    const QImage::Format format =
        kind == kOpaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
    const auto *pixels = reinterpret_cast<const uchar *>(data + kHeaderSize);
    // QImage wants its rows on 32-bit boundaries; a picture stored off them is copied.
    const bool aligned = reinterpret_cast<quintptr>(pixels) % alignof(uint32_t) == 0;
    if (aligned && !copy) return QImage(pixels, int(width), int(height), int(width) * 4, format);
    QImage own(int(width), int(height), format);
    std::memcpy(own.bits(), pixels, size_t(size - kHeaderSize));
    return own;
}

} // namespace

QImage ReadPicture(const QString &path)
{
    if (!path.endsWith(QLatin1String(kScreenPictureSuffix)) &&
        !path.endsWith(QLatin1String(kAlphaPictureSuffix)))
        return QImage(path);
    if (path.startsWith(QLatin1Char(':'))) {
        const QResource resource(path);
        if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
            return fromBytes(reinterpret_cast<const char *>(resource.data()), resource.size(), false);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return ScreenPictureFromBytes(file.readAll());
}

QString ArtPicturePath(const char *name)
{
    for (const char *suffix : {kScreenPictureSuffix, kAlphaPictureSuffix}) {
        const QString screen =
            QStringLiteral(":/chirpel/art/%1%2").arg(QLatin1String(name), QLatin1String(suffix));
        if (QResource(screen).isValid()) return screen;
    }
    return QStringLiteral(":/chirpel/art/%1.png").arg(QLatin1String(name));
}

QByteArray ScreenPictureBytes(const QImage &picture, bool keepAlpha)
{
    const QImage rgb =
        picture.convertToFormat(keepAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    QByteArray bytes(kHeaderSize, '\0');
    std::memcpy(bytes.data(), kMagic, sizeof kMagic);
    qToLittleEndian<uint32_t>(uint32_t(rgb.width()), bytes.data() + 4);
    qToLittleEndian<uint32_t>(uint32_t(rgb.height()), bytes.data() + 8);
    qToLittleEndian<uint32_t>(keepAlpha ? kSeeThrough : kOpaque, bytes.data() + 12);
    for (int y = 0; y < rgb.height(); ++y)
        bytes.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), qsizetype(rgb.width()) * 4);
    return bytes;
}

QImage ScreenPictureFromBytes(const QByteArray &bytes)
{
    return fromBytes(bytes.constData(), bytes.size(), true);
}
