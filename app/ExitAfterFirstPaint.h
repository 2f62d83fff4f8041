// For start-up measurements (CHIRPEL_EXIT_AFTER_FIRST_PAINT=1): the program ends as soon as the
// watched window has been painted and shown, without writing the settings or tearing down. Header
// only, so that the plain-Qt baseline window of the start-up benchmark uses it without linking us.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

class TExitAfterFirstPaint final : public QObject {
public:
    using QObject::QObject;

    // Watches `window` when the measurement is asked for in the environment.
    void WatchIfAsked(QObject &window)
    {
        if (qEnvironmentVariableIntValue("CHIRPEL_EXIT_AFTER_FIRST_PAINT") == 1)
            window.installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !FDone) {
            FDone = true;
            // Once the paint is over and handed to the window system.
            QTimer::singleShot(0, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool FDone = false;
};
