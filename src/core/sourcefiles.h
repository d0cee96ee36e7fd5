#pragma once

#include <QStringList>

// The local files that paths chosen for the PSP stand for: a file is itself,
// a folder is its files in natural order, then its sub-folders', each in
// turn. Files that sit beside music in album folders and are no music
// (covers, notes, cue sheets, playlists) are passed over quietly rather than
// reported one by one. Links inside a folder are not followed, so that none
// leads round in a circle or off anywhere; they are only noted, to be
// reported. A folder named is followed even through a link: the user chose
// it. Reads the disk: not for the window's thread.
struct SourceFiles
{
    QStringList files;
    QStringList links;
};

SourceFiles expandSourcePaths(const QStringList &paths);
