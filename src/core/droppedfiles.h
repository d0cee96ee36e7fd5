#pragma once

#include "core/namepatterns.h"

#include <QList>
#include <QStringList>
#include <QUrl>

class QFileInfo;

// Where a local file stands for the PSP whose drive root is given (in folder
// form, see folderpath.h): a track on its drive, with the playlist entry that
// a click in a track list builds for it, or not.
class DriveTracks
{
public:
    explicit DriveTracks(const QString &driveRoot);

    enum class Place
    {
        // Not on the drive once links and ".." are resolved (missing files
        // among them): the PSP could never play it.
        OffDrive,
        // On the drive, but a folder, or a file that the track lists do not
        // list.
        NotTrack,
        Track
    };
    struct Placed
    {
        Place place = Place::OffDrive;
        QString entry; // for a track
        QString real;  // the file with links followed, when it is there
    };
    Placed place(const QString &path) const;

private:
    NamePatterns m_tracks;
    QString m_root;
};

// Files dropped on the current playlist, sorted out: the playlist entries of
// the audio files on the PSP's drive, in the order given, built as a click in
// a track list builds them, the local files to send to the PSP, and the
// others, in the system's notation.
struct DroppedFiles
{
    QStringList entries;
    // Local files and folders not on the drive once links and ".." are
    // resolved (missing ones among them), in Qt's notation: sent to the PSP.
    QStringList toSend;
    // For each of toSend, how many of entries were dropped before it: its
    // tracks go after those, so that the drop keeps its order.
    QList<int> entriesBefore;
    // Not local files: the PSP could never play them.
    QStringList notLocal;
    // On the drive, but folders, or files that the track lists do not list.
    QStringList notTracks;
};

// driveRoot is the PSP's drive root in folder form (see folderpath.h).
DroppedFiles sortDroppedFiles(const QList<QUrl> &urls, const QString &driveRoot);
