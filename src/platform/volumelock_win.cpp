#include "platform/volumelock.h"

#include <cerrno>
#include <io.h>
#include <windows.h>

namespace volumelock {

Result<> tryLock(QFile &file)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    OVERLAPPED from{};
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &from))
        return {};
    const DWORD code = GetLastError();
    return FileError(qt_error_string(int(code)),
                     code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING ? EWOULDBLOCK : 0);
}

} // namespace volumelock
