#include "core/storagelayout.h"

#include "core/folderpath.h"

#include <QDir>
#include <QFileInfo>

StorageLayout::StorageLayout(const QString &driveRoot) : m_root(folderpath::rootForm(driveRoot)) {}

QString StorageLayout::pspMarker() const
{
    return childIgnoringCase(m_root, QStringLiteral("PSP"));
}

QString StorageLayout::musicFolder() const
{
    return childIgnoringCase(m_root, QStringLiteral("MUSIC"));
}

QString StorageLayout::playlistParent() const
{
    return childIgnoringCase(pspMarker(), QStringLiteral("PLAYLIST"));
}

QString StorageLayout::playlistFolder() const
{
    return childIgnoringCase(playlistParent(), QStringLiteral("MUSIC"));
}

QStringList StorageLayout::requiredFolders() const
{
    return {musicFolder(), playlistParent(), playlistFolder()};
}

QString childIgnoringCase(const QString &folder, const QString &name)
{
    const QString exact = folderpath::join(folder, name);
    if (entryExists(exact))
        return exact;
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folderpath::join(folder, entry);
    }
    return exact;
}

bool entryExists(const QString &path)
{
    return QFileInfo::exists(path);
}
