#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The files of a font family that the system's font lookup does not list,
// so the program loads them itself.
struct FontFiles
{
    QString family;
    QStringList paths;
};

namespace platform {

// Fonts that stand in for Windows fonts this system lacks, where the system
// has them only out of its font lookup's sight: on Linux, Wine's Tahoma
// (Debian's fonts-wine), whose bold is synthesised. Windows has the fonts themselves:
// none.
QList<FontFiles> lookAlikeFontFiles();

} // namespace platform
