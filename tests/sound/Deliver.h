// Hands out what the program posted to the event loop, as the running program's loop would.
#pragma once

#include <QCoreApplication>

inline void deliver()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}
