// shapegen: builds a shaped window's stored shape data from its picture and outline text.
#include "controls/ShapeOutline.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>
#include <map>
#include <optional>

namespace {

constexpr const char *usage = "usage: shapegen --picture in.png --outline outline.txt "
                              "--encoding bitmap|deflated|jpeg --out out.bin\n";

int failWith(const QString &message)
{
    std::fprintf(stderr, "shapegen: %s\n", qPrintable(message));
    return 1;
}

std::optional<TShapeImageKind> kindNamed(const QString &name)
{
    if (name == QLatin1String("bitmap")) return ikBitmap;
    if (name == QLatin1String("deflated")) return ikDeflatedBitmap;
    if (name == QLatin1String("jpeg")) return ikJpeg;
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    std::map<QString, QString> options;
    for (int i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size() || !args[i].startsWith(QLatin1String("--"))) {
            std::fputs(usage, stderr);
            return 2;
        }
        options[args[i].mid(2)] = args[i + 1];
    }
    for (const char *required : {"picture", "outline", "encoding", "out"})
        if (!options.count(QString::fromLatin1(required))) {
            std::fputs(usage, stderr);
            return 2;
        }
    if (options.size() != 4) {
        std::fputs(usage, stderr);
        return 2;
    }

    const auto kind = kindNamed(options["encoding"]);
    if (!kind) return failWith(QStringLiteral("unknown encoding \"%1\"").arg(options["encoding"]));
    const QImage picture(options["picture"]);
    if (picture.isNull())
        return failWith(QStringLiteral("cannot read the picture %1").arg(options["picture"]));
    QFile outline(options["outline"]);
    if (!outline.open(QIODevice::ReadOnly | QIODevice::Text))
        return failWith(QStringLiteral("cannot read the outline %1").arg(options["outline"]));

    QByteArray bytes;
    try {
        const TWinShapeData data = BuildShapeData(picture, QString::fromUtf8(outline.readAll()), *kind);
        bytes = data.SaveToBytes();
    } catch (const std::exception &e) {
        return failWith(QStringLiteral("%1: %2").arg(options["outline"], QString::fromUtf8(e.what())));
    }

    QSaveFile out(options["out"]);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return failWith(QStringLiteral("cannot write %1").arg(options["out"]));
    return 0;
}
