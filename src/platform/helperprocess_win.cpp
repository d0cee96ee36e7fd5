#include "platform/helperprocess.h"

#include <windows.h>

namespace platform {

void limitHelper(qint64 addressSpace)
{
    // Windows writes no core files; a job of its own caps the memory.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    limits.ProcessMemoryLimit = SIZE_T(addressSpace);
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    AssignProcessToJobObject(job, GetCurrentProcess());
}

QString crashCause(int exitCode)
{
    // QProcess gives the exception code that ended it.
    return QStringLiteral("exception 0x%1").arg(quint32(exitCode), 8, 16, QLatin1Char('0'));
}

} // namespace platform
