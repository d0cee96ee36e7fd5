#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

// Files dropped on the current playlist, sorted out: the playlist entries of
// the audio files on the PSP's drive, in the order given, built as a click in
// a track list builds them, and the others, in the system's notation.
struct DroppedFiles
{
    QStringList entries;
    // Not on the drive once links and ".." are resolved (missing ones among
    // them), or not local files: the PSP could never play them.
    QStringList offDrive;
    // On the drive, but folders, or files that the track lists do not list.
    QStringList notTracks;
};

// driveRoot is the PSP's drive root in folder form (see folderpath.h).
DroppedFiles sortDroppedFiles(const QList<QUrl> &urls, const QString &driveRoot);
