#pragma once

#include <QString>
#include <QStringView>

// Names of the folders and files that sending music makes below the PSP's
// music folder. The PSP's music player reads one level of folders there, on
// FAT storage: names are at most 255 UTF-16 units, hold none of
// " * / : < > ? \ | nor control characters, end in neither a space nor a dot,
// and letter case does not tell two names apart. Names made here do not
// begin with a space or a dot either: a leading dot would hide them.
namespace sendnames {

// The name made safe: characters FAT refuses become "_", spaces and dots
// trimmed from the ends, cut to at most maxLength units without splitting a
// character. May come out empty (".." does).
QString fatSafe(const QString &name, int maxLength = 255);

// The album's folder: "<album artist, or artist> - <album>" when the album is
// known, "<album>" when no artist is, otherwise the name of the folder the
// source file came from; "Music" when none of these leaves a name.
QString albumFolder(const QString &albumArtist, const QString &artist, const QString &album,
                    const QString &sourceFolder);

// A track's file: "<NN> <title>.<extension>" with a two-digit track number
// (no number when it is unknown, 0), the source file's own name (without its
// extension) when there is no title; "Track" when neither leaves a name.
QString trackFile(int trackNumber, const QString &title, const QString &sourceBaseName,
                  const QString &extension);

// The n-th other name for a taken file name (n from 2): "Song (2).mp3".
QString numbered(const QString &fileName, int n);

// Whether the storage takes both names as one.
bool sameName(QStringView a, QStringView b);

} // namespace sendnames
