// Common ground of the custom controls: mouse signals for forms to bind, the paint hook, and
// the tooltip kept aside while a mouse button is held.
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>

class QMouseEvent;
class QPainter;

// Paint hook: called before a control draws itself, with DrawDefault preset to true; leaving it
// false keeps the control from drawing anything more. Canvas paints on the control.
using TCustomDrawEvent = std::function<void(QObject *Sender, QPainter &Canvas, bool &DrawDefault)>;

class TControl : public QWidget {
    Q_OBJECT
public:
    explicit TControl(QWidget *parent = nullptr);

signals:
    // Mouse events in control coordinates, raised before the control's own handling.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &pos);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, const QPoint &pos);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &pos);
    void clicked();
    void doubleClicked();
    // The paint hook as a signal, raised after the function hook; the same rules apply.
    void customDraw(QPainter *Canvas, bool &DrawDefault);

public:
    void setOnCustomDraw(TCustomDrawEvent handler) { FOnCustomDraw = std::move(handler); }

protected:
    // Runs the paint hook; false when it asks for no default drawing.
    bool RunCustomDraw(QPainter &canvas);

    void FireMouseDown(const QMouseEvent *e);
    void FireMouseMove(const QMouseEvent *e);
    void FireMouseUp(const QMouseEvent *e);

    // No tooltip shows while a mouse button is held on the control; the tooltip returns when the
    // last held button is released.
    void HideHintWhilePressed();
    void RestoreHint(const QMouseEvent *release);

private:
    TCustomDrawEvent FOnCustomDraw;
    QString FSavedHint;
    bool FHintHidden = false;
};
