#pragma once

#include <QString>
#include <QStringView>

class AnsiCodec;

// Names of the folders and files that sending music makes below the PSP's
// music folder. The PSP's music player reads one level of folders there, on
// FAT storage: names are at most 255 UTF-16 units, hold none of
// " * / : < > ? \ | nor control characters, neither begin with a dot nor end
// in a space or a dot, and letter case does not tell two names apart.
// Playlists name the files in the system's ANSI code page, so the names hold
// only characters it has: others are spelled in Latin letters where Unicode
// knows how ("東京" as "dong jing"), and left out where not (emoji).
namespace sendnames {

// The name made safe: characters FAT refuses become "_", spaces and dots
// trimmed from the ends, cut to at most maxLength units without splitting a
// character. May come out empty (".." does).
QString fatSafe(const QString &name, int maxLength = 255);

// The name in characters the codec's code page has, as said above.
QString representable(const QString &name, const AnsiCodec &codec);

// The album's folder: "<album artist, or artist> - <album>" when the album is
// known, "<album>" when no artist is. Without an album, "<artist> - " and the
// name of the folder the source file came from, or "Music" when that folder
// is named after the artist (a folder already named "<artist> - ..." is taken
// as it is). Without any of these tags, "<artistFolder> - <sourceFolder>" when
// the caller found the folder above the source's to be an artist's
// (artistFolder is empty when not), else the source's folder alone. "Music"
// when none of these leaves a name.
QString albumFolder(const QString &albumArtist, const QString &artist, const QString &album,
                    const QString &sourceFolder, const QString &artistFolder,
                    const AnsiCodec &codec);

// The name of the folder above the source file's, when the two may read as
// "<artist>/<album>": neither is a root nor a general folder (the home
// folder, Music, Downloads...), and they are not in the temporary folder,
// whose folders programs name. Empty when not.
QString artistFolderOf(const QString &sourcePath);

// A track's file: "<NN> <title>.<extension>" with a two-digit track number,
// "<D>-<NN> <title>.<extension>" with the disc of an album of several (disc 0
// for others); no number when it is unknown, 0. The source file's own name
// (without its extension) when there is no title; "Track" when neither leaves
// a name.
QString trackFile(int disc, int trackNumber, const QString &title, const QString &sourceBaseName,
                  const QString &extension, const AnsiCodec &codec);

// The n-th other name for a taken file name (n from 2): "Song (2).mp3".
QString numbered(const QString &fileName, int n);

// The same for two names exactly when the storage takes them as one: each
// character folded on its own, as in simple case folding.
QString nameKey(QStringView name);

// Whether the storage takes both names as one.
bool sameName(QStringView a, QStringView b);

} // namespace sendnames
