// TWinShape: shaped parent window from stored shape data, its picture, placement and dragging.
#include "controls/WinShape.h"

#include "controls/Preload.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>

#include <cstdlib>

namespace {

// A drag starts once the pointer has moved this far from the press on either axis.
constexpr int DragThreshold = 3;

QRegion combine(const QRegion &base, const QRegion &part, std::int32_t mode)
{
    switch (mode) {
    case 1: // and
        return base.intersected(part);
    case 2: // or
        return base.united(part);
    case 3: // xor
        return base.xored(part);
    case 4: // difference
        return base.subtracted(part);
    default: // 5 copies the base onto itself; unknown codes leave it alone
        return base;
    }
}

} // namespace

TWinShape::TWinShape(QWidget *parent) : TControl(parent)
{
    resize(150, 100);
}

void TWinShape::setActive(bool value)
{
    FActive = value;
    if (FActive) {
        UpdateRegion();
    } else if (QWidget *p = parentWidget()) {
        p->clearMask();
    }
}

void TWinShape::setAutoPos(bool value)
{
    FAutoPos = value;
    UpdatePlacement();
}

void TWinShape::setColor(const QColor &value)
{
    FColor = value;
    update();
}

void TWinShape::setStoredData(const QString &path)
{
    // Read ahead from a fresh object: taken only where this one starts out the same, since the
    // legacy layout keeps the picture kind the object had.
    if (FData.ImageKind == TWinShapeData().ImageKind) {
        if (std::optional<TWinShapeData> ahead = preload::TakeShape(path)) {
            FStoredData = path;
            FData = std::move(*ahead);
            DataChanged();
            return;
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EShapeDataError("cannot read the shape data " + path.toStdString());
    const QByteArray bytes = file.readAll();
    FStoredData = path;
    LoadStoredData(bytes);
}

void TWinShape::LoadStoredData(QByteArrayView bytes)
{
    FData.LoadFromBytes(bytes);
    DataChanged();
}

void TWinShape::UpdatePlacement()
{
    QWidget *p = parentWidget();
    if (!FAutoPos || !p) return;
    if (FData.Loaded && FData.Bitmap.width() != 0) {
        const TShapeBounds &b = FData.Bounds;
        setGeometry(-b.Left, -b.Top, b.Right, b.Bottom);
        const int needWidth = x() + width();
        const int needHeight = y() + height();
        if (p->width() < needWidth || p->height() < needHeight)
            p->resize(std::max(p->width(), needWidth), std::max(p->height(), needHeight));
    } else {
        setGeometry(10, 10, 140, 90);
    }
}

QRegion TWinShape::OutlineRegion(const std::vector<TWinShapeRegion> &regions, QPoint shift)
{
    QRegion base;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const TWinShapeRegion &r = regions[i];
        if (i > 0 && r.CombineMode == -1) continue;
        QPolygon polygon(int(r.Points.size()));
        for (int k = 0; k < polygon.size(); ++k)
            polygon[k] = r.Points[std::size_t(k)] + shift;
        const QRegion part(polygon, Qt::OddEvenFill);
        base = i == 0 ? part : combine(base, part, r.CombineMode);
    }
    return base;
}

void TWinShape::UpdateRegion()
{
    QWidget *p = parentWidget();
    if (FData.Regions.empty() || !p) return;
    // The outline sits where AutoPos puts it, whatever the control's actual position. A mask is
    // relative to the parent's client area, so the frame offset (ParentClientOffset) that a
    // region relative to the outer window would need does not enter here.
    p->setMask(OutlineRegion(FData.Regions, QPoint(-FData.Bounds.Left, -FData.Bounds.Top)));
}

QPoint TWinShape::ParentClientOffset() const
{
    const QWidget *p = parentWidget();
    if (!p) return {};
    QPoint origin = p->mapToGlobal(QPoint(0, 0));
    if (const QWidget *grand = p->parentWidget()) origin = grand->mapFromGlobal(origin);
    return origin - p->pos();
}

void TWinShape::DataChanged()
{
    UpdatePlacement();
    if (FActive) UpdateRegion();
    update();
}

void TWinShape::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    if (!RunCustomDraw(canvas)) return;
    if (FData.Bitmap.width() != 0)
        canvas.drawImage(0, 0, FData.Bitmap);
    else
        canvas.fillRect(rect(), FColor);
}

void TWinShape::StartPress(const QMouseEvent *event)
{
    if (FAutoDrag) {
        FPressPoint = event->position().toPoint();
        FPressed = true;
    }
}

void TWinShape::mousePressEvent(QMouseEvent *event)
{
    FireMouseDown(event);
    if (event->button() == Qt::LeftButton) FClickPending = true;
    StartPress(event);
}

void TWinShape::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click reports the double click, never a click.
    if (event->button() == Qt::LeftButton) emit doubleClicked();
    FireMouseDown(event);
    StartPress(event);
}

void TWinShape::mouseMoveEvent(QMouseEvent *event)
{
    FireMouseMove(event);
    if (!FAutoDrag || (!FPressed && !FDragging)) return;
    const QPoint pos = event->position().toPoint();
    if (FPressed) {
        FDragging = std::abs(FPressPoint.x() - pos.x()) > DragThreshold ||
                    std::abs(FPressPoint.y() - pos.y()) > DragThreshold;
        FPressed = !FDragging;
    }
    if (FDragging) {
        QWidget *p = parentWidget();
        if (p) p->move(p->pos() + pos - FPressPoint);
    }
}

void TWinShape::mouseReleaseEvent(QMouseEvent *event)
{
    // The click comes before the release is reported; the one that ends a drag is swallowed.
    if (event->button() == Qt::LeftButton && FClickPending) {
        FClickPending = false;
        if (rect().contains(event->position().toPoint()) && !FDragging) emit clicked();
    }
    FireMouseUp(event);
    FDragging = false;
    FPressed = false;
}
