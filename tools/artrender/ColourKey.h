// Hard-edged colour keying of rendered pictures whose see-through parts are marked by one colour.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include <cmath>

namespace artrender {

// Pictures drawn with a see-through key colour (the slider handle, the level window's cut-out)
// must hold that colour exactly: a blended edge pixel would be neither key nor picture. Every
// pixel that is less than half covered becomes the key colour, every other pixel becomes opaque
// with its own colour.
inline QImage applyColourKey(const QImage &rendered, QColor key)
{
    QImage in = rendered.convertToFormat(QImage::Format_ARGB32);
    QImage out(in.size(), QImage::Format_RGB32);
    const QRgb keyRgb = key.rgb();
    for (int y = 0; y < in.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(in.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < in.width(); ++x)
            dst[x] = qAlpha(src[x]) < 128 ? keyRgb : (src[x] | 0xff000000u);
    }
    return out;
}

// A picture is only ever scaled uniformly: a source whose shape differs from the requested size
// by more than a pixel would come out distorted.
inline bool sameAspect(QSize source, QSize target)
{
    if (source.isEmpty() || target.isEmpty()) return false;
    const double scaledHeight = double(source.height()) * target.width() / source.width();
    return std::abs(scaledHeight - target.height()) <= 1.0;
}

} // namespace artrender
