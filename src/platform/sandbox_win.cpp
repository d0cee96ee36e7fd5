#include "platform/sandbox.h"

namespace platform {

Confinement confine(const QString &folder)
{
    // Windows locks a process in from outside, as it is started: a restricted
    // token or an AppContainer without capabilities, and a job object that
    // allows no child process (JOB_OBJECT_LIMIT_ACTIVE_PROCESS at 1) and no
    // desktop (JOB_OBJECT_UILIMIT_*). Not built here yet.
    Q_UNUSED(folder);
    return {false, false, QStringLiteral("no confinement on Windows yet")};
}

} // namespace platform
