// The level gauge: the exact drawing of the shipped gauge, over a picture, and peak hold.
#include "controls/VolumeGauge.h"

#include <gtest/gtest.h>

namespace {

const QColor background(65, 59, 52), mark(255, 206, 54), peakColour(254, 235, 175);

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
    // One column of the picture, top to bottom: b background, m mark, p peak.
    std::string column(int x)
    {
        const QImage img = gauge->Picture();
        std::string out;
        for (int y = 0; y < img.height(); ++y) {
            const QColor c = img.pixelColor(x, y);
            out += c == background ? 'b' : c == mark ? 'm' : c == peakColour ? 'p' : '?';
        }
        return out;
    }
};

} // namespace

// Caps at 0..3 and 95..98, first lit tick at 6, last lit under the peak mark at 45, stubs beyond; at full
// scale the last tick is lit, one below it the last two are stubs, and without PeakMeter no mark is drawn.
TEST(GaugeDrawing, TheWorkedExampleLights14TicksWithThePeakMarkAt45)
{
    ShippedGauge g;
    g.gauge->setLevel(16384);
    ASSERT_EQ(g.gauge->Picture().size(), QSize(101, 9));
    const std::pair<int, const char *> columns[] = {
        {0, "mmmmmmmmm"},  {1, "mbbbbbbbm"},  {3, "mmmmmmmmm"},  {4, "bbbbbbbbb"},
        {6, "bbmmmmmmm"},  {7, "bbbbbbbbb"},  {42, "bbmmmmmmm"}, {45, "bbpppppmm"},
        {46, "bbpbbbpbb"}, {48, "bbpppppmm"}, {51, "bbbbbbbmm"}, {93, "bbbbbbbmm"},
        {95, "mmmmmmmmm"}, {96, "mbbbbbbbm"}, {98, "mmmmmmmmm"}, {99, "bbbbbbbbb"}};
    for (auto [x, col] : columns)
        EXPECT_EQ(g.column(x), col) << "column " << x;
    EXPECT_EQ(g.gauge->PeakX(), 45);
    ShippedGauge off;
    off.gauge->setPeakMeter(false); // no peak is kept or drawn
    off.gauge->setLevel(32767);
    EXPECT_EQ(off.gauge->Peak(), 0);
    EXPECT_EQ(off.column(93), "bbmmmmmmm");
    off.gauge->setLevel(32766);
    EXPECT_EQ(off.column(87), "bbmmmmmmm");
    EXPECT_EQ(off.column(90), "bbbbbbbmm");
    EXPECT_EQ(LitTicks(3, 0, 29), 0); // a zero maximum lights nothing and places no mark
    EXPECT_EQ(PeakMarkX(3, 0, 29), 0);
}

TEST(GaugeDrawing, WithABackgroundPictureTheUnlitAreaShowsItUnderTheStubs)
{
    ShippedGauge g;
    auto *picture = new TImage(&g.window);
    const QColor art(1, 100, 200);
    QImage img(101, 9, QImage::Format_RGB32);
    img.fill(art);
    picture->setBitmap(img);
    g.gauge->setImageControl(picture);
    g.gauge->setPeakMeter(false);
    g.gauge->setLevel(16384);
    img = g.gauge->Picture();
    for (auto [x, y, colour] :
         {std::tuple{51, 3, art}, {51, 7, mark}, {51, 8, mark}, {45, 3, mark}, {50, 0, art}})
        EXPECT_EQ(img.pixelColor(x, y), colour) << x << "," << y;
    delete picture; // the picture control goes away: the gauge falls back to its colour
    EXPECT_EQ(g.gauge->Picture().pixelColor(51, 3), background);
}

TEST(GaugePeakHold, APeakIsHeldForTenChangesIgnoredLevelsDoNotAgeItAndTheEleventhBringsItDown)
{
    ShippedGauge g;
    g.gauge->setLevel(30000);
    for (int i = 1; i <= 10; ++i) {
        g.gauge->setLevel(1000 + i * 100);
        for (int ignored : {-1, 32768, 1000 + i * 100}) // out of range or unchanged
            g.gauge->setLevel(ignored);
        EXPECT_EQ(g.gauge->Level(), 1000 + i * 100);
        EXPECT_EQ(g.gauge->Peak(), 30000) << "after change " << i;
    }
    g.gauge->setLevel(16384);
    EXPECT_EQ(g.gauge->Peak(), 16384);
    g.gauge->setLevel(20000); // a higher level raises the peak at once
    EXPECT_EQ(g.gauge->Peak(), 20000);
}
