#include "platform/volumelock.h"

#include <cerrno>
#include <sys/file.h>

namespace volumelock {

Result<> tryLock(QFile &file)
{
    // flock() belongs to the open file, not the process: a second open in
    // this very process is refused as another would be.
    while (::flock(file.handle(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR)
            return FileError::fromErrno(errno == EAGAIN ? EWOULDBLOCK : errno);
    }
    return {};
}

} // namespace volumelock
