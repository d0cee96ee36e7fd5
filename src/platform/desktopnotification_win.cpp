#include "platform/desktopnotification.h"

namespace platform {

// The window's taskbar button flashes instead (see taskbar.h).
uint notifyDesktop(const QString &summary, const QString &body, const QString &action,
                   const QString &key)
{
    Q_UNUSED(summary);
    Q_UNUSED(body);
    Q_UNUSED(action);
    Q_UNUSED(key);
    return 0;
}

DesktopNoticeAnswers::DesktopNoticeAnswers(QObject *parent) : QObject(parent) {}

void DesktopNoticeAnswers::actionInvoked(uint id, const QString &key)
{
    Q_UNUSED(id);
    Q_UNUSED(key);
}

void DesktopNoticeAnswers::notificationClosed(uint id, uint reason)
{
    Q_UNUSED(id);
    Q_UNUSED(reason);
}

} // namespace platform
