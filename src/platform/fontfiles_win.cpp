#include "platform/fontfiles.h"

namespace platform {

// Windows has its own fonts.

QList<FontFiles> lookAlikeFontFiles()
{
    return {};
}

} // namespace platform
