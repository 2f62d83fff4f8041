// TNonAppForm: windows owned by a chosen window through the window system's transient parent.
#include "app/WndService.h"

#include <QWindow>

TNonAppForm::TNonAppForm(Qt::WindowFlags flags) : QWidget(nullptr, flags | Qt::Window) {}

// Owned, not a child widget: a child window would be disabled together with its owner, and an
// owner disabled while this window works must not take this window's input away.
TNonAppForm::TNonAppForm(QWidget *parentWnd, Qt::WindowFlags flags)
    : QWidget(nullptr, flags | Qt::Window), FParentChosen(true), FParentWnd(parentWnd)
{
}

void TNonAppForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The native window exists by now and is not yet on screen; it may have been made anew
    // since the last showing, so the owner is given to it every time.
    QWindow *own = windowHandle();
    if (!own || !FParentWnd) return;
    QWidget *owner = FParentWnd->window();
    owner->winId();
    own->setTransientParent(owner->windowHandle());
}
