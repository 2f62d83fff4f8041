// Stored shape data: the byte format, its three picture encodings (with the bitmap file layouts other
// writers produce), the legacy layout, outline texts, and the refusal of data that does not hold together.
#include "controls/WinShapeUtils.h"

#include "controls/BitmapFile.h"
#include "controls/ControlsTestSupport.h"
#include "controls/ShapeOutline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using controlstest::gradientPicture;
using controlstest::maxChannelDifference;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

template <class T> QByteArray le32(T v)
{
    QByteArray out;
    TByteWriter(out).WriteInt32(std::int32_t(v));
    return out;
}

TWinShapeData sampleShape(TShapeImageKind kind)
{
    TWinShapeData data;
    data.ImageKind = kind;
    data.Bounds = {2, 3, 37, 27};
    data.Regions = {TWinShapeRegion{0, 0, {{2, 3}, {37, 3}, {37, 27}, {2, 27}}}, // outline
                    TWinShapeRegion{7, 4, {{10, 10}, {15, 10}, {15, 15}}}};      // hole
    data.Bitmap = gradientPicture(40, 30);
    return data;
}

// A shape with no regions holding `picture` in the given encoding, as bytes.
QByteArray pictureOnly(TShapeImageKind kind, const QImage &picture)
{
    TWinShapeData data;
    data.ImageKind = kind;
    data.Bitmap = picture;
    return data.SaveToBytes();
}

const QImage twoPixels = controlstest::stripPicture(1, 1, {Qt::red, Qt::blue});

const char *twoPixelsBitmapFile = "424d 3e000000 00000000 36000000"               // file header
                                  "28000000 02000000 01000000 0100 1800 00000000" // info header
                                  "08000000 00000000 00000000 00000000 00000000"  // size, resolution, colours
                                  "0000ff ff0000 0000";                           // one row, padded

// File header and 40-byte info header (one plane) in front of the colour table or masks and the pixels.
QByteArray bitmapFile(int w, int h, int bpp, int compression, int colours, const QByteArray &table,
                      const QByteArray &pixels)
{
    const qsizetype offset = 14 + 40 + table.size();
    return "BM" + le32(offset + pixels.size()) + le32(0) + le32(offset) + le32(40) + le32(w) + le32(h) +
           le32(1 | bpp << 16) + le32(compression) + le32(pixels.size()) + le32(0) + le32(0) + le32(colours) +
           le32(0) + table + pixels;
}

// The current layout's header: bounds, marker, picture kind and region count.
QByteArray header(std::int32_t kind, std::int32_t regions)
{
    return QByteArray(16, '\0') + le32(-2) + le32(kind) + le32(regions);
}

QByteArray bgr0(int r, int g, int b)
{
    return QByteArray(1, char(b)) + QByteArray(1, char(g)) + QByteArray(1, char(r)) + QByteArray(1, '\0');
}

} // namespace

TEST(ShapeDataRoundTrip, WritingAndReadingBackKeepsBoundsKindRegionsAndPixelsAndAnEmptyPictureStaysEmpty)
{
    // The largest channel difference each encoding may introduce.
    for (auto [kind, tolerance] : {std::pair{ikBitmap, 0}, {ikDeflatedBitmap, 0}, {ikJpeg, 12}}) {
        TWinShapeData original = sampleShape(kind);
        const QByteArray bytes = original.SaveToBytes();
        TWinShapeData copy;
        copy.LoadFromBytes(bytes);
        EXPECT_TRUE(copy.Loaded);
        EXPECT_EQ(copy.Bounds, original.Bounds);
        EXPECT_EQ(copy.ImageKind, kind);
        EXPECT_EQ(copy.Regions, original.Regions);
        ASSERT_EQ(copy.Bitmap.size(), original.Bitmap.size());
        EXPECT_LE(maxChannelDifference(copy.Bitmap, original.Bitmap), tolerance) << kind;
        EXPECT_TRUE(tolerance > 0 || copy.SaveToBytes() == bytes) << "a lossless picture is written the same";
        original.Bitmap = QImage();
        copy.LoadFromBytes(original.SaveToBytes());
        EXPECT_EQ(copy.Bitmap.width(), 0) << kind;
        EXPECT_EQ(copy.Regions, original.Regions);
    }
}

// The deflated picture is one zlib stream of the bitmap file, the JPEG a baseline JFIF (the layout
// around them is compared byte for byte in the legacy test's write-back).
TEST(ShapeDataFormat, EachPictureIsWrittenInItsEncoding)
{
    const QByteArray deflated = pictureOnly(ikDeflatedBitmap, twoPixels).mid(28);
    EXPECT_EQ(deflated.left(2), hex("789c")); // deflate, 32 KiB window, default level
    // qUncompress takes the expected size (big-endian) in front of a plain zlib stream.
    EXPECT_EQ(qUncompress(QByteArray::fromHex("0000003e") + deflated), hex(twoPixelsBitmapFile));
    const QByteArray jpeg = pictureOnly(ikJpeg, gradientPicture(16, 16)).mid(28);
    EXPECT_TRUE(jpeg.startsWith(hex("ffd8 ffe0")));
    EXPECT_EQ(jpeg.mid(6, 5), QByteArray("JFIF\0", 5));
    EXPECT_TRUE(jpeg.contains(hex("ffc0"))); // baseline frame, not progressive
    EXPECT_FALSE(jpeg.contains(hex("ffc2")));
    EXPECT_TRUE(jpeg.endsWith(hex("ffd9")));
}

TEST(ShapeDataLegacyLayout, IsReadAsTheReadersKindAPlainBitmapByDefaultAndWrittenBackWithTheMarker)
{
    const QByteArray legacy = hex("0b000000 0b000000 71020000 86010000" // bounds 11, 11, 625, 390
                                  "01000000"                            // one region, no kind
                                  "00000000 ffffffff 03000000"          // reserved, combine -1, 3 vertices
                                  "0b000000 0b000000 71020000 0b000000 0b000000 86010000") +
                              hex(twoPixelsBitmapFile);
    TWinShapeData data;
    data.LoadFromBytes(legacy);
    EXPECT_TRUE(data.Loaded);
    EXPECT_EQ(data.ImageKind, ikBitmap);
    // Everything read comes back out as it went in, now behind the marker and the kind.
    EXPECT_EQ(data.SaveToBytes(), legacy.left(16) + hex("feffffff 00000000") + legacy.mid(16));
    // Without a kind in the data, the picture is decoded as the reading object's current kind.
    const QByteArray current = pictureOnly(ikDeflatedBitmap, twoPixels);
    const QByteArray kindless = current.left(16) + le32(0) + current.mid(28);
    TWinShapeData reader;
    reader.ImageKind = ikDeflatedBitmap;
    reader.LoadFromBytes(kindless);
    EXPECT_EQ(reader.ImageKind, ikDeflatedBitmap);
    EXPECT_EQ(reader.Bitmap.pixel(0, 0), qRgb(255, 0, 0));
    TWinShapeData fresh;
    EXPECT_THROW(fresh.LoadFromBytes(kindless), EShapeDataError); // zlib data is no bitmap file
}

TEST(CorruptShapeData, IsRefusedWithAShapeDataErrorAndNotMarkedLoaded)
{
    const QByteArray jpegBytes = pictureOnly(ikJpeg, gradientPicture(32, 32));
    const QByteArray bmp = hex(twoPixelsBitmapFile);
    const QByteArray deflatedBytes = pictureOnly(ikDeflatedBitmap, gradientPicture(32, 32));
    QByteArray corruptZlib = deflatedBytes;
    corruptZlib[40] = char(corruptZlib[40] ^ 0x55);
    corruptZlib[41] = char(corruptZlib[41] ^ 0x55);
    const std::pair<const char *, QByteArray> cases[] = {
        {"NoBytes", QByteArray()},
        {"EndsInsideTheBounds", QByteArray(10, '\0')},
        {"EndsBeforeTheRegionCount", QByteArray(16, '\0') + le32(-2) + le32(0)},
        {"MoreRegionsThanBytes", header(0, 1000000)},
        {"HugeRegionCount", header(0, 0x7fffffff)},
        {"RegionRecordCutShort", header(0, 1) + le32(0) + le32(2)},
        {"NegativeVertexCount", header(0, 1) + le32(0) + le32(2) + le32(-3)},
        {"MoreVerticesThanBytes", header(0, 1) + le32(0) + le32(2) + le32(0x7fffffff) + le32(1)},
        {"VertexCutInHalf", header(0, 1) + le32(0) + le32(2) + le32(1) + le32(5)},
        {"NotABitmapFile", header(ikBitmap, 0) + "GIF89a and then some"},
        {"BitmapPixelsCutShort", header(ikBitmap, 0) + bmp.left(bmp.size() - 3)},
        {"BitmapOfAbsurdSize", header(ikBitmap, 0) + bmp.left(18) + le32(30000) + le32(30000) + bmp.mid(26)},
        {"BitmapOfUnknownDepth", header(ikBitmap, 0) + bitmapFile(4, 4, 7, 0, 0, {}, QByteArray(64, '\0'))},
        {"BitmapOfNoWidth", header(ikBitmap, 0) + bitmapFile(0, 4, 24, 0, 0, {}, QByteArray(48, '\0'))},
        {"BitmapRunPastItsRow",
         header(ikBitmap, 0) + bitmapFile(4, 4, 8, 1, 1, bgr0(1, 2, 3), QByteArray::fromHex("0005 0102"))},
        {"NotZlibData", header(ikDeflatedBitmap, 0) + "definitely not deflated"},
        {"ZlibStreamCutShort", deflatedBytes.left(deflatedBytes.size() - 10)},
        {"ZlibStreamCorrupt", corruptZlib},
        {"NotAJpeg", header(ikJpeg, 0) + "not a jpeg at all"},
        {"JpegCutShort", jpegBytes.left(jpegBytes.size() * 2 / 3)},
    };
    for (const auto &[name, bytes] : cases) {
        TWinShapeData data;
        EXPECT_THROW(data.LoadFromBytes(bytes), EShapeDataError) << name;
        EXPECT_FALSE(data.Loaded) << name;
    }
}

// A negative region count in either layout loads no regions; OffsetPoints moves every vertex, and an
// unknown picture kind leaves the picture the reading object holds as it was.
TEST(ShapeDataReader, ANegativeRegionCountLoadsNoRegionsAndAnUnknownPictureKindKeepsThePicture)
{
    const QByteArray bmp = hex(twoPixelsBitmapFile);
    for (const QByteArray &bytes : {header(0, -1) + bmp, QByteArray(16, '\0') + le32(-7) + bmp}) {
        TWinShapeData data;
        data.LoadFromBytes(bytes);
        EXPECT_TRUE(data.Loaded);
        EXPECT_TRUE(data.Regions.empty());
        EXPECT_EQ(data.Bitmap.width(), 2);
    }
    TWinShapeData data = sampleShape(ikJpeg);
    data.OffsetPoints(-2, 5);
    EXPECT_EQ(data.Regions[1].Points.back(), QPoint(13, 20));
    QByteArray bytes = sampleShape(ikBitmap).SaveToBytes();
    bytes.replace(20, 4, le32(9));
    data.Bitmap = twoPixels;
    data.LoadFromBytes(bytes);
    EXPECT_TRUE(data.Loaded);
    EXPECT_EQ(int(data.ImageKind), 9);
    EXPECT_EQ(data.Bitmap.size(), QSize(2, 1));
    EXPECT_EQ(data.Regions, sampleShape(ikBitmap).Regions);
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
        {bitmapFile(2, -2, 16, 3, 0, masks, hex("00f8 1f00 e007 ffff")),
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

TEST(ShapeOutline, PolygonsVerticesCommentsComputedOrGivenBoundsAndThePictureAndEncoding)
{
    const TWinShapeData data = ParseShapeOutline(QStringLiteral(
        "# voice-mail window\n\npolygon 0\n  11 20\n625 11\n600 390\npolygon 4 9\n100 100\n  # the hole\n"
        "120 100\r\n110 130\n"));
    ASSERT_EQ(data.Regions.size(), 2u);
    EXPECT_EQ(data.Regions[0], (TWinShapeRegion{0, 0, {{11, 20}, {625, 11}, {600, 390}}}));
    EXPECT_EQ(data.Regions[1], (TWinShapeRegion{9, 4, {{100, 100}, {120, 100}, {110, 130}}}));
    EXPECT_EQ(data.Bounds, (TShapeBounds{11, 11, 625, 390}));
    const TWinShapeData given =
        ParseShapeOutline(QStringLiteral("bounds 2 2 263 220\npolygon -1\n5 5\n9 9\n"));
    EXPECT_EQ(given.Bounds, (TShapeBounds{2, 2, 263, 220}));
    EXPECT_EQ(given.Regions[0].CombineMode, -1);
    const QImage picture = gradientPicture(8, 6).convertToFormat(QImage::Format_ARGB32);
    const TWinShapeData built = BuildShapeData(picture, QStringLiteral("polygon 0\n1 1\n7 1\n7 5\n"), ikJpeg);
    EXPECT_EQ(built.ImageKind, ikJpeg);
    EXPECT_EQ(built.Bitmap.size(), QSize(8, 6));
    EXPECT_EQ(built.Bitmap.format(), QImage::Format_RGB32);
    EXPECT_EQ(built.Bounds, (TShapeBounds{1, 1, 7, 5}));
}

// Each refusal names the line at fault.
TEST(ShapeOutline, BadTextIsRefusedNamingTheLine)
{
    const std::pair<const char *, const char *> cases[] = {{"# x\n1 2\n", "line 2"},
                                                           {"polygon 0\n1 two\n", "line 2"},
                                                           {"polygon 0\n1 2 3\n", "line 2"},
                                                           {"polygon\n", "line 1"},
                                                           {"polygon 1 2 3\n", "line 1"},
                                                           {"bounds 1 2 3\n", "line 1"},
                                                           {"bounds 1 2 3 4\n\nbounds 1 2 3 4\n", "line 3"}};
    for (auto [text, mentions] : cases)
        EXPECT_THAT([text] { ParseShapeOutline(QString::fromLatin1(text)); },
                    testing::ThrowsMessage<EShapeDataError>(testing::HasSubstr(mentions)))
            << text;
}
