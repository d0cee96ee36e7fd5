#pragma once

#include "platform/result.h"

#include <QString>
#include <QStringList>

// A playlist file that a desktop music player keeps on the computer (.m3u,
// .m3u8, .pls or .xspf), read into the local files it names.

// The extensions of the playlists read, without dot ("m3u").
const QStringList &computerPlaylistExtensions();
// Whether a file's name says it is such a playlist.
bool isComputerPlaylist(const QString &path);

struct ComputerPlaylist
{
    // The title the file gives the playlist, or else its file name without
    // the extension.
    QString name;
    // The local files of the tracks, absolute, in the playlist's order,
    // duplicates kept.
    QStringList files;
    // Tracks whose file is not there, as the playlist names them.
    QStringList notFound;
    // Entries that are not local files: streams and other addresses.
    QStringList streams;
};

// Reads a playlist file, looking its tracks up on the disk; slow on a large
// playlist, so not for the window's thread. Text that is neither UTF-8 nor
// marked by a byte-order mark is read in the given ANSI code page, as players
// on Windows write it. A track that cannot be found as written, as happens
// with playlists made on another computer, is looked for below the
// playlist's folder by the end of its path ("C:\Users\me\Music\Album\a.mp3"
// beside the playlist in ~/Music is ~/Music/Album/a.mp3).
// Fails as NotAFile, TooLarge (beyond any real playlist), NotReadable (not in
// a playlist format), or with the system's words when it cannot be opened.
Result<ComputerPlaylist> readComputerPlaylist(const QString &path, int codePage);

// What a desktop player opens: an extended M3U in UTF-8 naming the tracks of
// a playlist of the PSP whose root is given (comment and empty entries left
// out). Tracks are named relative to the folder the file goes to when the
// PSP lies below that folder, and by their absolute paths otherwise.
QByteArray computerPlaylistCopy(const QStringList &entries, const QString &driveRoot,
                                const QString &folder);
