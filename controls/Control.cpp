// Common ground of the custom controls: mouse signals, the paint hook and the kept tooltip.
#include "controls/Control.h"

#include <QMouseEvent>
#include <QPainter>

TControl::TControl(QWidget *parent) : QWidget(parent)
{
    // Forms see every movement over a control, held button or not.
    setMouseTracking(true);
}

bool TControl::RunCustomDraw(QPainter &canvas)
{
    bool drawDefault = true;
    if (FOnCustomDraw) FOnCustomDraw(this, canvas, drawDefault);
    if (!drawDefault) return false;
    emit customDraw(&canvas, drawDefault);
    return drawDefault;
}

void TControl::FireMouseDown(const QMouseEvent *e)
{
    emit mouseDown(e->button(), e->modifiers(), e->position().toPoint());
}

void TControl::FireMouseMove(const QMouseEvent *e)
{
    emit mouseMove(e->buttons(), e->modifiers(), e->position().toPoint());
}

void TControl::FireMouseUp(const QMouseEvent *e)
{
    emit mouseUp(e->button(), e->modifiers(), e->position().toPoint());
}

void TControl::HideHintWhilePressed()
{
    // A second button pressed while the first is held must not save the emptied tooltip.
    if (FHintHidden) return;
    FSavedHint = toolTip();
    FHintHidden = true;
    setToolTip(QString());
}

void TControl::RestoreHint(const QMouseEvent *release)
{
    if (!FHintHidden || release->buttons() != Qt::NoButton) return;
    FHintHidden = false;
    setToolTip(FSavedHint);
}
