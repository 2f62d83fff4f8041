// Work that waits for a window's first paint: the rest of the program's start, and the end of a
// start-up measurement. Header only, so that the plain-Qt baseline window of the start-up
// benchmark uses it without linking the program.
#pragma once

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

// For start-up measurements (CHIRPEL_EXIT_AFTER_FIRST_PAINT=1): the program ends as soon as the
// watched window has been painted and shown, without writing the settings or tearing down.
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
    void WatchIfAsked(QObject &window)
    {
        if (qEnvironmentVariableIntValue("CHIRPEL_EXIT_AFTER_FIRST_PAINT") == 1)
            window.installEventFilter(this);
    }
};
