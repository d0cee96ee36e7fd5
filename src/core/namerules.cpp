#include "core/namerules.h"

#include "core/entry.h"

#include <algorithm>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace namerules {

namespace {

// The host file system may accept these, but the PSP's FAT storage does not.
bool refusedByFat(QChar c)
{
    constexpr QStringView refused = u":*?\"<>|";
    return isControlCharacter(c) || refused.contains(c);
}

// On every system both "\" and "/" separate folders in a playlist name.
QString withSlashes(const QString &name)
{
    return QString(name).replace(u'\\', u'/');
}

} // namespace

NameProblem checkPlaylistName(const QString &name)
{
    const QStringList parts = withSlashes(name).split(u'/');
    if (parts.last().isEmpty())
        return NameProblem::Empty;
    if (std::any_of(name.cbegin(), name.cend(), refusedByFat))
        return NameProblem::Invalid;
    // No ".." folder, so that a save never lands outside the playlist folder.
    if (parts.contains(u".."_s))
        return NameProblem::Invalid;
    return NameProblem::None;
}

QString playlistFileName(const QString &name)
{
    return withSlashes(name) + playlistExtension.toString();
}

} // namespace namerules
