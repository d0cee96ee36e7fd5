#include "playlist/playlistfolder.h"

#include "controls/filelistbox.h"
#include "core/folderpath.h"
#include "platform/volumeroot.h"

#include <QDir>
#include <QLineEdit>

PlaylistFolder::PlaylistFolder(PspOpener openPsp, const QLineEdit &lettre, const FileListBox &File2)
    : m_openPsp(std::move(openPsp)), m_lettre(lettre), m_File2(File2)
{}

std::unique_ptr<VolumeRoot> PlaylistFolder::open() const
{
    const QString root = QDir::fromNativeSeparators(m_lettre.text());
    const QString folder = m_File2.path();
    if (root.isEmpty() || !folder.startsWith(root))
        return nullptr;
    const std::unique_ptr<VolumeRoot> volume = m_openPsp();
    if (!volume)
        return nullptr;
    Result<std::unique_ptr<VolumeRoot>> opened = volume->openFolder(folder.mid(root.size()));
    return opened ? std::move(*opened) : nullptr;
}

QString PlaylistFolder::shownPath(const QString &path) const
{
    return QDir::toNativeSeparators(folderpath::join(m_File2.path(), path));
}
