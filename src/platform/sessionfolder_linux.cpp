#include "platform/sessionfolder.h"

#include <QStandardPaths>

namespace platform {

// XDG_RUNTIME_DIR, or the private folder that Qt makes below /tmp without it.
QString sessionFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

} // namespace platform
