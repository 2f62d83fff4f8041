// Helpers shared by the custom-control tests: pictures with known pixels and rendering.
#pragma once

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cstdlib>

namespace controlstest {

// Every pixel differs from its neighbours predictably, and smoothly enough to survive JPEG.
inline QImage gradientPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), 128));
    return img;
}

// A strip of solid frames, frame i in colours[i].
inline QImage stripPicture(int frameWidth, int height, const std::vector<QColor> &colours)
{
    QImage img(frameWidth * int(colours.size()), height, QImage::Format_RGB32);
    QPainter p(&img);
    for (std::size_t i = 0; i < colours.size(); ++i)
        p.fillRect(int(i) * frameWidth, 0, frameWidth, height, colours[i]);
    return img;
}

// What a widget paints by itself, over a background of `under`.
inline QImage rendered(QWidget &w, QColor under = QColor(1, 2, 3))
{
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(under);
    w.render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    return img;
}

inline int maxChannelDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int shift : {0, 8, 16}) // blue, green, red
                worst = std::max(
                    worst, std::abs(int(a.pixel(x, y) >> shift & 0xff) - int(b.pixel(x, y) >> shift & 0xff)));
    return worst;
}

} // namespace controlstest
