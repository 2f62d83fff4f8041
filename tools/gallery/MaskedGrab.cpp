// Screenshots of widget trees with every widget clipped to its mask.
#include "MaskedGrab.h"

#include <QPainter>
#include <QRegion>
#include <QWidget>

namespace {

void PaintTree(QPainter &painter, QWidget *widget, QPoint offset, const QRegion &clip)
{
    const QRegion own = widget->mask().isEmpty() ? QRegion(widget->rect()) : widget->mask();
    const QRegion visible = clip.intersected(own.translated(offset));
    if (visible.isEmpty()) return;
    painter.save();
    painter.setClipRegion(visible);
    // Only widgets that fill their background paint one, as on screen.
    widget->render(&painter, offset, QRegion(),
                   widget->autoFillBackground() ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
    painter.restore();
    for (QObject *object : widget->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (child && !child->isHidden() && !child->isWindow())
            PaintTree(painter, child, offset + child->pos(), visible);
    }
}

} // namespace

void PaintCheckerboard(QImage &image)
{
    QPainter painter(&image);
    const int cell = 12;
    for (int y = 0; y < image.height(); y += cell)
        for (int x = 0; x < image.width(); x += cell)
            painter.fillRect(x, y, cell, cell,
                             ((x + y) / cell) % 2 ? QColor(0xc6, 0xd3, 0xe1) : QColor(0xe9, 0xef, 0xf5));
}

QImage GrabWithMasks(QWidget *root)
{
    root->ensurePolished();
    QImage image(root->size(), QImage::Format_ARGB32_Premultiplied);
    PaintCheckerboard(image);
    QPainter painter(&image);
    PaintTree(painter, root, QPoint(0, 0), QRegion(root->rect()));
    return image;
}
