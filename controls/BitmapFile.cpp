// Windows bitmap file images ("BM" files) as stored inside shape data.
#include "controls/BitmapFile.h"

#include "controls/ByteStream.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;
constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;

[[noreturn]] void fail(const char *why)
{
    throw EShapeDataError(std::string("bitmap image: ") + why);
}

class Bytes {
public:
    explicit Bytes(QByteArrayView data)
        : d(reinterpret_cast<const unsigned char *>(data.data())), n(data.size())
    {
    }
    qsizetype size() const { return n; }
    bool has(qint64 offset, qint64 count) const { return offset >= 0 && count >= 0 && offset + count <= n; }
    unsigned char u8(qint64 at) const { return d[at]; }
    std::uint16_t u16(qint64 at) const { return std::uint16_t(d[at] | d[at + 1] << 8); }
    std::uint32_t u32(qint64 at) const
    {
        return std::uint32_t(d[at]) | std::uint32_t(d[at + 1]) << 8 | std::uint32_t(d[at + 2]) << 16 |
               std::uint32_t(d[at + 3]) << 24;
    }
    const unsigned char *at(qint64 offset) const { return d + offset; }

private:
    const unsigned char *d;
    qsizetype n;
};

// One colour channel given by a bit mask, scaled to 0..255.
struct Channel {
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t mask = 0)
    {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        bits = std::countr_one(mask >> shift);
    }
    int value(std::uint32_t pixel) const
    {
        if (bits == 0) return 0;
        const std::uint32_t v = (pixel >> shift) & ((bits >= 32 ? 0u : (1u << bits)) - 1u);
        const std::uint32_t top = bits >= 32 ? 0xffffffffu : (1u << bits) - 1u;
        return int((std::uint64_t(v) * 255 + top / 2) / top);
    }
};

void putIndexed(QImage &img, int x, int y, unsigned index, const std::vector<QRgb> &palette)
{
    if (x < img.width() && y >= 0 && y < img.height())
        reinterpret_cast<QRgb *>(img.scanLine(y))[x] =
            index < palette.size() ? palette[index] : qRgb(0, 0, 0);
}

// Run-length encoded rows (8 or 4 bits), drawn bottom-up. The data may end without an
// end-of-bitmap mark; pixels outside the picture are dropped.
void decodeRle(const Bytes &b, qint64 pos, int bpp, const std::vector<QRgb> &palette, QImage &img)
{
    const int height = img.height();
    int x = 0;
    int row = 0; // counted from the bottom
    auto y = [&] { return height - 1 - row; };
    while (pos + 2 <= b.size() && row < height) {
        const unsigned count = b.u8(pos), value = b.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i, ++x) {
                const unsigned index = bpp == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0f);
                putIndexed(img, x, y(), index, palette);
            }
        } else if (value == 0) { // end of line
            x = 0;
            ++row;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // delta
            if (pos + 2 > b.size()) return;
            x += b.u8(pos);
            row += b.u8(pos + 1);
            pos += 2;
        } else { // absolute run of `value` pixels, padded to a 16-bit boundary
            const qint64 bytes = bpp == 8 ? value : (value + 1) / 2;
            if (!b.has(pos, bytes)) fail("run-length data ends early");
            for (unsigned i = 0; i < value; ++i, ++x) {
                const unsigned char byte = b.u8(pos + (bpp == 8 ? i : i / 2));
                const unsigned index = bpp == 8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 0x0f);
                putIndexed(img, x, y(), index, palette);
            }
            pos += bytes + (bytes & 1);
        }
    }
}

} // namespace

QByteArray BitmapFileImage(const QImage &picture)
{
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0) return {};
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width(), h = rgb.height();
    const qint64 stride = (qint64(w) * 3 + 3) / 4 * 4;
    const qint64 pixelBytes = stride * h;
    const qint64 offset = FileHeaderSize + InfoHeaderSize;

    QByteArray out;
    out.reserve(offset + pixelBytes);
    TByteWriter wr(out);
    out.append("BM", 2);
    wr.WriteInt32(std::int32_t(offset + pixelBytes)); // bfSize
    wr.WriteInt32(0);                                 // bfReserved1, bfReserved2
    wr.WriteInt32(std::int32_t(offset));              // bfOffBits
    wr.WriteInt32(InfoHeaderSize);
    wr.WriteInt32(w);
    wr.WriteInt32(h);            // positive: bottom-up rows
    wr.WriteInt32(1 | 24 << 16); // biPlanes 1, biBitCount 24
    wr.WriteInt32(BI_RGB);       // biCompression
    wr.WriteInt32(std::int32_t(pixelBytes));
    wr.WriteInt32(0); // biXPelsPerMeter
    wr.WriteInt32(0); // biYPelsPerMeter
    wr.WriteInt32(0); // biClrUsed
    wr.WriteInt32(0); // biClrImportant

    QByteArray row(stride, '\0');
    for (int y = h - 1; y >= 0; --y) {
        const auto *src = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            row[3 * x] = char(qBlue(src[x]));
            row[3 * x + 1] = char(qGreen(src[x]));
            row[3 * x + 2] = char(qRed(src[x]));
        }
        out.append(row);
    }
    return out;
}

QImage ReadBitmapFileImage(QByteArrayView data, qint64 maxPixels)
{
    if (data.isEmpty()) return {};
    const Bytes b(data);
    if (!b.has(0, FileHeaderSize + 4) || b.u8(0) != 'B' || b.u8(1) != 'M') fail("no bitmap file header");
    const std::uint32_t offBits = b.u32(10);
    const std::uint32_t infoSize = b.u32(FileHeaderSize);
    if (infoSize != 12 && (infoSize < InfoHeaderSize || infoSize > 124)) fail("unknown info header");
    if (!b.has(FileHeaderSize, infoSize)) fail("info header ends early");

    const qint64 h0 = FileHeaderSize;
    qint64 width, height;
    int bpp;
    std::uint32_t compression = BI_RGB, colorsUsed = 0;
    int paletteEntrySize = 4;
    if (infoSize == 12) {
        width = b.u16(h0 + 4);
        height = b.u16(h0 + 6);
        bpp = b.u16(h0 + 10);
        paletteEntrySize = 3;
    } else {
        width = std::int32_t(b.u32(h0 + 4));
        height = std::int32_t(b.u32(h0 + 8));
        bpp = b.u16(h0 + 14);
        compression = b.u32(h0 + 16);
        colorsUsed = b.u32(h0 + 32);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) fail("bad picture size");
    if (width * height > maxPixels) fail("picture larger than allowed");

    const bool valid = (compression == BI_RGB &&
                        (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) ||
                       (compression == BI_RLE8 && bpp == 8 && !topDown) ||
                       (compression == BI_RLE4 && bpp == 4 && !topDown) ||
                       (compression == BI_BITFIELDS && (bpp == 16 || bpp == 32));
    if (!valid) fail("unsupported pixel format");

    qint64 pos = h0 + infoSize;
    Channel red(0x00ff0000), green(0x0000ff00), blue(0x000000ff);
    if (bpp == 16 && compression == BI_RGB) {
        red = Channel(0x7c00);
        green = Channel(0x03e0);
        blue = Channel(0x001f);
    }
    if (compression == BI_BITFIELDS) {
        qint64 masks = h0 + InfoHeaderSize;
        if (infoSize == InfoHeaderSize) {
            if (!b.has(pos, 12)) fail("bit fields end early");
            pos += 12;
        }
        red = Channel(b.u32(masks));
        green = Channel(b.u32(masks + 4));
        blue = Channel(b.u32(masks + 8));
    }

    std::vector<QRgb> palette;
    if (bpp <= 8) {
        const std::uint32_t full = 1u << bpp;
        const std::uint32_t count = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
        if (!b.has(pos, qint64(count) * paletteEntrySize)) fail("colour table ends early");
        for (std::uint32_t i = 0; i < count; ++i, pos += paletteEntrySize)
            palette.push_back(qRgb(b.u8(pos + 2), b.u8(pos + 1), b.u8(pos)));
    }
    if (offBits != 0) {
        if (offBits < pos || offBits > std::uint32_t(b.size())) fail("pixel data outside the image");
        pos = offBits;
    }

    QImage img(int(width), int(height), QImage::Format_RGB32);
    if (img.isNull()) fail("not enough memory for the picture");
    img.fill(qRgb(0, 0, 0));

    if (compression == BI_RLE8 || compression == BI_RLE4) {
        decodeRle(b, pos, bpp, palette, img);
        return img;
    }

    const qint64 stride = (width * bpp + 31) / 32 * 4;
    if (!b.has(pos, stride * height)) fail("pixel data ends early");
    for (qint64 r = 0; r < height; ++r) {
        const unsigned char *src = b.at(pos + r * stride);
        auto *dst = reinterpret_cast<QRgb *>(img.scanLine(int(topDown ? r : height - 1 - r)));
        for (qint64 x = 0; x < width; ++x) {
            switch (bpp) {
            case 1:
            case 4:
            case 8: {
                const qint64 bit = x * bpp;
                const unsigned index = (src[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                dst[x] = index < palette.size() ? palette[index] : qRgb(0, 0, 0);
                break;
            }
            case 16: {
                const std::uint32_t p = std::uint32_t(src[2 * x] | src[2 * x + 1] << 8);
                dst[x] = qRgb(red.value(p), green.value(p), blue.value(p));
                break;
            }
            case 24:
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            case 32: {
                const std::uint32_t p = std::uint32_t(src[4 * x]) | std::uint32_t(src[4 * x + 1]) << 8 |
                                        std::uint32_t(src[4 * x + 2]) << 16 |
                                        std::uint32_t(src[4 * x + 3]) << 24;
                dst[x] = qRgb(red.value(p), green.value(p), blue.value(p));
                break;
            }
            }
        }
    }
    return img;
}
