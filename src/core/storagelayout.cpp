#include "core/storagelayout.h"

#include "core/folderpath.h"
#include "platform/volumeroot.h"

#include <optional>
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

QString childIgnoringCase(const QString &folder, const QString &name)
{
    const QString exact = folderpath::join(folder, name);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folderpath::join(folder, entry);
    }
    return exact;
}

namespace {

QString relativeJoin(const QString &folder, const QString &name)
{
    return folder.isEmpty() ? name : folder + u'/' + name;
}

// The entry of a folder of the volume whose name matches without regard to case.
std::optional<VolumeRoot::Entry> findIgnoringCase(const VolumeRoot &volume, const QString &folder,
                                                  const QString &name)
{
    for (const VolumeRoot::Entry &entry : volume.entries(folder)) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return std::nullopt;
}

// The path of a folder of that name in a folder of the volume, made when
// missing; empty, with the problem noted, when it is not a folder afterwards.
QString ensureFolder(const VolumeRoot &volume, const QString &parent, const QString &name,
                     VolumeSetup &setup)
{
    const std::optional<VolumeRoot::Entry> existing = findIgnoringCase(volume, parent, name);
    const QString path = relativeJoin(parent, existing ? existing->name : name);
    VolumeRoot::Made made = VolumeRoot::Made::AlreadyThere;
    if (!existing)
        made = volume.makeFolder(path);
    else if (!existing->isFolder)
        made = VolumeRoot::Made::NotAFolder;
    if (made == VolumeRoot::Made::Created || made == VolumeRoot::Made::AlreadyThere)
        return path;
    setup.problems.append({path, made == VolumeRoot::Made::NotAFolder});
    return {};
}

} // namespace

VolumeSetup setUpVolume(const VolumeRoot &volume)
{
    VolumeSetup setup;
    const std::optional<VolumeRoot::Entry> marker =
        findIgnoringCase(volume, QString(), QStringLiteral("PSP"));
    if (!marker)
        return setup;
    setup.isPsp = true;
    ensureFolder(volume, QString(), QStringLiteral("MUSIC"), setup);
    if (!marker->isFolder) {
        setup.problems.append({marker->name, true});
        return setup;
    }
    const QString playlistParent =
        ensureFolder(volume, marker->name, QStringLiteral("PLAYLIST"), setup);
    if (!playlistParent.isEmpty())
        ensureFolder(volume, playlistParent, QStringLiteral("MUSIC"), setup);
    return setup;
}
