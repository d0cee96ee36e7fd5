#pragma once

#include "platform/volumeroot.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

class QIODevice;

// A playlist file as the PSP reads it: one entry per line, in the system's
// ANSI code page, with no header and no byte-order mark. Lines are written
// with CR LF; reading also accepts a lone CR or LF, and a last line without a
// line end. Empty lines and lines starting with "#" are entries like any
// other, so every file reads and writes back unchanged. A file that another
// program wrote in UTF-16 starts with its byte-order mark; it is read as
// UTF-16 and written back the same way, mark included; so is a last byte
// that such a file of odd length ends with, half of no character.

enum class PlaylistEncoding
{
    Ansi,
    Utf16LittleEndian,
    Utf16BigEndian,
};

struct LoadedPlaylist
{
    // Every entry; or, when reading stopped at an error, the lines read up to it.
    QStringList entries;
    PlaylistEncoding encoding = PlaylistEncoding::Ansi;
    // The whole file, or why it was not read whole.
    Result<QByteArray> bytes;
    // The odd last byte of a UTF-16 file read whole, if it has one.
    QByteArray oddTail;
};

namespace playlistfile {

// Far beyond any playlist a PSP plays; a larger file is not read at all.
inline constexpr qint64 maxPlaylistFileSize = qint64(64) << 20;

// The bytes of a playlist: each entry followed by CR LF, nothing at all for
// an empty playlist but the mark of a UTF-16 one, then the odd tail of a
// UTF-16 one. A character the code page lacks becomes "?".
QByteArray encodePlaylist(const QStringList &entries, int codePage,
                          PlaylistEncoding encoding = PlaylistEncoding::Ansi,
                          QByteArrayView oddTail = {});

// From the byte-order mark: UTF-16 with one, the code page without.
PlaylistEncoding encodingOf(QByteArrayView bytes);

QStringList decodePlaylist(const QByteArray &bytes, int codePage);

// Index of the first entry that the code page cannot represent exactly, or -1
// when it represents them all.
int firstInexactEntry(const QStringList &entries, int codePage);

// Index of the first entry holding a line break, which would read back as
// two entries, or -1 when none does.
int firstEntryWithLineBreak(const QStringList &entries);

// Reads to the end; stops short, failing, past maxPlaylistFileSize.
LoadedPlaylist readPlaylist(QIODevice &device, int codePage);

// Reads the playlist file at path in folder; refuses, without reading it, one
// that is not a plain file (NotAFile) or is larger than maxPlaylistFileSize
// (TooLarge).
LoadedPlaylist loadPlaylist(const VolumeRoot &folder, const QString &path, int codePage);

// Whether the file at path in folder no longer holds these bytes: another
// program wrote it, or put something else in its place. A file since removed
// counts as unchanged: replacing it loses nothing.
bool changedSince(const VolumeRoot &folder, const QString &path, const QByteArray &bytes);

// Whether a folder on the way to path is a link.
bool reachedThroughLink(const VolumeRoot &folder, const QString &path);

// Replaces the file at path in folder in one step: either the new playlist is
// there whole, or the old file is left as it was and nothing else is left
// behind. A read-only file is never replaced, whoever runs the program; a link
// at path is replaced itself, never the file it leads to. Any name that the
// folder's volume accepts can be saved.
Result<> savePlaylist(const VolumeRoot &folder, const QString &path, const QByteArray &bytes);

} // namespace playlistfile
