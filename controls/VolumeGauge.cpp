// TVolumeGauge: a level shown as a row of thin ticks with a peak-hold mark.
#include "controls/VolumeGauge.h"

#include <QPainter>

#include <algorithm>

int GaugeTickCount(int width)
{
    return (width - 6) / 3 - 2;
}

int LitTicks(int level, int maxLevel, int n)
{
    if (level == maxLevel) return n + 1;
    if (maxLevel <= 0) return 0;
    return int(qint64(level) * n / maxLevel);
}

int PeakMarkX(int peak, int maxLevel, int n)
{
    if (maxLevel <= 0) return 0;
    return int((qint64(peak) * n / maxLevel + 1) * 3);
}

void AdvancePeak(int level, int peakFreq, int &peak, int &peakCount)
{
    ++peakCount;
    if (peak < level || peakCount > peakFreq) {
        peakCount = 0;
        peak = level;
    }
}

namespace {

// Lines are drawn as the window system draws polylines: one pixel wide, end point left out.
void verticalLine(QPainter &p, int x, int fromY, int toY, const QColor &color)
{
    if (fromY < toY)
        p.fillRect(x, fromY, 1, toY - fromY, color);
    else if (toY < fromY)
        p.fillRect(x, toY + 1, 1, fromY - toY, color);
}

// The closed outline through (left, top), (left + 3, top), (left + 3, bottom), (left, bottom).
void boxOutline(QPainter &p, int left, int top, int bottom, const QColor &color)
{
    if (bottom < top) return;
    p.fillRect(left, top, 4, 1, color);
    p.fillRect(left, bottom, 4, 1, color);
    p.fillRect(left, top, 1, bottom - top + 1, color);
    p.fillRect(left + 3, top, 1, bottom - top + 1, color);
}

} // namespace

TVolumeGauge::TVolumeGauge(QWidget *parent) : QWidget(parent)
{
    resize(200, 12);
}

void TVolumeGauge::setImage(const QString &name)
{
    FImage.SetName(name);
    update();
}

void TVolumeGauge::setImageControl(TImage *image)
{
    FImage.Set(image);
    update();
}

void TVolumeGauge::setMaxLevel(int value)
{
    FMaxLevel = value;
    update();
}

void TVolumeGauge::setLevel(int value)
{
    if (value == FLevel || value > FMaxLevel || value < 0) return;
    FLevel = value;
    if (FPeakMeter) AdvancePeak(value, FPeakFreq, FPeak, FPeakCount);
    update();
}

void TVolumeGauge::setColor(const QColor &value)
{
    FColor = value;
    update();
}

void TVolumeGauge::setMarkColor(const QColor &value)
{
    FMarkColor = value;
    update();
}

void TVolumeGauge::setPeakColor(const QColor &value)
{
    FPeakColor = value;
    update();
}

void TVolumeGauge::setPeakMeter(bool value)
{
    FPeakMeter = value;
    update();
}

QImage TVolumeGauge::Picture()
{
    QImage canvas(size(), QImage::Format_RGB32);
    canvas.fill(Qt::black);
    Paint(canvas);
    return canvas;
}

void TVolumeGauge::paintEvent(QPaintEvent *)
{
    const QImage canvas = Picture();
    QPainter(this).drawImage(0, 0, canvas);
}

void TVolumeGauge::Paint(QImage &canvas)
{
    {
        QPainter p(&canvas);
        if (const QImage *image = FImage.Bitmap())
            p.drawImage(0, 0, *image);
        else
            p.fillRect(canvas.rect(), FColor);
    }
    DrawLevel(canvas);
}

void TVolumeGauge::DrawLevel(QImage &canvas)
{
    const int w = width(), h = height();
    const QImage *image = FImage.Bitmap();
    DrawPeakMark(canvas, FPeakX, FColor);
    QPainter p(&canvas);
    boxOutline(p, 0, 0, h - 1, FMarkColor);
    boxOutline(p, w - 6, 0, h - 1, FMarkColor);

    const int n = GaugeTickCount(w);
    const int k = std::clamp(LitTicks(FLevel, FMaxLevel, n), 0, std::max(n + 1, 0));
    for (int i = 0; i < k; ++i)
        verticalLine(p, 6 + 3 * i, 2, h, FMarkColor);
    if (image) {
        // Right of the lit ticks the background picture shows again.
        const QRect restore(3 * k + 4, 0, (w - 6) - (3 * k + 4), h - 2);
        if (restore.isValid()) p.drawImage(restore.topLeft(), *image, restore);
    }
    for (int i = k; i <= n; ++i) {
        const int x = 6 + 3 * i;
        if (!image) verticalLine(p, x, h - 2, 1, FColor);
        verticalLine(p, x, h - 2, h, FMarkColor);
    }
    p.end();

    FPeakX = PeakMarkX(FPeak, FMaxLevel, n);
    DrawPeakMark(canvas, FPeakX, FPeakColor);
}

void TVolumeGauge::DrawPeakMark(QImage &canvas, int x, const QColor &color) const
{
    if (!FPeakMeter || x == 0 || x == 3) return;
    QPainter p(&canvas);
    boxOutline(p, x, 2, height() - 3, color);
}
