#include "core/background.h"

namespace background {

QThreadPool &threads()
{
    // Never deleted, for deleting a pool waits for its work. Checks stuck on
    // a medium that stopped answering must not hold up the rest: threads
    // cost nothing while idle, and go after a while.
    static QThreadPool *const pool = [] {
        auto *made = new QThreadPool;
        made->setMaxThreadCount(qMax(QThread::idealThreadCount(), 1) * 16);
        return made;
    }();
    return *pool;
}

} // namespace background
