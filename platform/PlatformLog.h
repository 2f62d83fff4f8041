// The platform layer's log: failures nobody sees on screen (a device that will not open, a file
// that is refused, a save that fails) go here, warnings on unless QT_LOGGING_RULES says otherwise.
#pragma once

#include <QLoggingCategory>

namespace platform {

inline const QLoggingCategory &lcPlatform()
{
    static const QLoggingCategory category("chirpel.platform", QtWarningMsg);
    return category;
}

} // namespace platform
