#include "platform/helperprocess.h"

#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace platform {

void limitHelper(qint64 addressSpace)
{
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    const rlimit space{rlim_t(addressSpace), rlim_t(addressSpace)};
    setrlimit(RLIMIT_AS, &space);
#else
    Q_UNUSED(addressSpace);
#endif
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

QString crashCause(int exitCode)
{
    // QProcess gives the number of the signal that ended it.
    return QString::fromLocal8Bit(strsignal(exitCode));
}

} // namespace platform
