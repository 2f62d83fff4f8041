// Bitmap file images inside shape data: the layouts other writers produce, and refusals.
#include "controls/BitmapFile.h"

#include "controls/ByteStream.h"
#include "controls/ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>

namespace {

QByteArray le32(std::uint32_t v)
{
    QByteArray out;
    TByteWriter(out).WriteInt32(std::int32_t(v));
    return out;
}

QByteArray le16(std::uint16_t v)
{
    return QByteArray(1, char(v & 0xff)) + QByteArray(1, char(v >> 8));
}

// File header and 40-byte info header in front of `rest` (colour table, masks and pixels).
QByteArray bitmapFile(std::int32_t w, std::int32_t h, int bpp, std::uint32_t compression,
                      std::uint32_t colours, const QByteArray &table, const QByteArray &pixels)
{
    const std::uint32_t offset = 14 + 40 + std::uint32_t(table.size());
    return "BM" + le32(offset + std::uint32_t(pixels.size())) + le32(0) + le32(offset) + le32(40) +
           le32(std::uint32_t(w)) + le32(std::uint32_t(h)) + le16(1) + le16(std::uint16_t(bpp)) +
           le32(compression) + le32(std::uint32_t(pixels.size())) + le32(0) + le32(0) + le32(colours) +
           le32(0) + table + pixels;
}

QByteArray bgr0(int r, int g, int b)
{
    return QByteArray(1, char(b)) + QByteArray(1, char(g)) + QByteArray(1, char(r)) + QByteArray(1, '\0');
}

} // namespace

TEST(BitmapFile, PicturesWrittenByAnotherWriterReadBackExactly)
{
    const QImage original = controlstest::gradientPicture(13, 7);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(original.save(&buffer, "BMP"));
    const QImage read = ReadBitmapFileImage(buffer.data());
    ASSERT_EQ(read.size(), original.size());
    EXPECT_EQ(controlstest::maxChannelDifference(read, original), 0);
}

// Paletted eight bits, plain and run-length encoded, and 5-6-5 bit fields with top-down rows; rows are
// stored bottom first unless the height is negative, each padded to four bytes.
TEST(BitmapFile, OtherLayoutsReadTheirPixels)
{
    const QByteArray rgb = bgr0(255, 0, 0) + bgr0(0, 255, 0) + bgr0(0, 0, 255);
    const QByteArray masks = le32(0xf800) + le32(0x07e0) + le32(0x001f);
    const struct {
        QByteArray file;
        std::vector<std::tuple<int, int, QRgb>> pixels;
    } cases[] = {
        {bitmapFile(3, 2, 8, 0, 3, rgb, QByteArray::fromHex("000102 00 020100 00")),
         {{0, 1, qRgb(255, 0, 0)}, {2, 1, qRgb(0, 0, 255)}, {0, 0, qRgb(0, 0, 255)}}},
        // Bottom row: 4 pixels of colour 1; next row: an absolute run 1,0,1 (padded); end of bitmap.
        {bitmapFile(4, 2, 8, 1, 2, bgr0(0, 0, 0) + bgr0(200, 100, 50),
                    QByteArray::fromHex("0401 0000 0003 010001 00 0000 0001")),
         {{3, 1, qRgb(200, 100, 50)}, {0, 0, qRgb(200, 100, 50)}, {1, 0, qRgb(0, 0, 0)}}},
        {bitmapFile(2, -2, 16, 3, 0, masks, le16(0xf800) + le16(0x001f) + le16(0x07e0) + le16(0xffff)),
         {{0, 0, qRgb(255, 0, 0)},
          {1, 0, qRgb(0, 0, 255)},
          {0, 1, qRgb(0, 255, 0)},
          {1, 1, qRgb(255, 255, 255)}}},
    };
    for (const auto &c : cases) {
        const QImage img = ReadBitmapFileImage(c.file);
        for (const auto &[x, y, colour] : c.pixels)
            EXPECT_EQ(img.pixel(x, y), colour) << img.depth() << " at " << x << "," << y;
    }
}

TEST(BitmapFile, Refusals)
{
    const QByteArray table = bgr0(1, 2, 3);
    EXPECT_THROW(ReadBitmapFileImage("BM"), EShapeDataError);
    EXPECT_THROW(ReadBitmapFileImage(bitmapFile(4, 4, 7, 0, 0, {}, QByteArray(64, '\0'))), EShapeDataError);
    EXPECT_THROW(ReadBitmapFileImage(bitmapFile(4, 4, 24, 0, 0, {}, QByteArray(47, '\0'))), EShapeDataError);
    EXPECT_THROW(ReadBitmapFileImage(bitmapFile(0, 4, 24, 0, 0, {}, QByteArray(48, '\0'))), EShapeDataError);
    EXPECT_THROW(ReadBitmapFileImage(bitmapFile(5000, 5000, 1, 2, 0, {}, QByteArray(8, '\0'))),
                 EShapeDataError);
    EXPECT_THROW(ReadBitmapFileImage(bitmapFile(4, 4, 8, 1, 1, table, QByteArray::fromHex("0005 0102"))),
                 EShapeDataError); // absolute run longer than the data
    EXPECT_TRUE(ReadBitmapFileImage(QByteArray()).isNull());
}
