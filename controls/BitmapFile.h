// Windows bitmap file images ("BM" files) as stored inside shape data.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

// The largest picture a bitmap or JPEG image inside stored data may hold; far above any window
// outline, and small enough that corrupt sizes cannot make the reader take gigabytes.
constexpr qint64 MaxStoredPicturePixels = 16 * 1024 * 1024;

// The picture as a 24-bit bottom-up bitmap file image (file header, 40-byte info header, rows
// padded to four bytes). An empty picture gives no bytes at all.
QByteArray BitmapFileImage(const QImage &picture);

// Reads a bitmap file image: info headers of 12 to 124 bytes, 1, 4 and 8 bits with a colour
// table (uncompressed or run-length encoded), 16 and 32 bits (plain or with bit fields) and
// 24 bits. No bytes give an empty picture. Throws EShapeDataError on anything else, on pixel
// data that ends early and on pictures larger than `maxPixels`.
QImage ReadBitmapFileImage(QByteArrayView data, qint64 maxPixels = MaxStoredPicturePixels);
