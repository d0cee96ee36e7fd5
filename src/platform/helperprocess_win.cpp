#include "platform/helperprocess.h"

#include <QProcess>
#include <windows.h>

namespace platform {

void limitHelper(qint64 addressSpace, qint64 fileSize)
{
    // Windows writes no core files; a job of its own caps the memory.
    Q_UNUSED(fileSize);
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

void startBare(QProcess &process, const QString &folder, int fileChannel)
{
    // Handles would go over DuplicateHandle into the helper, which a
    // restricted token keeps from opening files itself; not built yet.
    Q_UNUSED(fileChannel);
    process.setWorkingDirectory(folder);
}

FileChannel makeFileChannel()
{
    return {};
}

int duplicateFile(int file)
{
    Q_UNUSED(file);
    return -1;
}

void closeFile(int file)
{
    Q_UNUSED(file);
}

int openForHelper(const QString &path, QString &reason)
{
    Q_UNUSED(path);
    reason = QStringLiteral("not on Windows yet");
    return -1;
}

bool handFiles(int channel, const QList<int> &files)
{
    Q_UNUSED(channel);
    Q_UNUSED(files);
    return false;
}

QList<int> takeFiles(int channel)
{
    Q_UNUSED(channel);
    return {};
}

bool processGone(qint64 pid)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

QString crashCause(int exitCode)
{
    // QProcess gives the exception code that ended it.
    return QStringLiteral("exception 0x%1").arg(quint32(exitCode), 8, 16, QLatin1Char('0'));
}

} // namespace platform
