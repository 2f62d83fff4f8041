// Stored shape data of shaped windows: outline polygons, their bounds and the window's picture.
#pragma once

#include "controls/ByteStream.h"

#include <QImage>
#include <QPoint>

#include <cstdint>
#include <vector>

// How the picture is encoded inside the stored data.
enum TShapeImageKind : std::int32_t {
    ikBitmap = 0,         // a Windows bitmap file image
    ikDeflatedBitmap = 1, // the same bitmap file image as one zlib stream
    ikJpeg = 2,           // a JPEG (JFIF) file image
};

// Rectangle with the window system's edge convention: Right and Bottom are the largest X and Y.
struct TShapeBounds {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    friend bool operator==(const TShapeBounds &, const TShapeBounds &) = default;
};

// One outline polygon.
struct TWinShapeRegion {
    std::int32_t Reserved = 0;
    // How the polygon merges into the polygons before it: 1 and, 2 or, 3 xor, 4 difference,
    // 5 copy; -1 skips it. The first polygon's code is never looked at.
    std::int32_t CombineMode = 0;
    std::vector<QPoint> Points; // picture coordinates

    int PointCount() const { return int(Points.size()); }
    friend bool operator==(const TWinShapeRegion &, const TWinShapeRegion &) = default;
};

// The whole shape as it travels in a form's "StoredData".
class TWinShapeData {
public:
    // Marks the current layout; without it the value at its place is the region count.
    static constexpr std::int32_t LayoutMarker = -2;
    // Upper bound of an inflated bitmap file image; a picture of the largest allowed size fits.
    static constexpr qsizetype MaxInflatedSize = 80 * 1024 * 1024;

    TShapeImageKind ImageKind = ikBitmap;
    bool Loaded = false;
    QImage Bitmap;
    TShapeBounds Bounds;
    std::vector<TWinShapeRegion> Regions;

    // Reads the stored format from the reader's position to the end of its data. Throws
    // EShapeDataError when the data ends early, holds a negative count or a count larger than
    // the bytes left, or carries a picture that cannot be decoded. Reading the picture follows
    // ImageKind, which the legacy layout does not store (it keeps the object's current kind).
    void LoadFromStream(TByteReader &stream);
    void LoadFromBytes(QByteArrayView bytes);

    // Writes the current layout (with the marker), the picture encoded as ImageKind says.
    // An empty picture is stored as no picture bytes (ikDeflatedBitmap: an empty zlib stream).
    void SaveToStream(QByteArray &out) const;
    QByteArray SaveToBytes() const;

    // Drops every region and clears Loaded; the picture, bounds and kind stay.
    void Clear();
    void OffsetPoints(int dx, int dy);

    // The smallest and largest X and Y over the vertices of all regions (zero without vertices).
    TShapeBounds OutlineBounds() const;
};
