// Stored shape data: the byte format, its three picture encodings, the legacy layout and the
// refusal of data that does not hold together.
#include "controls/WinShapeUtils.h"

#include "controls/BitmapFile.h"
#include "controls/ControlsTestSupport.h"

#include <gtest/gtest.h>

using controlstest::gradientPicture;
using controlstest::maxChannelDifference;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray int32(std::int32_t v)
{
    QByteArray out;
    TByteWriter(out).WriteInt32(v);
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

QImage twoPixels() // red, then blue
{
    return controlstest::stripPicture(1, 1, {Qt::red, Qt::blue});
}

const char *twoPixelsBitmapFile = "424d 3e000000 00000000 36000000"               // file header
                                  "28000000 02000000 01000000 0100 1800 00000000" // info header
                                  "08000000 00000000 00000000 00000000 00000000"  // size, resolution, colours
                                  "0000ff ff0000 0000";                           // one row, padded

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
        if (tolerance == 0) {
            EXPECT_EQ(copy.SaveToBytes(), bytes) << "a lossless picture is written the same";
        }
        original.Bitmap = QImage();
        copy.LoadFromBytes(original.SaveToBytes());
        EXPECT_EQ(copy.Bitmap.width(), 0) << kind;
        EXPECT_EQ(copy.Regions, original.Regions);
    }
}

// The deflated picture is one zlib stream of the bitmap file, the JPEG a baseline JFIF.
TEST(ShapeDataFormat, ASmallShapeIsWrittenByteForByteAndEachPictureInItsEncoding)

{
    TWinShapeData data;
    data.Bounds = {1, 2, 30, 40};
    data.Regions = {TWinShapeRegion{7, 2, {{1, 2}, {30, 2}, {-4, 40}}}};
    data.Bitmap = twoPixels();
    const QByteArray expected = hex("01000000 02000000 1e000000 28000000" // bounds
                                    "feffffff 00000000 01000000"          // marker, kind, one region
                                    "07000000 02000000 03000000"          // reserved, combine, 3 vertices
                                    "01000000 02000000 1e000000 02000000 fcffffff 28000000") +
                                hex(twoPixelsBitmapFile);
    EXPECT_EQ(data.SaveToBytes().toHex(' '), expected.toHex(' '));
    const QByteArray deflated = pictureOnly(ikDeflatedBitmap, twoPixels()).mid(28);
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
    EXPECT_EQ(data.Bounds, (TShapeBounds{11, 11, 625, 390}));
    ASSERT_EQ(data.Regions.size(), 1u);
    EXPECT_EQ(data.Regions[0].CombineMode, -1);
    EXPECT_EQ(data.Regions[0].Points, (std::vector<QPoint>{{11, 11}, {625, 11}, {11, 390}}));
    EXPECT_EQ(data.Bitmap.pixel(1, 0), qRgb(0, 0, 255));
    const QByteArray written = data.SaveToBytes();
    EXPECT_EQ(written.mid(16, 8), hex("feffffff 00000000"));
    EXPECT_EQ(written.left(16), legacy.left(16));
    EXPECT_EQ(written.mid(24), legacy.mid(16));

    // Without a kind in the data, the picture is decoded as the reading object's current kind.
    const QByteArray current = pictureOnly(ikDeflatedBitmap, twoPixels());
    const QByteArray kindless = current.left(16) + int32(0) + current.mid(28);
    TWinShapeData reader;
    reader.ImageKind = ikDeflatedBitmap;
    reader.LoadFromBytes(kindless);
    EXPECT_EQ(reader.ImageKind, ikDeflatedBitmap);
    EXPECT_EQ(reader.Bitmap.pixel(0, 0), qRgb(255, 0, 0));
    TWinShapeData fresh;
    EXPECT_THROW(fresh.LoadFromBytes(kindless), EShapeDataError); // zlib data is no bitmap file
}

TEST(ShapeDataOperations, OffsetPointsMovesEveryVertexClearAndAnUnknownPictureKindKeepPictureBoundsAndKind)
{
    TWinShapeData data = sampleShape(ikJpeg);
    data.OffsetPoints(-2, 5);
    EXPECT_EQ(data.Regions[0].Points.front(), QPoint(0, 8));
    EXPECT_EQ(data.Regions[1].Points.back(), QPoint(13, 20));
    EXPECT_EQ(data.Bounds, (TShapeBounds{2, 3, 37, 27})); // bounds are stored, never recomputed
    data.Loaded = true;
    data.Clear();
    EXPECT_TRUE(data.Regions.empty());
    EXPECT_FALSE(data.Loaded);
    EXPECT_EQ(data.Bounds, (TShapeBounds{2, 3, 37, 27}));
    EXPECT_EQ(data.ImageKind, ikJpeg);
    EXPECT_EQ(data.Bitmap.width(), 40);
    QByteArray bytes = sampleShape(ikBitmap).SaveToBytes();
    bytes.replace(20, 4, int32(9)); // an unknown picture kind leaves the picture as it was
    data.Bitmap = twoPixels();
    data.LoadFromBytes(bytes);
    EXPECT_TRUE(data.Loaded);
    EXPECT_EQ(int(data.ImageKind), 9);
    EXPECT_EQ(data.Bitmap.size(), QSize(2, 1));
    EXPECT_EQ(data.Regions.size(), 2u);
}

namespace {

struct CorruptCase {
    const char *name;
    QByteArray bytes;
};

QByteArray header(std::int32_t kind, std::int32_t regions)
{
    return QByteArray(16, '\0') + int32(-2) + int32(kind) + int32(regions);
}

QByteArray withPicture(TShapeImageKind kind, const QByteArray &picture)
{
    return header(kind, 0) + picture;
}

std::vector<CorruptCase> corruptCases()
{
    const QByteArray jpegBytes = pictureOnly(ikJpeg, gradientPicture(32, 32));
    const QByteArray bmp = hex(twoPixelsBitmapFile);
    const QByteArray deflatedBytes = pictureOnly(ikDeflatedBitmap, gradientPicture(32, 32));
    QByteArray corruptZlib = deflatedBytes;
    corruptZlib[40] = char(corruptZlib[40] ^ 0x55);
    corruptZlib[41] = char(corruptZlib[41] ^ 0x55);
    return {
        {"NoBytes", QByteArray()},
        {"EndsInsideTheBounds", QByteArray(10, '\0')},
        {"EndsBeforeTheRegionCount", QByteArray(16, '\0') + int32(-2) + int32(0)},
        {"MoreRegionsThanBytes", header(0, 1000000)},
        {"HugeRegionCount", header(0, 0x7fffffff)},
        {"RegionRecordCutShort", header(0, 1) + int32(0) + int32(2)},
        {"NegativeVertexCount", header(0, 1) + int32(0) + int32(2) + int32(-3)},
        {"MoreVerticesThanBytes", header(0, 1) + int32(0) + int32(2) + int32(0x7fffffff) + int32(1)},
        {"VertexCutInHalf", header(0, 1) + int32(0) + int32(2) + int32(1) + int32(5)},
        {"NotABitmapFile", withPicture(ikBitmap, "GIF89a and then some")},
        {"BitmapPixelsCutShort", withPicture(ikBitmap, bmp.left(bmp.size() - 3))},
        {"BitmapOfAbsurdSize",
         withPicture(ikBitmap, bmp.left(18) + int32(30000) + int32(30000) + bmp.mid(26))},
        {"NotZlibData", withPicture(ikDeflatedBitmap, "definitely not deflated")},
        {"ZlibStreamCutShort", deflatedBytes.left(deflatedBytes.size() - 10)},
        {"ZlibStreamCorrupt", corruptZlib},
        {"NotAJpeg", withPicture(ikJpeg, "not a jpeg at all")},
        {"JpegCutShort", jpegBytes.left(jpegBytes.size() * 2 / 3)},
    };
}

} // namespace

TEST(CorruptShapeData, IsRefusedWithAShapeDataErrorAndNotMarkedLoaded)
{
    for (const CorruptCase &c : corruptCases()) {
        TWinShapeData data;
        EXPECT_THROW(data.LoadFromBytes(c.bytes), EShapeDataError) << c.name;
        EXPECT_FALSE(data.Loaded) << c.name;
    }
}

TEST(ShapeDataReader, ANegativeRegionCountInEitherLayoutLoadsNoRegionsAndAStreamIsReadFromItsPosition)
{
    const QByteArray bmp = hex(twoPixelsBitmapFile);
    for (const QByteArray &bytes : {header(0, -1) + bmp, QByteArray(16, '\0') + int32(-7) + bmp}) {
        TWinShapeData data;
        data.LoadFromBytes(bytes);
        EXPECT_TRUE(data.Loaded);
        EXPECT_TRUE(data.Regions.empty());
        EXPECT_EQ(data.Bitmap.width(), 2);
    }
    const QByteArray stream = QByteArray("prefix") + sampleShape(ikDeflatedBitmap).SaveToBytes();
    TByteReader reader(stream, 6);
    TWinShapeData data;
    data.LoadFromStream(reader);
    EXPECT_EQ(data.Regions.size(), 2u);
    EXPECT_EQ(reader.Remaining(), 0);
}
