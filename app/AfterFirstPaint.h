// Work that waits for a window's first paint: the rest of the program's start, and the end of a
// start-up measurement. Header only, so that the plain-Qt baseline window of the start-up
// benchmark uses it without linking the program.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

// Runs `then` once, after the first paint of the window it watches is over and handed to the
// window system.
class TAfterFirstPaint : public QObject {
public:
    explicit TAfterFirstPaint(std::function<void()> then) : FThen(std::move(then)) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && FThen)
            QTimer::singleShot(0, this, std::exchange(FThen, nullptr));
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> FThen;
};

// For start-up measurements: the program ends as soon as a watched window has been painted and
// shown, without writing the settings or tearing down. CHIRPEL_EXIT_AFTER_FIRST_PAINT=1 ends it
// after the first window painted, whichever it is; =<name> after the window watched under that
// name (a start with the shield paints the shield first and the child's window, "child", next).
class TExitAfterFirstPaint final : public TAfterFirstPaint {
public:
    TExitAfterFirstPaint()
        : TAfterFirstPaint([] {
              std::fflush(nullptr);
              std::_Exit(0);
          })
    {
    }

    // Watches `window` when the measurement is asked for in the environment. Watched last, it
    // ends the program before any other work that waits for the same paint.
    void WatchIfAsked(QObject &window, QByteArrayView name = {})
    {
        const QByteArray asked = qgetenv("CHIRPEL_EXIT_AFTER_FIRST_PAINT");
        if (asked == "1" || (!name.isEmpty() && asked == name)) window.installEventFilter(this);
    }
};
