#pragma once

#include <QString>

// The program's title and version numbers, shared by every window that shows them.
namespace version {

constexpr int major = ZARVELLO_VERSION_MAJOR;
constexpr int minor = ZARVELLO_VERSION_MINOR;
constexpr int revision = ZARVELLO_VERSION_PATCH;

inline QString applicationTitle()
{
    return QStringLiteral("Zarvello");
}

// The name the desktop knows the program by: its desktop entry, icon and
// AppStream id.
inline QString applicationId()
{
    return QStringLiteral(ZARVELLO_APP_ID);
}

// "3.5.0": plain decimal numbers, no leading zeros.
inline QString numbers()
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

} // namespace version
