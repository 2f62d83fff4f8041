// Helpers the window tests share: finding a named child, the window manager's close, and waiting
// for what the event loop makes true.
#pragma once

#include <QApplication>
#include <QCloseEvent>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

// A mouse press as a case of a table.
struct Press {
    const char *name;
    Qt::MouseButton button;
    Qt::KeyboardModifiers keys;
};

// The child of `form` with the given object name, or null.
template <typename T = QWidget> T *named(const QObject *form, const char *name)
{
    return form->findChild<T *>(QString::fromLatin1(name));
}

// Alt+F4: the window manager asks the window to close. True when the window agreed.
inline bool windowManagerClose(QWidget *window)
{
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    qApp->notify(window, &close); // not sendEvent: that would make the event a program's own
    return close.isAccepted();
}

// Waits up to a second for a condition made true by the event loop.
template <typename Condition> bool eventually(Condition condition)
{
    for (int i = 0; i < 100 && !condition(); ++i)
        QTest::qWait(10);
    return condition();
}
