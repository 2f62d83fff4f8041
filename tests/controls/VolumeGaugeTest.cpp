// The level gauge: its tick arithmetic, the exact drawing of the shipped gauge, and peak hold.
#include "controls/VolumeGauge.h"

#include <gtest/gtest.h>

namespace {

const QColor background(65, 59, 52);
const QColor mark(255, 206, 54);
const QColor peakColour(254, 235, 175);

// The recorder panel's gauge: 101 x 9, full scale 32767, peak hold for 10 changes.
struct ShippedGauge {
    QWidget window;
    TVolumeGauge *gauge = new TVolumeGauge(&window);

    ShippedGauge()
    {
        gauge->resize(101, 9);
        gauge->setMaxLevel(32767);
        gauge->setColor(background);
        gauge->setMarkColor(mark);
        gauge->setPeakColor(peakColour);
        gauge->setPeakMeter(true);
        gauge->setPeakFreq(10);
        gauge->setLevel(0);
    }

    // One column of the picture from top to bottom, as letters: b background, m mark, p peak.
    std::string column(const QImage &img, int x)
    {
        std::string out;
        for (int y = 0; y < img.height(); ++y) {
            const QColor c = img.pixelColor(x, y);
            out += c == background ? 'b' : c == mark ? 'm' : c == peakColour ? 'p' : '?';
        }
        return out;
    }
};

} // namespace

TEST(GaugeArithmetic, TheShippedGaugeHas30TicksAndLevelsLightThemInProportion)
{
    const int n = GaugeTickCount(101);
    EXPECT_EQ(n, 29);
    EXPECT_EQ(LitTicks(16384, 32767, n), 14);
    EXPECT_EQ(LitTicks(32767, 32767, n), 30);
    EXPECT_EQ(LitTicks(32766, 32767, n), 28);
    EXPECT_EQ(LitTicks(0, 32767, n), 0);
    EXPECT_EQ(PeakMarkX(16384, 32767, n), 45);
    EXPECT_EQ(PeakMarkX(32767, 32767, n), 90); // on the last tick but one
    EXPECT_EQ(PeakMarkX(100, 32767, n), 3);    // below one tick: no mark
    // A zero maximum lights nothing instead of dividing by it.
    EXPECT_EQ(LitTicks(3, 0, n), 0);
    EXPECT_EQ(PeakMarkX(3, 0, n), 0);
}

TEST(GaugeDrawing, TheWorkedExampleLights14TicksWithThePeakMarkAt45)
{
    ShippedGauge g;
    g.gauge->setLevel(16384);
    const QImage img = g.gauge->Picture();
    ASSERT_EQ(img.size(), QSize(101, 9));

    EXPECT_EQ(g.column(img, 0), "mmmmmmmmm"); // left cap, columns 0..3
    EXPECT_EQ(g.column(img, 1), "mbbbbbbbm");
    EXPECT_EQ(g.column(img, 3), "mmmmmmmmm");
    EXPECT_EQ(g.column(img, 4), "bbbbbbbbb");
    EXPECT_EQ(g.column(img, 6), "bbmmmmmmm"); // first lit tick: rows 2..8
    EXPECT_EQ(g.column(img, 7), "bbbbbbbbb");
    EXPECT_EQ(g.column(img, 42), "bbmmmmmmm");
    EXPECT_EQ(g.column(img, 45), "bbpppppmm"); // last lit tick under the peak mark
    EXPECT_EQ(g.column(img, 46), "bbpbbbpbb");
    EXPECT_EQ(g.column(img, 48), "bbpppppmm"); // first unlit tick: its stub below the mark
    EXPECT_EQ(g.column(img, 51), "bbbbbbbmm");
    EXPECT_EQ(g.column(img, 93), "bbbbbbbmm"); // the last tick position
    EXPECT_EQ(g.column(img, 95), "mmmmmmmmm"); // right cap, columns 95..98
    EXPECT_EQ(g.column(img, 96), "mbbbbbbbm");
    EXPECT_EQ(g.column(img, 98), "mmmmmmmmm");
    EXPECT_EQ(g.column(img, 99), "bbbbbbbbb");
    EXPECT_EQ(g.gauge->PeakX(), 45);
}

TEST(GaugeDrawing, FullScaleLightsTheLastTickAndOneBelowLeavesTwoDark)
{
    ShippedGauge g;
    g.gauge->setPeakMeter(false);
    g.gauge->setLevel(32767);
    QImage img = g.gauge->Picture();
    EXPECT_EQ(g.column(img, 93), "bbmmmmmmm");
    g.gauge->setLevel(32766);
    img = g.gauge->Picture();
    EXPECT_EQ(g.column(img, 87), "bbmmmmmmm"); // tick 27, the 28th
    EXPECT_EQ(g.column(img, 90), "bbbbbbbmm");
    EXPECT_EQ(g.column(img, 93), "bbbbbbbmm");
}

TEST(GaugeDrawing, APeakBelowOneTickDrawsNoMark)
{
    ShippedGauge g;
    g.gauge->setLevel(100);
    const QImage img = g.gauge->Picture();
    EXPECT_EQ(g.gauge->PeakX(), 3);
    EXPECT_EQ(g.column(img, 3), "mmmmmmmmm");
    EXPECT_EQ(g.column(img, 4), "bbbbbbbbb");
}

TEST(GaugeDrawing, WithABackgroundPictureTheUnlitAreaShowsItUnderTheStubs)
{
    ShippedGauge g;
    auto *picture = new TImage(&g.window);
    QImage art(101, 9, QImage::Format_RGB32);
    art.fill(QColor(1, 100, 200));
    picture->setBitmap(art);
    g.gauge->setImageControl(picture);
    g.gauge->setPeakMeter(false);
    g.gauge->setLevel(16384);
    const QImage img = g.gauge->Picture();
    const QColor artColour(1, 100, 200);
    EXPECT_EQ(img.pixelColor(51, 3), artColour);
    EXPECT_EQ(img.pixelColor(51, 7), mark);
    EXPECT_EQ(img.pixelColor(51, 8), mark);
    EXPECT_EQ(img.pixelColor(45, 3), mark);
    EXPECT_EQ(img.pixelColor(50, 0), artColour);

    delete picture; // the picture control goes away: the gauge falls back to its colour
    EXPECT_EQ(g.gauge->Picture().pixelColor(51, 3), background);
}

TEST(GaugePeakHold, APeakIsHeldForTenChangesAndTheEleventhBringsItDown)
{
    ShippedGauge g;
    g.gauge->setLevel(30000);
    EXPECT_EQ(g.gauge->Peak(), 30000);
    for (int i = 1; i <= 10; ++i) {
        g.gauge->setLevel(1000 + i * 100);
        EXPECT_EQ(g.gauge->Peak(), 30000) << "after change " << i;
    }
    g.gauge->setLevel(16384);
    EXPECT_EQ(g.gauge->Peak(), 16384);
    EXPECT_EQ(g.gauge->PeakCount(), 0);
    g.gauge->Picture();
    EXPECT_EQ(g.gauge->PeakX(), 45);
}

TEST(GaugePeakHold, AHigherLevelRaisesThePeakAtOnce)
{
    int peak = 0, count = 0;
    AdvancePeak(500, 10, peak, count);
    AdvancePeak(200, 10, peak, count);
    AdvancePeak(900, 10, peak, count);
    EXPECT_EQ(peak, 900);
    EXPECT_EQ(count, 0);
}

TEST(GaugePeakHold, IgnoredLevelsChangeNothingAndDoNotAgeThePeak)
{
    ShippedGauge g;
    g.gauge->setLevel(20000);
    g.gauge->setLevel(500);
    const int count = g.gauge->PeakCount();
    for (int ignored : {500, -1, 32768, 100000}) {
        g.gauge->setLevel(ignored);
        EXPECT_EQ(g.gauge->Level(), 500);
        EXPECT_EQ(g.gauge->PeakCount(), count);
    }
    EXPECT_EQ(g.gauge->Peak(), 20000);
}

TEST(GaugePeakHold, WithoutPeakMeterThePeakIsNeitherKeptNorDrawn)
{
    ShippedGauge g;
    g.gauge->setPeakMeter(false);
    g.gauge->setLevel(20000);
    EXPECT_EQ(g.gauge->Peak(), 0);
    const QImage img = g.gauge->Picture();
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            ASSERT_NE(img.pixelColor(x, y), peakColour);
}
