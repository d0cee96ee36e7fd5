#pragma once

#include <QString>

namespace platform {

// Shows a notification on the desktop (org.freedesktop.Notifications on the
// session bus), for news that comes while the window is not looked at;
// false when the desktop shows none. Waits on the bus: not for the
// interface thread.
bool notifyDesktop(const QString &summary, const QString &body);

} // namespace platform
