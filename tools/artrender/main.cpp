// artrender: renders an SVG picture to a PNG of exactly the size a window needs.
//
//   artrender in.svg out.png WIDTH HEIGHT [--key RRGGBB]
//
// --key turns every see-through pixel into the given colour and makes the rest opaque, for
// pictures that mark their transparent parts with a colour instead of an alpha channel.
// --opaque writes the picture as the program's picture controls show it, without its alpha
// channel, and uncompressed: the program then takes it as it is, with no conversion and no
// inflating on the way to the screen.
#include "ColourKey.h"

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
    const bool opaque = args.removeAll(QStringLiteral("--opaque")) > 0;
    if (args.size() != 4 && !(args.size() == 6 && args[4] == "--key"))
        return fail("usage: artrender in.svg out.png WIDTH HEIGHT [--key RRGGBB] [--opaque]");

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
    QImageWriter writer(args[1], "png");
    if (opaque) {
        // The very steps the picture control takes on an ordinary PNG: unpremultiplied as the
        // file stores it, then the alpha channel dropped; so the pixels are the same either way.
        image = image.convertToFormat(QImage::Format_ARGB32).convertToFormat(QImage::Format_RGB32);
        writer.setQuality(100); // no compression
    }
    if (!writer.write(image)) return fail("cannot write " + args[1]);
    return 0;
}
