// Stored shape data of shaped windows: outline polygons, their bounds and the window's picture.
#include "controls/WinShapeUtils.h"

#include "controls/BitmapFile.h"
#include "platform/images/JpegCodec.h"
#include "platform/images/ZlibCodec.h"

#include <algorithm>

namespace {

constexpr int RegionHeaderSize = 12;
constexpr int VertexSize = 8;
constexpr int JpegQuality = 90;

TWinShapeRegion readRegion(TByteReader &stream)
{
    TWinShapeRegion region;
    region.Reserved = stream.ReadInt32();
    region.CombineMode = stream.ReadInt32();
    const std::int32_t count = stream.ReadInt32();
    if (count < 0) throw EShapeDataError("shape data holds a negative vertex count");
    if (qint64(count) * VertexSize > stream.Remaining())
        throw EShapeDataError("shape data holds more vertices than bytes left");
    region.Points.reserve(std::size_t(count));
    for (std::int32_t i = 0; i < count; ++i) {
        const int x = stream.ReadInt32();
        const int y = stream.ReadInt32();
        region.Points.emplace_back(x, y);
    }
    return region;
}

QImage readPicture(TShapeImageKind kind, QByteArrayView bytes, const QImage &current)
{
    try {
        switch (kind) {
        case ikBitmap:
            return ReadBitmapFileImage(bytes);
        case ikDeflatedBitmap:
            return ReadBitmapFileImage(platform::zlibInflate(bytes, TWinShapeData::MaxInflatedSize));
        case ikJpeg:
            return bytes.isEmpty() ? QImage() : platform::jpegDecode(bytes, MaxStoredPicturePixels);
        }
    } catch (const platform::ZlibError &e) {
        throw EShapeDataError(std::string("shape picture: ") + e.what());
    } catch (const platform::JpegError &e) {
        throw EShapeDataError(std::string("shape picture: ") + e.what());
    }
    return current; // an unknown kind leaves the picture as it is
}

QByteArray encodePicture(TShapeImageKind kind, const QImage &picture)
{
    switch (kind) {
    case ikBitmap:
        return BitmapFileImage(picture);
    case ikDeflatedBitmap:
        return platform::zlibDeflate(BitmapFileImage(picture));
    case ikJpeg:
        if (picture.isNull() || picture.width() == 0 || picture.height() == 0) return {};
        return platform::jpegEncode(picture, JpegQuality);
    }
    return {};
}

} // namespace

void TWinShapeData::LoadFromStream(TByteReader &stream)
{
    Clear();
    Bounds.Left = stream.ReadInt32();
    Bounds.Top = stream.ReadInt32();
    Bounds.Right = stream.ReadInt32();
    Bounds.Bottom = stream.ReadInt32();
    std::int32_t count = stream.ReadInt32();
    if (count == LayoutMarker) {
        ImageKind = static_cast<TShapeImageKind>(stream.ReadInt32());
        count = stream.ReadInt32();
    }
    // A negative count, as the stored data of old forms may hold, means no regions.
    if (count < 0) count = 0;
    if (qint64(count) * RegionHeaderSize > stream.Remaining())
        throw EShapeDataError("shape data holds more regions than bytes left");
    std::vector<TWinShapeRegion> regions;
    regions.reserve(std::size_t(count));
    for (std::int32_t i = 0; i < count; ++i)
        regions.push_back(readRegion(stream));
    Regions = std::move(regions);
    Bitmap = readPicture(ImageKind, stream.ReadRest(), Bitmap);
    Loaded = true;
}

void TWinShapeData::LoadFromBytes(QByteArrayView bytes)
{
    TByteReader reader(bytes);
    LoadFromStream(reader);
}

void TWinShapeData::SaveToStream(QByteArray &out) const
{
    TByteWriter w(out);
    w.WriteInt32(Bounds.Left);
    w.WriteInt32(Bounds.Top);
    w.WriteInt32(Bounds.Right);
    w.WriteInt32(Bounds.Bottom);
    w.WriteInt32(LayoutMarker);
    w.WriteInt32(ImageKind);
    w.WriteInt32(std::int32_t(Regions.size()));
    for (const TWinShapeRegion &region : Regions) {
        w.WriteInt32(region.Reserved);
        w.WriteInt32(region.CombineMode);
        w.WriteInt32(region.PointCount());
        for (const QPoint &p : region.Points) {
            w.WriteInt32(p.x());
            w.WriteInt32(p.y());
        }
    }
    w.WriteBytes(encodePicture(ImageKind, Bitmap));
}

QByteArray TWinShapeData::SaveToBytes() const
{
    QByteArray out;
    SaveToStream(out);
    return out;
}

void TWinShapeData::Clear()
{
    Regions.clear();
    Loaded = false;
}

void TWinShapeData::OffsetPoints(int dx, int dy)
{
    for (TWinShapeRegion &region : Regions)
        for (QPoint &p : region.Points)
            p += QPoint(dx, dy);
}

TShapeBounds TWinShapeData::OutlineBounds() const
{
    bool any = false;
    TShapeBounds b;
    for (const TWinShapeRegion &region : Regions)
        for (const QPoint &p : region.Points) {
            if (!any) {
                b = {p.x(), p.y(), p.x(), p.y()};
                any = true;
                continue;
            }
            b.Left = std::min(b.Left, p.x());
            b.Top = std::min(b.Top, p.y());
            b.Right = std::max(b.Right, p.x());
            b.Bottom = std::max(b.Bottom, p.y());
        }
    return b;
}
