#pragma once

#include <QProcess>

// Starts a session bus of the caller's own, which the application object made
// after it takes as the session's: false when none starts. It ends with daemon.
inline bool startPrivateBus(QProcess &daemon)
{
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--print-address=1")});
    if (!daemon.waitForReadyRead(10000))
        return false;
    qputenv("DBUS_SESSION_BUS_ADDRESS", daemon.readLine().trimmed());
    return true;
}
