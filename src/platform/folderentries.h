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
    // What an entry is. A link is never taken for what it leads to.
    enum class Kind
    {
        Missing, // nothing of that name: what a path may lead to, never listed
        Folder,
        File,
        Link,
        Other, // a device, a pipe, a socket
    };

    // What the listing by path may ask for, or'ed together.
    enum Wanted
    {
        Folders = 1,
        Files = 2,
        Links = 4,
    };

    // Whether a listing asked for wanted takes an entry of that kind.
    static bool isWanted(Kind kind, int wanted)
    {
        switch (kind) {
        case Kind::Folder:
            return wanted & Folders;
        case Kind::File:
            return wanted & Files;
        case Kind::Link:
            return wanted & Links;
        default:
            return false;
        }
    }

    QString name;
    Kind kind = Kind::Other;
    // Hidden as the system hides names: a leading "." on Linux, the hidden
    // attribute on Windows.
    bool isHidden = false;
    qint64 size = -1; // for a file listed through a handle; -1 otherwise
    // When a file listed through a handle was last written, in milliseconds
    // since the epoch, UTC; 0 otherwise.
    qint64 modified = 0;
};

namespace platform {

// The folders, files and links of a folder (those of the kinds asked for) in
// one pass over it, in the order the system gives them: never a device, "."
// or "..". Nothing when the folder cannot be read. Links are left to the
// caller to ask for: a PSP has none, and one could lead off the volume.
// Several times faster than QDir on folders of thousands of tracks, because
// it asks nothing of an entry that the folder listing itself does not say.
QList<FolderEntry> readFolder(const QString &folder,
                              int wanted = FolderEntry::Folders | FolderEntry::Files);

} // namespace platform
