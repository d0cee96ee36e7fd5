#include "platform/sessionfolder.h"

#include <QDir>

namespace platform {

// The user's own temporary folder, in the user's profile.
QString sessionFolder()
{
    return QDir::tempPath();
}

} // namespace platform
