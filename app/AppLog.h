// The program's own log (start-up and shutdown); warnings on unless QT_LOGGING_RULES says otherwise.
#pragma once

#include <QLoggingCategory>

inline const QLoggingCategory &lcApp()
{
    static const QLoggingCategory category("chirpel.app", QtWarningMsg);
    return category;
}
