// The gallery's scenes: the voice-mail window on both pages, every button strip in every state, the
// monkey, the level window at several slider positions, the level gauge and GSM lamps, the tip
// bubble in both modes, the backdrop and the program icon.
#include "Scenes.h"

#include "MaskedGrab.h"
#include "controls/BitmapControl.h"
#include "controls/Image.h"
#include "controls/ScreenPicture.h"
#include "controls/VolumeGauge.h"
#include "controls/WinShape.h"
#include "controls/ZSlider.h"

#include <QLabel>
#include <QPainter>
#include <QStackedWidget>

#include <cmath>

namespace {

const QColor Navy(0x2a, 0x2f, 0x6b);
const QColor ScreenColour(0xc9, 0xee, 0xff); // the dashboard screen the big buttons sit on
const QColor BodyColour(0xff, 0xd4, 0x47);   // the window body the small buttons sit on
const QColor Lime(0, 255, 0);

QString Art(const char *name)
{
    return ArtPicturePath(name);
}

QString ShapeData(const char *name)
{
    return QStringLiteral(":/chirpel/shapes/%1.bin").arg(QLatin1String(name));
}

// A picture holder as the windows keep them: out of sight, only lending its strip.
TImage *Holder(QWidget *parent, const char *art)
{
    auto *image = new TImage(parent);
    image->setObjectName(QLatin1String(art));
    image->setPicture(Art(art));
    image->hide();
    return image;
}

TBitmapControl *Button(QWidget *parent, TImage *strip, int frames, QPoint at)
{
    auto *button = new TBitmapControl(parent);
    button->setImageControl(strip);
    button->setNumImages(frames);
    button->move(at);
    button->setHover(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLabel *Caption(QWidget *parent, const QString &text, QRect where, int pixelSize = 13, bool bold = false)
{
    auto *label = new QLabel(text, parent);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    label->setGeometry(where);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Navy);
    label->setPalette(palette);
    return label;
}

QWidget *Swatch(QWidget *parent, const QColor &colour, QRect where)
{
    auto *swatch = new QWidget(parent);
    swatch->setAutoFillBackground(true);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colour);
    swatch->setPalette(palette);
    swatch->setGeometry(where);
    return swatch;
}

// The voice-mail window built as its form lays it out, with the dashboard on the given page.
QWidget *VoiceMailWindow(QWidget *parent, QPoint at, int page)
{
    auto *window = new QWidget(parent);
    window->move(at);
    auto *body = new TWinShape(window);
    body->setAutoDrag(false);
    body->setStoredData(ShapeData("body"));

    TImage *menu = Holder(window, "btn_menu");
    TImage *close = Holder(window, "btn_close");
    TImage *monkeyStrip = Holder(window, "monkey");
    TImage *record = Holder(window, "btn_record");
    TImage *play = Holder(window, "btn_play");
    TImage *send = Holder(window, "btn_send");
    TImage *stop = Holder(window, "btn_stop");

    Button(window, menu, 3, {83, 193});
    Button(window, close, 3, {516, 116});
    TBitmapControl *monkey = Button(window, monkeyStrip, 2, {143, 278});
    monkey->setImageDown(1);
    monkey->setImageActive(1);
    monkey->setCursor(Qt::ArrowCursor);

    auto *panel = new QWidget(window);
    panel->setGeometry(0, 0, 453, 224);
    auto *dashboard = new TWinShape(panel);
    dashboard->setStoredData(ShapeData("dashboard"));
    auto *book = new QStackedWidget(panel);
    book->setGeometry(-3, -6, 451, 196);

    auto *idle = new QWidget(book);
    auto *idleBackground = new TImage(idle);
    idleBackground->setPicture(Art("page_default"));
    idleBackground->resize(idleBackground->Bitmap().size());
    Button(idle, record, 3, {34, 35});
    Button(idle, play, 3, {166, 35});
    Button(idle, send, 3, {298, 35});
    book->addWidget(idle);

    auto *busy = new QWidget(book);
    auto *busyBackground = new TImage(busy);
    busyBackground->setPicture(Art("page_recording"));
    busyBackground->resize(busyBackground->Bitmap().size());
    Button(busy, stop, 3, {34, 35});
    Caption(busy, QStringLiteral("Recording..."), {181, 42, 208, 22}, 15, true);
    QLabel *progress = Caption(busy, QStringLiteral("|%1%2|").arg(QString(20, u'|'), QString(30, u'.')),
                               {181, 86, 208, 18}, 13, true);
    progress->setWordWrap(false);
    Caption(busy, QStringLiteral("20 Sec."), {181, 112, 208, 32}, 24);
    book->addWidget(busy);
    book->setCurrentIndex(page);

    body->setActive(true);
    dashboard->setActive(true);
    return window;
}

QWidget *VoiceMailScene(QWidget *parent, int page)
{
    auto *scene = new TCheckerPanel(parent);
    VoiceMailWindow(scene, {16, 16}, page);
    scene->resize(614 + 32, 379 + 32);
    return scene;
}

// Every button strip through its frames: each frame shown as the button's up picture, and the
// button disabled, on the colour the button sits on in the window.
QWidget *ButtonsScene(QWidget *parent)
{
    auto *scene = new QWidget(parent);
    scene->setAutoFillBackground(true);
    struct Row {
        const char *art;
        const char *label;
        int size;
        QColor under;
    };
    const Row rows[] = {{"btn_record", "record", 120, ScreenColour}, {"btn_play", "play", 120, ScreenColour},
                        {"btn_send", "send", 120, ScreenColour},     {"btn_stop", "stop", 120, ScreenColour},
                        {"btn_close", "close", 64, BodyColour},      {"btn_menu", "menu", 60, BodyColour}};
    const char *columns[] = {"up (frame 0)", "down (frame 1)", "active (frame 2)", "disabled"};
    const int left = 90;
    const int cell = 140;
    for (int c = 0; c < 4; ++c)
        Caption(scene, QString::fromLatin1(columns[c]), {left + c * cell, 8, cell, 18}, 13, true);
    int y = 32;
    for (const Row &row : rows) {
        Caption(scene, QString::fromLatin1(row.label), {8, y + row.size / 2 - 9, left - 12, 18}, 13, true);
        TImage *strip = Holder(scene, row.art);
        for (int c = 0; c < 4; ++c) {
            const QPoint at(left + c * cell + (cell - 10 - row.size) / 2, y);
            Swatch(scene, row.under, {at.x() - 5, y - 5, row.size + 10, row.size + 10});
            TBitmapControl *button = Button(scene, strip, 3, at);
            if (c < 3)
                button->setImageUp(c);
            else
                button->setEnabled(false);
        }
        y += row.size + 16;
    }
    Caption(scene,
            QStringLiteral(
                "Disabled buttons show frame 3, which these three-frame strips do not have: the window "
                "never disables them."),
            {8, y, left + 4 * cell - 16, 36}, 12);
    scene->resize(left + 4 * cell, y + 40);
    return scene;
}

// The guide character's two frames, and one that changes under the mouse as in the window.
QWidget *MonkeyScene(QWidget *parent)
{
    auto *scene = new QWidget(parent);
    scene->setAutoFillBackground(true);
    TImage *strip = Holder(scene, "monkey");
    const char *captions[] = {"frame 0: up", "frame 1: down, active", "live (point at him)"};
    for (int i = 0; i < 3; ++i) {
        const QPoint at(16 + i * 170, 40);
        Caption(scene, QString::fromLatin1(captions[i]), {at.x() - 6, 6, 170, 18}, 13, true);
        Swatch(scene, BodyColour, {at.x() - 10, at.y() - 10, 112, 112});
        TBitmapControl *monkey = Button(scene, strip, 2, at);
        monkey->setImageDown(1);
        monkey->setImageActive(1);
        if (i < 2) monkey->setImageUp(i);
    }
    scene->resize(16 + 3 * 170, 160);
    return scene;
}

// The level window's level bar: grey above the slider's level and lime below it, seen only
// through the face's lime cut-out.
class TLevelBar : public QWidget {
public:
    TLevelBar(QWidget *parent, const TImage *face, const TSlider *slider)
        : QWidget(parent), FFace(face), FSlider(slider)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QImage bar(size(), QImage::Format_ARGB32_Premultiplied);
        bar.fill(QColor(0x80, 0x80, 0x80));
        QPainter painter(&bar);
        const int top = int(std::nearbyint(FSlider->height() / 100.0 * FSlider->Position()));
        painter.fillRect(QRect(0, top, width(), height() - top), Lime);
        QImage face = FFace->Bitmap().copy(geometry()).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x)
                if (face.pixel(x, y) == Lime.rgb()) face.setPixel(x, y, 0);
        painter.drawImage(0, 0, face);
        painter.end();
        QPainter(this).drawImage(0, 0, bar);
    }

private:
    const TImage *FFace;
    const TSlider *FSlider;
};

// The level window's device name, reading upwards from the bottom-left corner.
class TDeviceName : public QWidget {
public:
    TDeviceName(QWidget *parent, const QString &name) : QWidget(parent), FName(name) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        painter.setFont(font);
        painter.setPen(Navy);
        painter.translate(0, height());
        painter.rotate(-90);
        painter.drawText(QPoint(2, painter.fontMetrics().ascent()), FName);
    }

private:
    QString FName;
};

QWidget *LevelWindow(QWidget *parent, QPoint at, const QString &device, uint position)
{
    auto *window = new QWidget(parent);
    window->setGeometry(at.x(), at.y(), 65, 105);
    auto *face = new TImage(window);
    face->setPicture(Art("level_face"));
    face->resize(face->Bitmap().size());
    auto *close = new QLabel(window);
    close->setPixmap(QPixmap(Art("level_close")));
    close->setAlignment(Qt::AlignCenter);
    close->setGeometry(45, 3, 17, 14);
    auto *name = new TDeviceName(window, device);
    name->setGeometry(6, 27, 18, 70);
    TImage *handle = Holder(window, "slider_handle");
    TImage *track = Holder(window, "slider_track");
    auto *slider = new TSlider(window);
    slider->move(35, 30);
    slider->setTransparent(true);
    slider->setTranspColor(Lime);
    slider->setHolderImageControl(handle);
    slider->setBkgImageControl(track);
    slider->setPosition(position);
    auto *bar = new TLevelBar(window, face, slider);
    bar->setGeometry(25, 29, 15, 70);
    slider->raise();
    QObject::connect(slider, &TSlider::changed, bar, qOverload<>(&QWidget::update));
    return window;
}

QWidget *LevelScene(QWidget *parent)
{
    auto *scene = new QWidget(parent);
    scene->setAutoFillBackground(true);
    const uint positions[] = {0, 25, 50, 75, 100};
    for (int i = 0; i < 5; ++i) {
        const QPoint at(16 + i * 95, 30);
        Caption(scene, QStringLiteral("Position %1").arg(positions[i]), {at.x() - 4, 6, 90, 18}, 12, true);
        LevelWindow(scene, at, i % 2 ? QStringLiteral("Microphone") : QStringLiteral("Volume"), positions[i]);
    }
    scene->resize(16 + 5 * 95, 150);
    return scene;
}

TVolumeGauge *Gauge(QWidget *parent, QPoint at)
{
    auto *gauge = new TVolumeGauge(parent);
    gauge->setGeometry(at.x(), at.y(), 101, 9);
    gauge->setMaxLevel(32767);
    gauge->setColor(QColor(0x41, 0x3b, 0x34));
    gauge->setMarkColor(QColor(0xff, 0xce, 0x36));
    gauge->setPeakColor(QColor(0xfe, 0xeb, 0xaf));
    gauge->setPeakMeter(true);
    gauge->setPeakFreq(10);
    gauge->setLevel(0);
    return gauge;
}

// The recorder panel's level gauge at several levels (the last after a burst, with the peak still
// held) and its GSM lamp lit and dark.
QWidget *GaugeScene(QWidget *parent)
{
    auto *scene = new QWidget(parent);
    scene->setAutoFillBackground(true);
    const struct {
        const char *label;
        std::vector<int> levels;
    } rows[] = {{"level 0", {0}},
                {"level 8192", {8192}},
                {"level 16384", {16384}},
                {"level 24576", {24576}},
                {"level 32767 (full)", {32767}},
                {"peak 30000 held, level 9000", {30000, 12000, 9000}}};
    int y = 10;
    for (const auto &row : rows) {
        Caption(scene, QString::fromLatin1(row.label), {10, y - 4, 200, 18}, 12);
        Swatch(scene, QColor(0x41, 0x3b, 0x34), {214, y - 6, 113, 21});
        TVolumeGauge *gauge = Gauge(scene, {220, y});
        for (int level : row.levels)
            gauge->setLevel(level);
        y += 28;
    }
    Caption(scene, QStringLiteral("GSM lamp"), {10, y + 2, 200, 18}, 12);
    for (int i = 0; i < 2; ++i) {
        auto *lamp = new QLabel(scene);
        lamp->setPixmap(QPixmap(Art(i == 0 ? "gsm_on" : "gsm_off")));
        lamp->setGeometry(220 + i * 110, y + 5, 12, 12);
        Caption(scene, QString::fromLatin1(i == 0 ? "lit" : "dark"), {238 + i * 110, y + 2, 60, 18}, 12);
    }
    scene->resize(400, y + 30);
    return scene;
}

// The tip bubble as its form lays it out, in text mode or showing only its OK picture; the small
// red ring marks the hot point the tail must end on.
QWidget *Bubble(QWidget *parent, QPoint at, bool pictureOnly)
{
    auto *window = new QWidget(parent);
    window->setGeometry(at.x(), at.y(), 268, 239);
    auto *shape = new TWinShape(window);
    shape->setAutoDrag(false);
    shape->setStoredData(ShapeData("bubble"));
    if (pictureOnly) {
        auto *ok = new TImage(window);
        ok->setPicture(Art("bubble_ok"));
        ok->setGeometry(40, 32, 168, 123);
    } else {
        Caption(window, QStringLiteral("Hint for parents:"), {47, 40, 192, 21}, 15, true);
        Caption(window,
                QStringLiteral("Please press and hold the Ctrl key, then click this button to display the "
                               "Parents' Menu."),
                {46, 68, 160, 92}, 13);
    }
    shape->setActive(true);
    return window;
}

class THotPointMarks : public TCheckerPanel {
public:
    using TCheckerPanel::TCheckerPanel;
    std::vector<QPoint> Points;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        TCheckerPanel::paintEvent(event);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::red, 1.5));
        for (const QPoint p : Points)
            painter.drawEllipse(QPointF(p) + QPointF(0.5, 0.5), 4, 4);
    }
};

QWidget *BubbleScene(QWidget *parent)
{
    auto *scene = new THotPointMarks(parent);
    for (int i = 0; i < 2; ++i) {
        const QPoint at(16 + i * 290, 16);
        Bubble(scene, at, i == 1);
        scene->Points.push_back(at + QPoint(36, 218));
    }
    scene->resize(16 + 2 * 290, 250);
    return scene;
}

// The security shield's backdrop with the program icon and the parents' corner at their places.
QWidget *BackdropScene(QWidget *parent)
{
    auto *scene = new QWidget(parent);
    auto *backdrop = new TImage(scene);
    backdrop->setPicture(Art("backdrop"));
    backdrop->resize(backdrop->Bitmap().size());
    auto *icon = new QLabel(scene);
    icon->setPixmap(QPixmap(Art("icon")));
    icon->setGeometry(61, 49, 96, 96);
    QLabel *name = Caption(scene, QStringLiteral("Chirpel"), {66, 148, 82, 46}, 16);
    name->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont comic(QStringLiteral("Comic Neue"));
    comic.setPixelSize(16);
    name->setFont(comic);
    const int x = backdrop->width() - 139 - 40;
    QLabel *forParents = Caption(scene, QStringLiteral("For Parents:"), {x, 15, 200, 30}, 21);
    comic.setPixelSize(21);
    forParents->setFont(comic);
    Caption(scene, QStringLiteral("Press and hold the Ctrl key, then click an item below:"),
            {x, 48, 139, 60});
    QLabel *closeLink = Caption(scene, QStringLiteral("<u>Close Chirpel</u>"), {x, 116, 139, 20});
    closeLink->setCursor(Qt::PointingHandCursor);
    QLabel *configure = Caption(scene, QStringLiteral("<u>Configure the program</u>"), {x, 149, 139, 40});
    configure->setCursor(Qt::PointingHandCursor);
    scene->resize(backdrop->size());
    return scene;
}

QWidget *IconScene(QWidget *parent)
{
    auto *scene = new TCheckerPanel(parent);
    auto *small = new QLabel(scene);
    small->setPixmap(QPixmap(Art("icon")));
    small->setGeometry(16, 16 + 80, 96, 96);
    auto *large = new QLabel(scene);
    large->setPixmap(QPixmap(Art("icon256")));
    large->setGeometry(140, 16, 256, 256);
    scene->resize(420, 288);
    return scene;
}

} // namespace

void TCheckerPanel::paintEvent(QPaintEvent *)
{
    QImage checker(size(), QImage::Format_ARGB32_Premultiplied);
    PaintCheckerboard(checker);
    QPainter(this).drawImage(0, 0, checker);
}

std::vector<Scene> BuildScenes(QWidget *parent)
{
    return {
        {QStringLiteral("voicemail-default"), QStringLiteral("Voice-mail window, \"Default\" page"),
         VoiceMailScene(parent, 0)},
        {QStringLiteral("voicemail-recording"), QStringLiteral("Voice-mail window, \"Recording\" page"),
         VoiceMailScene(parent, 1)},
        {QStringLiteral("buttons"), QStringLiteral("Picture buttons in every state"), ButtonsScene(parent)},
        {QStringLiteral("monkey"), QStringLiteral("The guide character"), MonkeyScene(parent)},
        {QStringLiteral("level"), QStringLiteral("Level window with its slider"), LevelScene(parent)},
        {QStringLiteral("gauge"), QStringLiteral("Level gauge and GSM lamp"), GaugeScene(parent)},
        {QStringLiteral("bubble"), QStringLiteral("Tip bubble: text and OK picture"), BubbleScene(parent)},
        {QStringLiteral("backdrop"), QStringLiteral("Security shield backdrop"), BackdropScene(parent)},
        {QStringLiteral("icon"), QStringLiteral("Program icon"), IconScene(parent)},
    };
}
