#pragma once

#include "core/namerules.h"

#include <QList>
#include <QString>

class VolumeRoot;

// Where things live on a PSP: below the drive root, the "PSP" marker folder,
// the music folder "MUSIC", and the playlist folder "PSP/PLAYLIST/MUSIC" inside
// "PSP/PLAYLIST". The PSP's FAT storage ignores letter case, so an existing
// folder spelled differently ("psp", "Music") is the folder; a missing one is
// made in capitals.

// A folder the program needs that it could not have, relative to the root.
struct FolderProblem
{
    QString folder;
    bool isAFile = false; // something other than a folder is in the way
};

// What setting up an arrived volume found.
struct VolumeSetup
{
    bool isPsp = false;
    // Relative to the root, spelled as on the volume: "MUSIC",
    // "PSP/PLAYLIST/MUSIC". A folder that could not be had keeps its place,
    // and lists nothing.
    QString musicFolder;
    QString playlistFolder;
    // Whether the playlist folder is a folder of the volume: a link in its
    // place, or on the way to it, could lead off the volume.
    bool hasPlaylistFolder = false;
    QList<FolderProblem> problems; // parents first
};

// Looks for the PSP folder on an opened volume and, when it is there, makes
// the folders the program needs that are missing, each one as soon as its
// parent is a folder, so that one entry in the way blocks only what lies
// below it. Nothing is made on a volume without the PSP folder. Temporary
// files of ours left in the playlist folder by a PSP pulled out during a save
// are removed, unless a send or sync holds the PSP's lock.
VolumeSetup setUpVolume(const VolumeRoot &volume);

// The folder at path (steps separated by "/") below the root, each step found
// as the storage finds names, whatever their case, and spelled as on the
// volume: "psp/PLAYLIST/Music". Empty when a step is missing or is no
// folder. Makes nothing, so a volume only looked at is left as it was.
QString existingFolder(const VolumeRoot &volume, const QString &path);

// The audio files the track lists show (AAC in ".m4a" among them, as sent
// music may be), and the playlist files.
inline QString audioFilePatterns()
{
    return QStringLiteral("*.mp3;*.wav;*.wma;*.atrac;*.omg;*.at3;*.m4a");
}

inline QString playlistFilePattern()
{
    return u'*' + namerules::playlistExtension.toString();
}
