#pragma once

#include <QString>
#include <QStringList>

// The playlist parser that desktop players use (with GLib), built as the
// module zarvello_playlistparser.

struct ParsedPlaylist
{
    QString title;
    QStringList locations; // addresses or paths, as the parser gives them
    bool parsed = false;
};

// Relative locations are resolved against baseFolder (ending in a separator),
// whatever file is parsed.
ParsedPlaylist parsePlaylistFile(const QString &file, const QString &baseFolder);

struct PlaylistParserModule
{
    decltype(&parsePlaylistFile) parse;
};
