// Outline text files: the polygons of a shaped window as the artwork draws them.
#include "controls/ShapeOutline.h"

#include <QStringList>

#include <optional>

namespace {

[[noreturn]] void fail(int line, const QString &why)
{
    throw EShapeDataError(QStringLiteral("outline line %1: %2").arg(line).arg(why).toStdString());
}

std::int32_t number(const QString &token, int line)
{
    bool ok = false;
    const int value = token.toInt(&ok);
    if (!ok) fail(line, QStringLiteral("\"%1\" is not a whole number").arg(token));
    return value;
}

} // namespace

TWinShapeData ParseShapeOutline(const QString &text)
{
    TWinShapeData data;
    std::optional<TShapeBounds> bounds;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int line = i + 1;
        const QString trimmed = lines[i].trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) continue;
        const QStringList t = trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (t[0] == QLatin1String("polygon")) {
            if (t.size() < 2 || t.size() > 3)
                fail(line, QStringLiteral("expected \"polygon <CombineMode> [<Reserved>]\""));
            TWinShapeRegion region;
            region.CombineMode = number(t[1], line);
            region.Reserved = t.size() == 3 ? number(t[2], line) : 0;
            data.Regions.push_back(region);
        } else if (t[0] == QLatin1String("bounds")) {
            if (t.size() != 5)
                fail(line, QStringLiteral("expected \"bounds <Left> <Top> <Right> <Bottom>\""));
            if (bounds) fail(line, QStringLiteral("bounds given twice"));
            bounds =
                TShapeBounds{number(t[1], line), number(t[2], line), number(t[3], line), number(t[4], line)};
        } else {
            if (t.size() != 2) fail(line, QStringLiteral("expected a vertex \"<x> <y>\""));
            if (data.Regions.empty())
                fail(line, QStringLiteral("a vertex before the first \"polygon\" line"));
            data.Regions.back().Points.emplace_back(number(t[0], line), number(t[1], line));
        }
    }
    data.Bounds = bounds ? *bounds : data.OutlineBounds();
    return data;
}

TWinShapeData BuildShapeData(const QImage &picture, const QString &outlineText, TShapeImageKind kind)
{
    TWinShapeData data = ParseShapeOutline(outlineText);
    data.Bitmap = picture.convertToFormat(QImage::Format_RGB32);
    data.ImageKind = kind;
    return data;
}
