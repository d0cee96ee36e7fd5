#include "core/usersettings.h"

namespace usersettings {

std::unique_ptr<QSettings> open()
{
    // Named here rather than after the application, so that every part of
    // the program and its tests reach the same file.
    return std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Zarvello"),
                                       QStringLiteral("Zarvello"));
}

} // namespace usersettings
