#pragma once

#include <functional>
#include <memory>
#include <QString>

class FileListBox;
class QLineEdit;
class VolumeRoot;

// The playlist folder that the playlist list shows, reached through the PSP
// in use (the drive root in lettre, opened by openPsp) without following any
// link.
// It is opened afresh for each use and let go after it, so that nothing holds
// the PSP while the program waits (it can be ejected), and nothing is done
// by a path looked up again within one use.
class PlaylistFolder
{
public:
    using PspOpener = std::function<std::unique_ptr<VolumeRoot>()>;

    PlaylistFolder(PspOpener openPsp, const QLineEdit &lettre, const FileListBox &File2);

    // Null when there is no playlist folder to use: none was found on the
    // PSP, or the PSP has left.
    std::unique_ptr<VolumeRoot> open() const;
    // A file of the folder as the user sees it.
    QString shownPath(const QString &path) const;

private:
    PspOpener m_openPsp;
    const QLineEdit &m_lettre;
    const FileListBox &m_File2;
};
