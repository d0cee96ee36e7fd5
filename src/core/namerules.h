#pragma once

#include <QString>

enum class NameProblem
{
    None,
    // No name, or only folders: a name that is nothing but separators or
    // ends in one would save a nameless ".m3u8".
    Empty,
    // A character the PSP's FAT storage refuses (: * ? " < > | or a control
    // character), or a ".." folder that would lead out of the playlist folder.
    Invalid,
};

namespace namerules {

// The extension the PSP looks for in its playlist folder.
inline constexpr QStringView playlistExtension = u".m3u8";

// Whether a playlist name typed by the user can be saved. A "\" or "/" in the
// name addresses a sub-folder of the playlist folder.
NameProblem checkPlaylistName(const QString &name);

// The file a playlist name is saved to, relative to the playlist folder:
// "<name>.m3u8", with every "\" of the name taken for a folder separator.
QString playlistFileName(const QString &name);

} // namespace namerules
