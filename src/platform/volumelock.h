#pragma once

#include "platform/result.h"

#include <QFile>

namespace volumelock {

// Takes an exclusive lock on a file held open, without waiting: EWOULDBLOCK
// when another open of the file holds it, in this process or another. The
// lock lasts while the file stays open; the system drops it when the file
// is closed or the process ends in any way, so a lock is never left behind.
Result<> tryLock(QFile &file);

} // namespace volumelock
