#pragma once

#include <QString>

// The playlist entry for a file: its path from the drive root, with
// backslashes and a single leading backslash, whatever the host's separator
// ("\MUSIC\Album\Song.mp3"; "\a.mp3" for a file in the root). The PSP reads
// entries in this form.
QString playlistEntry(const QString &driveRoot, const QString &folder, const QString &fileName);

// Whether a character is a control character: U+0000 to U+001F, DEL (U+007F)
// or U+0080 to U+009F.
bool isControlCharacter(QChar c);

// Whether a file or folder name can be part of a playlist entry: a control
// character, a line break above all, has no place in a line of a playlist
// file, and the PSP's FAT storage holds no such name.
bool fitsInEntry(QStringView name);

// A text as the lists show it: each control or private-use character (what a
// byte that no character of the code page explains reads as) becomes a
// replacement mark, so that it is seen rather than drawn as nothing.
QString withVisibleMarks(const QString &text);

// Whether a playlist line names a track at all: empty lines and "#" comments
// (which other programs write) do not.
bool namesTrack(QStringView entry);

// The file a playlist entry names on the volume whose root is given, the
// reverse of playlistEntry: "\MUSIC\a.mp3" is "<root>/MUSIC/a.mp3". Empty when
// the path would lead off the volume.
QString entryFilePath(const QString &driveRoot, const QString &entry);
