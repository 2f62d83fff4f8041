// A desktop notification a parent will see, where a session bus exists.
#pragma once

#include <QString>

namespace sender {

// Asks org.freedesktop.Notifications to show the summary and body; false when there is no
// session bus or no notification service.
bool NotifyDesktop(const QString &summary, const QString &body);

} // namespace sender
