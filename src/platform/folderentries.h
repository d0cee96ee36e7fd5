#pragma once

#include <QList>
#include <QString>

// One entry of a folder listing: by path (readFolder), only what the listing
// itself says, for lists that must keep up with folders of thousands of
// tracks; or through a volume's handle (VolumeRoot::entries), every entry
// with the size of each file, looked up one by one, for what goes to the
// volume.
struct FolderEntry
{
    // What a listing may ask for, or'ed together.
    enum Kinds
    {
        Folders = 1,
        Files = 2,
        // Links, to whatever they lead: listed as links, never followed.
        Links = 4,
    };

    QString name;
    bool isFolder = false;
    // Hidden as the system hides names: a leading "." on Linux, the hidden
    // attribute on Windows.
    bool isHidden = false;
    qint64 size = -1;    // for a regular file listed through a handle; -1 otherwise
    bool isLink = false; // only where Links are asked for
};

namespace platform {

// The plain files and folders of a folder (those of the kinds asked for) in
// one pass over it, in the order the system gives them: no links unless
// asked for (a PSP has none, and one could lead off the volume), no devices,
// no "." or "..". Nothing when the folder cannot be read.
// Several times faster than QDir on folders of thousands of tracks, because
// it asks nothing of an entry that the folder listing itself does not say.
QList<FolderEntry> readFolder(const QString &folder,
                              int kinds = FolderEntry::Folders | FolderEntry::Files);

} // namespace platform
