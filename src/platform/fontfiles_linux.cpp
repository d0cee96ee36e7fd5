#include "platform/fontfiles.h"

namespace platform {

QList<FontFiles> lookAlikeFontFiles()
{
    const QString folder = QStringLiteral("/usr/share/wine/fonts/");
    return {{QStringLiteral("Tahoma"),
             {folder + QStringLiteral("tahoma.ttf"), folder + QStringLiteral("tahomabd.ttf")}}};
}

} // namespace platform
