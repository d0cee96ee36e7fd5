#include "platform/displayplatform.h"

namespace platform {

// Windows has a single display platform: there is nothing to choose.

QByteArray displayPlatformFor(const QStringList &, const QProcessEnvironment &)
{
    return {};
}

void chooseDisplayPlatform(int, char *[]) {}

} // namespace platform
