// The sound library's log: a take that cannot start, a lost stream, a failed save.
#pragma once

#include <QLoggingCategory>

inline const QLoggingCategory &lcSound()
{
    static const QLoggingCategory category("chirpel.sound", QtWarningMsg);
    return category;
}
