#include "platform/fontfiles.h"

namespace platform {

QList<FontFiles> lookAlikeFontFiles()
{
    // Wine's bold Tahoma is drawn with strokes as thin as the regular one's:
    // left out, bold text is drawn from the regular face, emboldened.
    return {{QStringLiteral("Tahoma"), {QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")}}};
}

} // namespace platform
