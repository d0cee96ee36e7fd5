#include "platform/diskeject.h"

namespace platform {

// Windows ejects from the notification area; the program does not offer it.
EjectOutcome ejectVolume(const QString &device)
{
    Q_UNUSED(device);
    return {EjectOutcome::Kind::Unknown, {}};
}

} // namespace platform
