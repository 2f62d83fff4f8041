// links: chirpel_controls
// Reads arbitrary bytes as a shaped window's stored shape data: every input must either load or
// be refused with EShapeDataError, never read outside the data or allocate without bound.
#include "controls/WinShapeUtils.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // The first byte picks the kind a legacy layout is read as.
    TWinShapeData shape;
    if (size > 0) shape.ImageKind = static_cast<TShapeImageKind>(data[0] % 3);
    try {
        shape.LoadFromBytes(bytes);
    } catch (const EShapeDataError &) {
        return 0;
    }
    // What was read is written again and must read back to the same outline. Large pictures are
    // left out: re-encoding them costs time without reaching new code.
    if (qint64(shape.Bitmap.width()) * shape.Bitmap.height() > 256 * 256) return 0;
    TWinShapeData again;
    try {
        again.LoadFromBytes(shape.SaveToBytes());
    } catch (const EShapeDataError &) {
        if (shape.ImageKind >= ikBitmap && shape.ImageKind <= ikJpeg) __builtin_trap();
        return 0;
    }
    if (again.Regions != shape.Regions || !(again.Bounds == shape.Bounds)) __builtin_trap();
    return 0;
}
