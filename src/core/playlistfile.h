#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace playlist {

// A playlist file as the PSP reads it: one entry per line, in the system's
// ANSI code page, with no header and no byte-order mark. Lines are written
// with CR LF; reading also accepts a lone CR or LF, and a last line without a
// line end. Empty lines and lines starting with "#" are entries like any
// other, so every file reads and writes back unchanged.

// The bytes of a playlist: each entry followed by CR LF, nothing at all for
// an empty playlist. A character the code page lacks becomes "?".
QByteArray encodePlaylist(const QStringList &entries, int codePage);

QStringList decodePlaylist(const QByteArray &bytes, int codePage);

// Index of the first entry that the code page cannot represent exactly, or -1
// when it represents them all.
int firstInexactEntry(const QStringList &entries, int codePage);

// Index of the first entry holding a line break, which would read back as
// two entries, or -1 when none does.
int firstEntryWithLineBreak(const QStringList &entries);

struct PlaylistReadResult
{
    QStringList entries;
    // False when reading stopped at an error; entries then holds the lines
    // read up to it and error says why.
    bool complete = false;
    QString error;
};

PlaylistReadResult readPlaylist(QIODevice &device, int codePage);

bool writePlaylist(QIODevice &device, const QStringList &entries, int codePage,
                   QString *error = nullptr);

PlaylistReadResult loadPlaylist(const QString &path, int codePage);

// Whether path is a file that its owner may not write, which a save leaves
// alone; links count as absent.
bool isReadOnlyFile(const QString &path);

// Replaces the file at path in one step: either the new playlist is there
// whole, or the old file is left as it was and nothing else is left behind.
// A read-only file is never replaced, whoever runs the program; a link at
// path is replaced itself, never the file it leads to. Any name that the
// folder's volume accepts can be saved.
bool savePlaylist(const QString &path, const QStringList &entries, int codePage,
                  QString *error = nullptr);

} // namespace playlist
