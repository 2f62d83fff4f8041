// artrender: renders an SVG picture to a PNG or a screen picture of exactly the size a window needs.
//
//   artrender in.svg out.png|out.rgb32|out.argb32 WIDTH HEIGHT [--key RRGGBB]
//
// --key turns every see-through pixel into the given colour and makes the rest opaque, for
// pictures that mark their transparent parts with a colour instead of an alpha channel.
// An out.rgb32 is a screen picture: opaque and as the screen takes it, so the program shows it
// with no decoding and no conversion; an out.argb32 keeps the see-through parts, premultiplied.
#include "ColourKey.h"
#include "controls/ScreenPicture.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <optional>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "artrender: %s\n", qPrintable(message));
    return 1;
}

std::optional<int> positive(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value <= 0 || value > 16384) return std::nullopt;
    return value;
}

QtMessageHandler previousHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths:"))) return;
    previousHandler(type, context, message);
}

} // namespace

int main(int argc, char **argv)
{
    // Runs inside the build: there is no display to connect to, and the offscreen platform's note
    // about a missing runtime folder (which it never uses) would only clutter the build log.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietHandler);
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() != 4 && !(args.size() == 6 && args[4] == "--key"))
        return fail("usage: artrender in.svg out.png|out.rgb32|out.argb32 WIDTH HEIGHT [--key RRGGBB]");

    const auto width = positive(args[2]);
    const auto height = positive(args[3]);
    if (!width || !height) return fail("width and height must be positive pixel counts");
    std::optional<QColor> key;
    if (args.size() == 6) {
        const QColor colour = QColor::fromString(QLatin1Char('#') + args[5]);
        if (!colour.isValid() || args[5].size() != 6)
            return fail("--key wants a colour as RRGGBB, not " + args[5]);
        key = colour;
    }

    QSvgRenderer renderer(args[0]);
    if (!renderer.isValid()) return fail("cannot read the picture " + args[0]);
    const QSize size(*width, *height);
    if (!artrender::sameAspect(renderer.viewBox().size(), size))
        return fail(QStringLiteral("%1 is drawn %2 x %3 and would be distorted at %4 x %5")
                        .arg(args[0])
                        .arg(renderer.viewBox().width())
                        .arg(renderer.viewBox().height())
                        .arg(size.width())
                        .arg(size.height()));

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                               QPainter::TextAntialiasing);
        renderer.render(&painter, QRectF(0, 0, size.width(), size.height()));
    }
    if (key) image = artrender::applyColourKey(image, *key);
    const bool seeThrough = args[1].endsWith(QLatin1String(kAlphaPictureSuffix));
    if (seeThrough || args[1].endsWith(QLatin1String(kScreenPictureSuffix))) {
        // Unpremultiplied first, as a PNG stores it: the pixels are those the picture control
        // would show of the same picture as a PNG.
        QFile out(args[1]);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(ScreenPictureBytes(image.convertToFormat(QImage::Format_ARGB32), seeThrough)) < 0 ||
            !out.flush())
            return fail("cannot write " + args[1]);
        return 0;
    }
    QImageWriter writer(args[1], "png");
    if (!writer.write(image)) return fail("cannot write " + args[1]);
    return 0;
}
