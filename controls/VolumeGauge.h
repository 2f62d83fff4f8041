// TVolumeGauge: a level shown as a row of thin ticks between two end caps, with an optional
// peak-hold mark.
//
// In a Designer form: <customwidget><class>TVolumeGauge</class><extends>QWidget</extends>
// <header>controls/VolumeGauge.h</header></customwidget>; Image names an optional TImage of the
// form as background.
#pragma once

#include "controls/Image.h"

#include <QColor>
#include <QImage>
#include <QWidget>

// Tick positions run i = 0 .. n at x = 6 + 3i; n for a gauge `width` pixels wide.
int GaugeTickCount(int width);
// How many ticks a level lights: all n + 1 at full scale, else level * n div maxLevel.
int LitTicks(int level, int maxLevel, int n);
// X of the peak mark: the last tick a level equal to the peak lights (0 or 3: no mark).
int PeakMarkX(int peak, int maxLevel, int n);
// One accepted level change of the peak hold: the peak rises at once and otherwise holds for
// `peakFreq` further changes, then drops to the level of the change after those.
void AdvancePeak(int level, int peakFreq, int &peak, int &peakCount);

class TVolumeGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Image READ Image WRITE setImage)
    Q_PROPERTY(int MaxLevel READ MaxLevel WRITE setMaxLevel)
    Q_PROPERTY(int Level READ Level WRITE setLevel)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QColor MarkColor READ MarkColor WRITE setMarkColor)
    Q_PROPERTY(QColor PeakColor READ PeakColor WRITE setPeakColor)
    Q_PROPERTY(bool PeakMeter READ PeakMeter WRITE setPeakMeter)
    Q_PROPERTY(int PeakFreq READ PeakFreq WRITE setPeakFreq)
public:
    explicit TVolumeGauge(QWidget *parent = nullptr);

    QString Image() const { return FImage.Name(); }
    void setImage(const QString &name);
    void setImageControl(TImage *image);
    int MaxLevel() const { return FMaxLevel; }
    void setMaxLevel(int value);
    int Level() const { return FLevel; }
    // Ignored when equal to the current level, negative or above MaxLevel.
    void setLevel(int value);
    QColor Color() const { return FColor; }
    void setColor(const QColor &value);
    QColor MarkColor() const { return FMarkColor; }
    void setMarkColor(const QColor &value);
    QColor PeakColor() const { return FPeakColor; }
    void setPeakColor(const QColor &value);
    bool PeakMeter() const { return FPeakMeter; }
    void setPeakMeter(bool value);
    int PeakFreq() const { return FPeakFreq; }
    void setPeakFreq(int value) { FPeakFreq = value; }

    int Peak() const { return FPeak; }
    int PeakCount() const { return FPeakCount; }
    int PeakX() const { return FPeakX; }

    // The gauge as drawn: background, then the level over it.
    QImage Picture();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Paint(QImage &canvas);
    void DrawLevel(QImage &canvas);
    void DrawPeakMark(QImage &canvas, int x, const QColor &color) const;

    int FMaxLevel = 10;
    int FLevel = 4;
    QColor FColor{0, 0, 0};
    QColor FMarkColor{13, 255, 183};
    TImageLink FImage{this};
    bool FPeakMeter = false;
    QColor FPeakColor{255, 102, 0};
    int FPeak = 0;
    int FPeakCount = 0;
    int FPeakX = 0;
    int FPeakFreq = 0;
};
