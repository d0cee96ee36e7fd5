#pragma once

#include "core/namerules.h"

#include <QString>

// Where things live on a PSP: below the drive root, the "PSP" marker folder,
// the music folder "MUSIC", and the playlist folder "PSP/PLAYLIST/MUSIC" inside
// "PSP/PLAYLIST". The PSP's FAT storage ignores letter case, so an existing
// folder spelled differently ("psp", "Music") is the folder; a missing one is
// named in capitals. Paths are in folder form (see folderpath.h).
class StorageLayout
{
public:
    explicit StorageLayout(const QString &driveRoot);

    QString root() const { return m_root; }
    QString pspMarker() const;
    QString musicFolder() const;
    QString playlistParent() const;
    QString playlistFolder() const;

    // The folders the program needs, parents first.
    QStringList requiredFolders() const;

private:
    QString m_root;
};

// The entry of a folder whose name matches without regard to case, or the
// name itself joined to the folder when there is none.
QString childIgnoringCase(const QString &folder, const QString &name);

// True when the path names an entry of any kind (file or folder).
bool entryExists(const QString &path);

// The audio files the track lists show, and the playlist files.
inline QString audioFilePatterns()
{
    return QStringLiteral("*.mp3;*.wav;*.wma;*.atrac;*.omg;*.at3");
}

inline QString playlistFilePattern()
{
    return u'*' + playlist::playlistExtension.toString();
}
